// A file manager's part in a drag and drop, for the session tests: a small window at the top
// left of the screen that starts dragging the file named by its argument when pressed. It
// stays for another try until it is ended.
//
//   orvalen-drag-source FILE

#include <wx/dnd.h>
#include <wx/frame.h>
#include <wx/wx.h>

class DragSourceApp : public wxApp {
 public:
  bool OnInit() override {
    if (argc < 2) return false;
    const wxString file = argv[1];
    auto* frame = new wxFrame(nullptr, wxID_ANY, wxString::FromUTF8("拖放来源"), wxPoint(0, 0),
                              wxSize(160, 80));
    frame->Bind(wxEVT_LEFT_DOWN, [frame, file](wxMouseEvent&) {
      wxFileDataObject data;
      data.AddFile(file);
      wxDropSource source(data, frame);
      source.DoDragDrop(wxDrag_CopyOnly);
    });
    frame->Show();
    return true;
  }
};

wxIMPLEMENT_APP(DragSourceApp);
