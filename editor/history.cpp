// Undo and redo. Every edit of the window is recorded as it is made (RunRecorded); an undo
// writes the rows of the last step back as they were, a redo as the step left them, each in
// one transaction and only while the rows are as this window left them (db/row_images.h).
// Then the tree and the list show the result, with what the step touched selected.

#include <optional>

#include "db/catalogue.h"
#include "db/transaction.h"
#include "editor/orvalen_dlg.h"
#include "editor/stored_change.h"
#include "editor/user_texts.h"

namespace orvalen {
namespace {

// Steps of more rows than this show the busy cursor while they are written.
constexpr std::size_t kRowsWithoutBusyCursor = 100;

ChangeSide otherSide(ChangeSide side) {
  return side == ChangeSide::kBefore ? ChangeSide::kAfter : ChangeSide::kBefore;
}

// '&' marks a mnemonic in menu texts; a name shows its own as "&&".
std::string withoutMnemonics(const std::string& text) {
  std::string shown;
  for (char c : text) {
    shown += c;
    if (c == '&') shown += '&';
  }
  return shown;
}

// The category a video of the change is in on that side, if it is there.
std::optional<int> videoCategory(const RowChange& change, ChangeSide side) {
  const std::optional<RowImage>& image = imageOn(change, side);
  return image ? image->parentId() : std::nullopt;
}

}  // namespace

EditStep COrvalenDlg::RunRecorded(std::string description,
                                  const std::function<void(RowChangeRecorder&)>& edit) {
  std::vector<RowChange> rows;
  {
    ScopedTransaction transaction(m_db);
    RowChangeRecorder recorder(m_db);
    edit(recorder);
    rows = recorder.finish();
    transaction.commit();
  }
  m_search.forgetVideos();
  return EditStep{std::move(description), std::move(rows), {}, {}};
}

void COrvalenDlg::Record(EditStep step) {
  if (!step.rows.empty()) m_history.record(std::move(step));
}

void COrvalenDlg::RecordEdit(std::string description,
                             const std::function<void(RowChangeRecorder&)>& edit) {
  Record(RunRecorded(std::move(description), edit));
}

void COrvalenDlg::OnEditUndo() {
  UndoOrRedo(ChangeSide::kBefore);
}

void COrvalenDlg::OnEditRedo() {
  UndoOrRedo(ChangeSide::kAfter);
}

// The history moves only once the rows are written, so a failure leaves file, screen and
// history as they were.
void COrvalenDlg::UndoOrRedo(ChangeSide side) {
  const bool undo = side == ChangeSide::kBefore;
  const EditStep* step = undo ? m_history.toUndo() : m_history.toRedo();
  if (!step) return;
  {
    std::optional<ScopedBusyCursor> busy;
    if (step->rows.size() > kRowsWithoutBusyCursor) busy.emplace(m_toolkit);
    RestoreRows(m_db, step->rows, side);
  }
  m_search.forgetVideos();
  m_lastMatch.reset();
  if (undo) {
    m_history.undone();
  } else {
    m_history.redone();
  }
  AfterStoring([&] { ShowStep(*step, side); });
}

void COrvalenDlg::ForgetItems(std::unordered_map<int, TreeItem>& items, TreeItem top) const {
  for (TreeItem item : CollectSubtree(top)) {
    const auto found = items.find(m_treeTypes->itemData(item));
    if (found != items.end() && found->second == item) items.erase(found);
  }
}

// Puts one category of a step where that side has it: gone, added in id order under the item
// it shows under, or moved and renamed. Returns its item (null when it is gone).
TreeItem COrvalenDlg::ShowCategoryRow(const RowChange& change, ChangeSide side,
                                      const std::map<int, int>& shownUnder,
                                      std::unordered_map<int, TreeItem>& items) {
  const std::optional<RowImage>& image = imageOn(change, side);
  const auto found = items.find(change.id);
  TreeItem item = found != items.end() ? found->second : TreeItem();
  if (!image) {
    m_typeNames.erase(change.id);
    if (item) {
      ForgetItems(items, item);
      m_treeTypes->deleteItem(item);
    }
    return {};
  }
  const FileText name = FileText::fromFile(image->bytes(2), m_codePage);
  const auto under = shownUnder.find(change.id);
  TreeItem parent = under != shownUnder.end() ? ItemOrRoot(items, under->second)
                    : item                    ? m_treeTypes->parentItem(item)
                                              : ItemOrRoot(items, image->parentId().value_or(-1));
  if (!item) {
    item = InsertInIdOrder(parent, change.id, name.text());
  } else if (m_treeTypes->parentItem(item) != parent) {
    item = MoveBranch(item, parent);
    items = ItemsById();
  } else if (m_treeTypes->itemText(item) != name.text()) {
    m_treeTypes->setItemText(item, name.text());
  }
  items[change.id] = item;
  if (name.hasUndecodableBytes()) {
    m_typeNames[change.id] = name;
  } else {
    m_typeNames.erase(change.id);
  }
  return item;
}

// The tree and the list as the step's side has the rows. What the step touched is selected:
// its first category, or the videos in the category they are in on that side.
void COrvalenDlg::ShowStep(const EditStep& step, ChangeSide side) {
  const std::map<int, int>& shownUnder =
      side == ChangeSide::kBefore ? step.shownUnderBefore : step.shownUnderAfter;
  const std::map<int, int>& shownUnderOther =
      side == ChangeSide::kBefore ? step.shownUnderAfter : step.shownUnderBefore;
  std::unordered_map<int, TreeItem> items = ItemsById();
  TreeItem focus;
  bool touchedCategories = false;
  for (const RowChange& change : step.rows) {
    if (change.table != CatalogueTable::kCategories) continue;
    const TreeItem item = ShowCategoryRow(change, side, shownUnder, items);
    if (!touchedCategories) {
      // A category gone on this side leaves the one it showed under selected.
      const auto under = shownUnderOther.find(change.id);
      focus = item ? item : ItemOrRoot(items, under != shownUnderOther.end() ? under->second : -1);
    }
    touchedCategories = true;
  }
  std::vector<int> videos;
  std::optional<int> category;
  for (const RowChange& change : step.rows) {
    if (change.table != CatalogueTable::kVideos) continue;
    if (imageOn(change, side)) videos.push_back(change.id);
    if (!category) category = videoCategory(change, side);
  }
  if (!touchedCategories && !step.rows.empty()) {
    if (!category) category = videoCategory(step.rows.front(), otherSide(side));
    const auto found = items.find(category.value_or(-1));
    focus = found != items.end() ? found->second : m_treeTypes->rootItem();
  }
  if (!focus) return;
  ShowCategory(focus, true);
  if (!touchedCategories) ShowRows(videos);
}

std::string COrvalenDlg::HistoryMenuText(int commandId) const {
  const bool undo = commandId == ID_EDIT_UNDO;
  const EditStep* step = undo ? m_history.toUndo() : m_history.toRedo();
  std::string entry = undo ? text::kMenuUndo : text::kMenuRedo;
  if (step) entry += " " + withoutMnemonics(step->description);
  return entry + (undo ? text::kMenuUndoKey : text::kMenuRedoKey);
}

// Not while a new category waits for its name: its row does not exist yet.
void COrvalenDlg::OnUpdateEditUndo(CCmdUI& cmdUI) {
  cmdUI.Enable(m_treeTypes && m_pendingNewTypes.empty() && m_history.toUndo());
}

void COrvalenDlg::OnUpdateEditRedo(CCmdUI& cmdUI) {
  cmdUI.Enable(m_treeTypes && m_pendingNewTypes.empty() && m_history.toRedo());
}

}  // namespace orvalen
