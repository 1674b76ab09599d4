// How long the editor's find, undo and moves take in the real window (wxWidgets, on a private X
// server) on a plugin file of 10,000 categories and 100,000 videos:
//   - a find whose only match is the last video in tree order, until it shows selected;
//   - the undo of deleting a category with 10,000 videos, until the category shows again;
//   - moving 1,000 selected videos onto another category, until the list shows the rest.
// Beside them, what the reference SQLite 2.8 takes for the same rows: inserting the 10,000
// videos back, and the 1,000 UPDATEs of a move, each in one transaction. Prints medians and
// ranges; asserts nothing.
//
//   orvalen_catalogue_bench [runs]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

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
constexpr int kDeletedVideos = 10000;  // all in category 2
constexpr int kMovedVideos = 1000;     // the first of category 1
constexpr int kLastCategory = 10000;   // the last in tree order: the last child of category 1000

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

const sqlite2_reference* reference() {
  std::string why;
  const sqlite2_reference* ref = orvalen::test::referenceEngine(&why);
  if (!ref) {
    std::fprintf(stderr, "the reference engine is needed: %s\n", why.c_str());
    std::exit(1);
  }
  return ref;
}

void execOrDie(void* db, const std::string& sql) {
  char* error = nullptr;
  if (reference()->exec(db, sql.c_str(), nullptr, nullptr, &error) != 0) {
    std::fprintf(stderr, "reference engine: %s\n", error ? error : "failed");
    std::exit(1);
  }
}

std::string videoValues(int id, int category) {
  const std::string n = std::to_string(id);
  return "(" + n + ", " + std::to_string(category) + ", 'video " + n +
         "', 'http://videos.example/" + n + ".mp4', 'http://images.example/" + n + ".png')";
}

int categoryOfVideo(int id) {
  if (id == kVideos) return kLastCategory;
  return id <= kDeletedVideos ? 2 : 1;
}

// Categories 1 to 1,000 stand under the root, the others under them. Category 2 holds videos
// 1 to 10,000, category 10,000 the last video, category 1 all the others.
void makeLargePluginFile(const std::string& path) {
  char* error = nullptr;
  void* db = reference()->open(path.c_str(), 0, &error);
  execOrDie(db,
            "create table tb_type_list (id integer primary key, parentid integer, ItemText text)");
  execOrDie(db,
            "create table tb_item_list (id integer primary key, parentid integer, ItemText text, "
            "itemUrl text, itemImageUrl text)");
  execOrDie(db, "begin");
  for (int id = 1; id <= kCategories; ++id) {
    const int parent = id <= kTopLevelCategories ? -1 : (id - 1) % kTopLevelCategories + 1;
    execOrDie(db, "insert into tb_type_list values(" + std::to_string(id) + ", " +
                      std::to_string(parent) + ", 'category " + std::to_string(id) + "')");
  }
  for (int id = 1; id <= kVideos; ++id) {
    execOrDie(db, "insert into tb_item_list values" + videoValues(id, categoryOfVideo(id)));
  }
  execOrDie(db, "commit");
  reference()->close(db);
}

// What the reference engine takes to put category 2's videos back, and to move 1,000 videos.
double referenceRestoreMs(const std::string& path) {
  char* error = nullptr;
  void* db = reference()->open(path.c_str(), 0, &error);
  execOrDie(db, "delete from tb_item_list where parentid=2");
  const Clock::time_point start = Clock::now();
  execOrDie(db, "begin");
  for (int id = 1; id <= kDeletedVideos; ++id) {
    execOrDie(db, "insert into tb_item_list values" + videoValues(id, 2));
  }
  execOrDie(db, "commit");
  const double ms = millisecondsSince(start);
  reference()->close(db);
  return ms;
}

double referenceMoveMs(const std::string& path) {
  char* error = nullptr;
  void* db = reference()->open(path.c_str(), 0, &error);
  const Clock::time_point start = Clock::now();
  execOrDie(db, "begin");
  for (int id = kDeletedVideos + 1; id <= kDeletedVideos + kMovedVideos; ++id) {
    execOrDie(db, "update tb_item_list set parentid=3 where id=" + std::to_string(id));
  }
  execOrDie(db, "commit");
  const double ms = millisecondsSince(start);
  execOrDie(db, "update tb_item_list set parentid=1 where parentid=3");
  reference()->close(db);
  return ms;
}

// Answers the delete's confirmation with OK.
class ConfirmEverything : public wxModalDialogHook {
 public:
  ConfirmEverything() { Register(); }
  ~ConfirmEverything() override { Unregister(); }
  int Enter(wxDialog* dialog) override {
    return dynamic_cast<wxMessageDialogBase*>(dialog) ? wxID_OK : wxID_NONE;
  }
  void Exit(wxDialog*) override {}
};

struct Figures {
  double findMs = 0;
  double findAgainMs = 0;  // F3: the videos are read already
  double undoMs = 0;
  double moveMs = 0;
  bool shown = false;  // each result showed as expected
};

orvalen::TreeItem itemWithData(orvalen::wx::CategoryTreeCtrl& tree, int data) {
  std::vector<orvalen::TreeItem> items{tree.rootItem()};
  while (!items.empty()) {
    const orvalen::TreeItem item = items.back();
    items.pop_back();
    if (tree.itemData(item) == data) return item;
    for (auto child = tree.firstChild(item); child; child = tree.nextSibling(child)) {
      items.push_back(child);
    }
  }
  return {};
}

double timed(orvalen::wx::EditorDialog& window, const std::function<void()>& action) {
  const Clock::time_point start = Clock::now();
  action();
  window.Update();
  return millisecondsSince(start);
}

// Runs the editor on path; once its window shows, measures the three operations and closes.
Figures measureOnce(const std::string& path) {
  Figures figures;
  orvalen::wx::WxToolkit toolkit;
  orvalen::COrvalenDlg* editor = nullptr;
  toolkit.onEditorWindowCreated([&](orvalen::wx::EditorDialog& window) {
    window.CallAfter([&figures, &window, &editor] {
      using namespace orvalen;
      wx::CategoryTreeCtrl& tree = window.categoryTree();
      wx::VideoListCtrl& list = window.videoList();
      window.showFindBox();
      dynamic_cast<wxTextCtrl*>(window.FindWindow(IDC_FIND_TEXT))
          ->ChangeValue("video " + std::to_string(kVideos));
      figures.findMs = timed(window, [&] {
        editor->dispatch(KeyDownMessage{IDC_FIND_TEXT, VK_RETURN});
      });
      figures.findAgainMs = timed(window, [&] {
        editor->dispatch(KeyDownMessage{IDC_FIND_TEXT, VK_F3});
      });
      bool shown = list.selectedCount() == 1 && list.rowData(list.firstSelectedRow()) == kVideos;
      window.closeFindBox();

      tree.selectItem(itemWithData(tree, 2));
      editor->dispatch(CommandMessage{ID_TYPE_DELETE});
      figures.undoMs = timed(window, [&] { editor->dispatch(CommandMessage{ID_EDIT_UNDO}); });
      shown = shown && list.rowCount() == kDeletedVideos;

      tree.selectItem(itemWithData(tree, 1));
      std::vector<int> rows(kMovedVideos);
      for (int row = 0; row < kMovedVideos; ++row) rows[static_cast<std::size_t>(row)] = row;
      list.selectRows(rows);
      const int before = list.rowCount();
      figures.moveMs = timed(window, [&] {
        editor->dispatch(DropMessage{DragKind::kListRows, TreeItem(), itemWithData(tree, 3)});
      });
      figures.shown = shown && list.rowCount() == before - kMovedVideos;
      // Back as it was, for the next run.
      editor->dispatch(CommandMessage{ID_EDIT_UNDO});
      window.EndModal(wxID_CANCEL);
    });
  });
  orvalen::COrvalenDlg dlg(toolkit, path);
  editor = &dlg;
  dlg.DoModal();
  return figures;
}

std::string medianAndRange(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  char text[96];
  std::snprintf(text, sizeof text, "median %.1f ms (%.1f to %.1f)", values[values.size() / 2],
                values.front(), values.back());
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  orvalen::test::PrivateDisplay display;
  if (!orvalen::bench::startWx(display, "orvalen-catalogue-bench")) return 1;
  ConfirmEverything confirm;

  orvalen::test::TempDir dir;
  const std::string path = dir.file("large.vdb");
  makeLargePluginFile(path);
  std::vector<double> find, findAgain, undo, move, refRestore, refMove;
  bool allShown = true;
  for (int run = 0; run < runs; ++run) {
    const Figures figures = measureOnce(path);
    find.push_back(figures.findMs);
    findAgain.push_back(figures.findAgainMs);
    undo.push_back(figures.undoMs);
    move.push_back(figures.moveMs);
    allShown = allShown && figures.shown;
    refRestore.push_back(referenceRestoreMs(path));
    refMove.push_back(referenceMoveMs(path));
  }
  std::printf("%d categories, %d videos; %d runs%s\n", kCategories, kVideos, runs,
              allShown ? "" : " (SOME RESULTS DID NOT SHOW AS EXPECTED)");
  std::printf("find of the last video:                %s\n", medianAndRange(find).c_str());
  std::printf("  the same find again (F3):            %s\n", medianAndRange(findAgain).c_str());
  std::printf("undo of a delete of %d videos:      %s\n", kDeletedVideos,
              medianAndRange(undo).c_str());
  std::printf("  reference SQLite 2.8, inserting them: %s\n", medianAndRange(refRestore).c_str());
  std::printf("moving %d videos:                    %s\n", kMovedVideos,
              medianAndRange(move).c_str());
  std::printf("  reference SQLite 2.8, the UPDATEs:    %s\n", medianAndRange(refMove).c_str());
  wxEntryCleanup();
  return 0;
}
