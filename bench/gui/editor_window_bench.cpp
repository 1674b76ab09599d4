// How long the editor takes, on a private X server, to open a plugin file of 10,000
// categories and 100,000 videos until its window is usable, and to show the 100,000 videos of
// one category when that category is selected. Prints the figures; asserts nothing.
//
//   orvalen_editor_window_bench [runs]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>

#include "db/catalogue.h"
#include "db/database.h"
#include "editor/orvalen_dlg.h"
#include "editor/wx/editor_dialog.h"
#include "editor/wx/list_control.h"
#include "editor/wx/tree_control.h"
#include "editor/wx/wx_toolkit.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"
#include "tests/gui/private_display.h"
#include "wx_bench_app.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCategories = 10000;
constexpr int kVideos = 100000;
constexpr int kTopLevelCategories = 1000;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void execOrDie(const sqlite2_reference* ref, void* db, const std::string& sql) {
  char* error = nullptr;
  if (ref->exec(db, sql.c_str(), nullptr, nullptr, &error) != 0) {
    std::fprintf(stderr, "reference engine: %s\n", error ? error : "failed");
    std::exit(1);
  }
}

// Category 1 holds every video; categories 1 to 1,000 stand under the root, the others under
// them. Texts are ASCII so that every code page reads them alike.
void makeLargePluginFile(const std::string& path) {
  std::string why;
  const sqlite2_reference* ref = orvalen::test::referenceEngine(&why);
  if (!ref) {
    std::fprintf(stderr, "the reference engine is needed to make the file: %s\n", why.c_str());
    std::exit(1);
  }
  char* error = nullptr;
  void* db = ref->open(path.c_str(), 0, &error);
  execOrDie(ref, db,
            "create table tb_type_list (id integer primary key, parentid integer, ItemText "
            "text)");
  execOrDie(ref, db,
            "create table tb_item_list (id integer primary key, parentid integer, ItemText "
            "text, itemUrl text, itemImageUrl text)");
  execOrDie(ref, db, "begin");
  for (int id = 1; id <= kCategories; ++id) {
    const int parent = id <= kTopLevelCategories ? -1 : (id - 1) % kTopLevelCategories + 1;
    execOrDie(ref, db,
              "insert into tb_type_list values(" + std::to_string(id) + ", " +
                  std::to_string(parent) + ", 'category " + std::to_string(id) + "')");
  }
  for (int id = 1; id <= kVideos; ++id) {
    const std::string n = std::to_string(id);
    execOrDie(ref, db,
              "insert into tb_item_list values(" + n + ", 1, 'video " + n +
                  "', 'http://videos.example/" + n + ".mp4', 'http://images.example/" + n +
                  ".png')");
  }
  execOrDie(ref, db, "commit");
  ref->close(db);
}

// The part of selecting the category that is reading its videos from the file.
double readVideosMs(const std::string& path) {
  CppSQLiteDB db;
  db.open(path.c_str());
  std::vector<int> ids;
  std::vector<FileText> names, urls, imageUrls;
  const Clock::time_point reading = Clock::now();
  LoadItemRows(db, 1, ids, names, urls, imageUrls);
  return millisecondsSince(reading);
}

struct Figures {
  double openMs = 0;
  double selectMs = 0;
  int rowsShown = 0;
  unsigned treeItems = 0;
};

// Runs the editor on path. Once the category tree has painted for the first time (the window
// shows, loaded), selects category 1 as a click would and paints the list with its rows, then
// closes the window.
Figures measureOnce(const std::string& path) {
  Figures figures;
  orvalen::wx::WxToolkit toolkit;
  const Clock::time_point opening = Clock::now();
  toolkit.onEditorWindowCreated([&](orvalen::wx::EditorDialog& window) {
    orvalen::wx::CategoryTreeCtrl& tree = window.categoryTree();
    tree.Bind(wxEVT_PAINT, [&figures, &window, &tree, opening](wxPaintEvent& event) {
      event.Skip();
      if (figures.openMs > 0) return;
      figures.openMs = millisecondsSince(opening);
      window.CallAfter([&figures, &window, &tree] {
        wxTreeItemIdValue cookie;
        const wxTreeItemId root = tree.GetFirstChild(tree.GetRootItem(), cookie);
        const wxTreeItemId first = tree.GetFirstChild(root, cookie);
        const Clock::time_point selecting = Clock::now();
        tree.SelectItem(first);
        window.videoList().Refresh();
        window.videoList().Update();
        figures.selectMs = millisecondsSince(selecting);
        figures.rowsShown = window.videoList().rowCount();
        figures.treeItems = tree.GetCount();
        window.EndModal(wxID_CANCEL);
      });
    });
  });
  orvalen::COrvalenDlg editor(toolkit, path);
  editor.DoModal();
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 3;
  orvalen::test::PrivateDisplay display;
  if (!orvalen::bench::startWx(display, "orvalen-editor-window-bench")) return 1;

  orvalen::test::TempDir dir;
  const std::string path = dir.file("large.vdb");
  const Clock::time_point making = Clock::now();
  makeLargePluginFile(path);
  std::printf("plugin file: %d categories, %d videos in one category (made in %.0f ms)\n",
              kCategories, kVideos, millisecondsSince(making));
  for (int run = 1; run <= runs; ++run) {
    const Figures figures = measureOnce(path);
    std::printf(
        "run %d: editor window with %u tree items usable after %.0f ms; category of %d videos "
        "shown after %.1f ms (of which reading the videos from the file: %.1f ms)\n",
        run, figures.treeItems, figures.openMs, figures.rowsShown, figures.selectMs,
        readVideosMs(path));
  }
  wxEntryCleanup();
  return 0;
}
