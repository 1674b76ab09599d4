#pragma once

#include <string>

#include <wx/dialog.h>

class wxTextCtrl;

namespace orvalen::wx {

// The three texts of one video, as the video details dialog shows and returns them (UTF-8).
struct VideoTexts {
  std::string name;
  std::string url;
  std::string imageUrl;
};

// The modal dialog in which a video's name, video URL and image URL are typed or edited.
// OK (the default button, so Enter in any edit) copies the edits back; cancel, Esc and the
// close box leave the texts as they were given.
class VideoDetailsDialog : public wxDialog {
 public:
  VideoDetailsDialog(wxWindow* parent, const VideoTexts& texts);

  bool TransferDataToWindow() override;
  bool TransferDataFromWindow() override;

  const VideoTexts& texts() const { return texts_; }

 private:
  wxTextCtrl* addEdit(int id, int x, int y);
  void addLabel(const char* utf8Text, int x, int y);

  VideoTexts texts_;
  wxTextCtrl* name_ = nullptr;
  wxTextCtrl* url_ = nullptr;
  wxTextCtrl* imageUrl_ = nullptr;
};

}  // namespace orvalen::wx
