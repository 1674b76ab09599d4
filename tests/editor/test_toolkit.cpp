#include "tests/editor/test_toolkit.h"

#include <algorithm>
#include <stdexcept>

namespace orvalen::test {

void MessagePost::pump() {
  while (!queue_.empty() && target_) {
    WindowMessage message = std::move(queue_.front());
    queue_.pop_front();
    target_->dispatch(message);
  }
}

// ---------------------------------------------------------------------------------------------
// Tree

const TestTree::Node& TestTree::node(TreeItem item) const {
  auto found = nodes_.find(item.id());
  if (found == nodes_.end()) throw std::logic_error("tree: dead or null item");
  return found->second;
}

TestTree::Node& TestTree::node(TreeItem item) {
  return const_cast<Node&>(static_cast<const TestTree*>(this)->node(item));
}

std::vector<TreeItem>& TestTree::siblingsOf(TreeItem item) {
  TreeItem parent = node(item).parent;
  return parent ? node(parent).children : topLevel_;
}

TreeItem TestTree::insertItem(TreeItem parent, const std::string& label) {
  if (parent) node(parent);  // checks it
  TreeItem item(nextId_++);
  nodes_[item.id()] = Node{parent, {}, label, 0, false};
  (parent ? node(parent).children : topLevel_).push_back(item);
  return item;
}

TreeItem TestTree::insertItemAfter(TreeItem parent, TreeItem previous, const std::string& label) {
  std::vector<TreeItem>& siblings = parent ? node(parent).children : topLevel_;
  auto at = siblings.begin();
  if (previous) {
    at = std::find(siblings.begin(), siblings.end(), previous);
    if (at == siblings.end()) throw std::logic_error("tree: previous is no child of parent");
    ++at;
  }
  TreeItem item(nextId_++);
  nodes_[item.id()] = Node{parent, {}, label, 0, false};
  siblings.insert(at, item);
  return item;
}

bool TestTree::isInSubtree(TreeItem candidate, TreeItem top) const {
  for (TreeItem at = candidate; at; at = node(at).parent) {
    if (at == top) return true;
  }
  return false;
}

TreeItem TestTree::selectionAfterDeleting(TreeItem item) {
  const std::vector<TreeItem>& siblings = siblingsOf(item);
  auto at = std::find(siblings.begin(), siblings.end(), item);
  if (at + 1 != siblings.end()) return *(at + 1);
  if (at != siblings.begin()) return *(at - 1);
  return node(item).parent;
}

void TestTree::eraseSubtree(TreeItem item) {
  for (TreeItem child : node(item).children) eraseSubtree(child);
  nodes_.erase(item.id());
}

void TestTree::deleteItem(TreeItem item) {
  node(item);
  if (editing_ && isInSubtree(editing_, item)) editing_ = TreeItem();
  TreeItem oldSelection = selected_;
  bool selectionGoes = selected_ && isInSubtree(selected_, item);
  TreeItem newSelection = selectionGoes ? selectionAfterDeleting(item) : selected_;
  std::vector<TreeItem>& siblings = siblingsOf(item);
  siblings.erase(std::find(siblings.begin(), siblings.end(), item));
  eraseSubtree(item);
  if (selectionGoes) {
    selected_ = newSelection;
    post_.post(TreeSelChangedMessage{IDC_TREE_TYPES, oldSelection, newSelection});
  }
}

void TestTree::setItemText(TreeItem item, const std::string& label) {
  node(item).label = label;
}
std::string TestTree::itemText(TreeItem item) const {
  return node(item).label;
}
void TestTree::setItemData(TreeItem item, int data) {
  node(item).data = data;
}
int TestTree::itemData(TreeItem item) const {
  return node(item).data;
}

TreeItem TestTree::rootItem() const {
  return topLevel_.empty() ? TreeItem() : topLevel_.front();
}

TreeItem TestTree::parentItem(TreeItem item) const {
  return node(item).parent;
}

TreeItem TestTree::firstChild(TreeItem item) const {
  const Node& n = node(item);
  return n.children.empty() ? TreeItem() : n.children.front();
}

TreeItem TestTree::nextSibling(TreeItem item) const {
  const Node& n = node(item);
  const std::vector<TreeItem>& siblings = n.parent ? node(n.parent).children : topLevel_;
  auto at = std::find(siblings.begin(), siblings.end(), item);
  return at + 1 == siblings.end() ? TreeItem() : *(at + 1);
}

void TestTree::expand(TreeItem item) {
  node(item).expanded = true;
}
void TestTree::toggle(TreeItem item) {
  node(item).expanded = !node(item).expanded;
}
bool TestTree::isExpanded(TreeItem item) const {
  return node(item).expanded;
}

void TestTree::changeSelection(TreeItem item) {
  if (item == selected_) return;
  TreeItem old = selected_;
  selected_ = item;
  post_.post(TreeSelChangedMessage{IDC_TREE_TYPES, old, item});
}

void TestTree::endEdit(std::optional<std::string> text) {
  TreeItem item = editing_;
  editing_ = TreeItem();
  post_.post(TreeEndLabelEditMessage{IDC_TREE_TYPES, item, std::move(text)});
}

void TestTree::editLabel(TreeItem item) {
  editLabelWithText(item, node(item).label);
}

void TestTree::editLabelWithText(TreeItem item, const std::string& text) {
  node(item);
  if (editing_) endEdit(std::nullopt);
  changeSelection(item);
  editing_ = item;
  editStartText_ = text;
}

std::vector<std::pair<TreeItem, int>> TestTree::shownLines() const {
  std::vector<std::pair<TreeItem, int>> lines;
  std::vector<std::pair<TreeItem, int>> stack;
  for (auto it = topLevel_.rbegin(); it != topLevel_.rend(); ++it) stack.push_back({*it, 0});
  while (!stack.empty()) {
    auto [item, depth] = stack.back();
    stack.pop_back();
    lines.push_back({item, depth});
    const Node& n = node(item);
    if (!n.expanded) continue;
    for (auto it = n.children.rbegin(); it != n.children.rend(); ++it) {
      stack.push_back({*it, depth + 1});
    }
  }
  return lines;
}

TreeItem TestTree::itemAt(Point client) const {
  if (client.x < 0 || client.y < 0) return {};
  const auto lines = shownLines();
  const std::size_t line = static_cast<std::size_t>(client.y / kTreeLineHeight);
  return line < lines.size() ? lines[line].first : TreeItem();
}

void TestTree::selectItem(TreeItem item) {
  node(item);
  if (editing_) throw std::logic_error("tree: selectItem while a label edit runs");
  changeSelection(item);
}

Rect TestTree::itemRect(TreeItem item) {
  node(item);
  const auto lines = shownLines();
  for (std::size_t line = 0; line < lines.size(); ++line) {
    if (lines[line].first != item) continue;
    const int left = kTreeIndent * (lines[line].second + 1);
    const int top = static_cast<int>(line) * kTreeLineHeight;
    const int width = kCharWidth * static_cast<int>(node(item).label.size());
    return {left, top, left + width, top + kTreeLineHeight};
  }
  return {};
}

void TestTree::userSelect(TreeItem item) {
  if (item) node(item);
  if (editing_) throw std::logic_error("tree: end the label edit before selecting");
  changeSelection(item);
}

void TestTree::userStartEdit(TreeItem item) {
  userSelect(item);
  editing_ = item;
}

void TestTree::userEndEdit(std::optional<std::string> text) {
  if (!editing_) throw std::logic_error("tree: no label edit in progress");
  endEdit(std::move(text));
}

std::vector<TreeItem> TestTree::children(TreeItem parent) const {
  return parent ? node(parent).children : topLevel_;
}

// ---------------------------------------------------------------------------------------------
// List

TestList::StoredRow& TestList::at(int row) {
  return const_cast<StoredRow&>(static_cast<const TestList*>(this)->at(row));
}

const TestList::StoredRow& TestList::at(int row) const {
  if (row < 0 || row >= rowCount()) throw std::logic_error("list: row out of range");
  return rows_[static_cast<std::size_t>(row)];
}

void TestList::setExtendedStyle(unsigned mask, unsigned style) {
  extendedStyle_ = (extendedStyle_ & ~mask) | (style & mask);
}

void TestList::insertColumn(const std::string& heading, int width, int format) {
  columns_.push_back({heading, width, format});
}

int TestList::insertRow(int position, const std::string& label) {
  position = std::clamp(position, 0, rowCount());
  StoredRow row;
  row.cells.push_back(label);
  rows_.insert(rows_.begin() + position, std::move(row));
  return position;
}

void TestList::deleteRow(int row) {
  at(row);
  rows_.erase(rows_.begin() + row);
}

void TestList::setRowText(int row, int column, const std::string& text) {
  if (column < 0) throw std::logic_error("list: negative column");
  StoredRow& stored = at(row);
  if (stored.cells.size() <= static_cast<std::size_t>(column)) stored.cells.resize(column + 1);
  stored.cells[column] = text;
}

std::string TestList::rowText(int row, int column) const {
  const StoredRow& stored = at(row);
  if (column < 0) throw std::logic_error("list: negative column");
  return static_cast<std::size_t>(column) < stored.cells.size() ? stored.cells[column] : "";
}

void TestList::setRowData(int row, int data) {
  at(row).data = data;
}
int TestList::rowData(int row) const {
  return at(row).data;
}

void TestList::appendRows(std::vector<Row> rows) {
  rows_.reserve(rows_.size() + rows.size());
  for (Row& row : rows) {
    StoredRow stored;
    stored.cells.push_back(std::move(row.label));
    for (std::string& cell : row.cells) stored.cells.push_back(std::move(cell));
    stored.data = row.data;
    rows_.push_back(std::move(stored));
  }
}

int TestList::firstSelectedRow() const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].selected) return static_cast<int>(i);
  }
  return -1;
}

int TestList::selectedCount() const {
  return static_cast<int>(
      std::count_if(rows_.begin(), rows_.end(), [](const StoredRow& row) { return row.selected; }));
}

bool TestList::isRowSelected(int row) const {
  return at(row).selected;
}

void TestList::selectOnlyRow(int row) {
  at(row);
  userSelectRows({row});
}

int TestList::rowAt(Point client) const {
  if (client.x < 0 || client.y < kListHeaderHeight) return -1;
  const int row = (client.y - kListHeaderHeight) / kListRowHeight;
  return row < rowCount() ? row : -1;
}

Rect TestList::rowRect(int row) {
  at(row);
  int width = 0;
  for (const Column& column : columns_) width += column.width;
  const int top = kListHeaderHeight + row * kListRowHeight;
  return {0, top, width, top + kListRowHeight};
}

void TestList::userSelectRows(const std::vector<int>& rows) {
  for (StoredRow& row : rows_) row.selected = false;
  for (int row : rows) at(row).selected = true;
}

// ---------------------------------------------------------------------------------------------
// Window

TestEditorWindow::TestEditorWindow(TestWindowOptions options) : options_(options) {
  // The dialog template's layout, converted at 2 pixels per dialog unit.
  int b = options.border;
  places_[IDC_TREE_TYPES] = {30, 40, 294, 542, b};
  places_[IDC_LIST_ITEMS] = {364, 44, 504, 536, b};
  if (options.withGroupBoxes) {
    places_[IDC_GROUP_TYPES] = {14, 14, 322, 584, 0};
    places_[IDC_GROUP_ITEMS] = {348, 20, 536, 576, 0};
  }
}

const ControlPlace& TestEditorWindow::place(int controlId) const {
  auto found = places_.find(controlId);
  if (found == places_.end()) throw std::logic_error("window: no such control");
  return found->second;
}

bool TestEditorWindow::hasControl(int controlId) const {
  return places_.count(controlId) != 0;
}

Rect TestEditorWindow::clientRect(int controlId) const {
  const ControlPlace& p = place(controlId);
  return {0, 0, std::max(0, p.width - 2 * p.border), std::max(0, p.height - 2 * p.border)};
}

Point TestEditorWindow::screenToClient(int controlId, Point screen) const {
  const ControlPlace& p = place(controlId);
  return {screen.x - options_.clientOrigin.x - p.x - p.border,
          screen.y - options_.clientOrigin.y - p.y - p.border};
}

Point TestEditorWindow::clientToScreen(int controlId, Point client) const {
  const ControlPlace& p = place(controlId);
  return {client.x + options_.clientOrigin.x + p.x + p.border,
          client.y + options_.clientOrigin.y + p.y + p.border};
}

void TestEditorWindow::takeInput() {
  while (!pendingInput.empty()) {
    std::function<void()> input = std::move(pendingInput.front());
    pendingInput.pop_front();
    input();
  }
  post_.pump();
}

void TestEditorWindow::moveControl(int controlId, int x, int y, int width, int height, bool) {
  moves.push_back({controlId, x, y, width, height});
  ControlPlace& p = places_.at(controlId);
  p.x = x;
  p.y = y;
  p.width = std::max(0, width);
  p.height = std::max(0, height);
}

void TestEditorWindow::drawIcon(int iconId, int x, int y) {
  iconsDrawn.push_back({iconId, x, y});
}

void TestEditorWindow::setIcon(int iconId, bool big) {
  iconsSet.emplace_back(iconId, big);
}

SystemMenu* TestEditorWindow::systemMenu() {
  return options_.withSystemMenu ? &systemMenu_ : nullptr;
}

int TestEditorWindow::trackPopupMenu(const PopupMenu& menu, Point screen) {
  // A menu's modal loop delivers what is pending before it waits for the user.
  post_.pump();
  std::vector<int> selection;
  for (int row = 0; row < list_.rowCount(); ++row) {
    if (list_.isRowSelected(row)) selection.push_back(row);
  }
  popups.push_back({menu, screen, tree_.selectedItem(), list_.rowCount(), selection});
  if (popupAnswers.empty()) throw std::logic_error("window: unscripted pop-up menu");
  int chosen = popupAnswers.front();
  popupAnswers.pop_front();
  for (const PopupMenu::Entry& entry : menu.entries) {
    if (entry.commandId == chosen && chosen != 0) return entry.enabled ? chosen : 0;
  }
  return 0;
}

void TestEditorWindow::showFindBox() {
  findBoxShown = true;
  ++findBoxShows;
}

void TestEditorWindow::userTypeInFindBox(const std::string& text) {
  if (!findBoxShown) throw std::logic_error("window: typing into a find box that is closed");
  findText = text;
}

bool TestEditorWindow::userDrag(DragKind kind, TreeItem dragged, TreeItem target) {
  if (target) tree_.itemText(target);  // checks it
  MessageTarget* receiver = post_.target();
  const bool allowed =
      receiver && receiver->dispatch(DragOverMessage{kind, dragged, target}).value == 1;
  if (allowed) post_.post(DropMessage{kind, dragged, target});
  return allowed;
}

int TestEditorWindow::messageBox(const std::string& text, const std::string& caption,
                                 unsigned style) {
  messageBoxes.push_back({text, caption, style});
  if (messageBoxAnswers.empty()) {
    throw std::logic_error("window: unscripted message box: " + caption + ": " + text);
  }
  int answer = messageBoxAnswers.front();
  messageBoxAnswers.pop_front();
  if ((style & MB_OKCANCEL) == 0) return IDOK;
  return answer == IDOK ? IDOK : IDCANCEL;
}

// ---------------------------------------------------------------------------------------------
// Toolkit

namespace {

class MapExchange : public DataExchange {
 public:
  MapExchange(std::map<int, std::string>& edits, bool saving) : edits_(edits), saving_(saving) {}
  bool isSaving() const override { return saving_; }
  void text(int controlId, std::string& value) override {
    if (saving_) {
      value = edits_[controlId];
    } else {
      edits_[controlId] = value;
    }
  }
  void fail(int controlId, const std::string& message) override {
    if (!saving_) throw std::logic_error("dialog: fail() while the dialog opens");
    if (refusal_) throw std::logic_error("dialog: fail() twice in one exchange");
    refusal_ = DialogRefusal{controlId, message};
  }
  const std::optional<DialogRefusal>& refusal() const { return refusal_; }

 private:
  std::map<int, std::string>& edits_;
  bool saving_;
  std::optional<DialogRefusal> refusal_;
};

}  // namespace

int TestToolkit::runEditorWindow(EditorWindowClient& client) {
  TestEditorWindow window(windowOptions);
  TestEditorWindow* outerWindow = activeWindow;
  activeWindow = &window;
  if (beforeInit) beforeInit(window);
  window.post().setTarget(&client);
  client.attachWindow(&window);
  client.OnInitDialog();
  if (!window.endCode) {
    editorWindowShown = true;
    if (session) session(window);
    window.takeInput();
  }
  client.attachWindow(nullptr);
  window.post().setTarget(nullptr);
  activeWindow = outerWindow;
  return window.endCode.value_or(IDCANCEL);
}

// The user's answers are taken one at a time: after a refused confirm the dialog stays, and the
// next answer goes on from the texts as they stand.
int TestToolkit::runModalDialog(int templateId, DialogClient& client) {
  if (templateId != IDD_ITEM_DIALOG && templateId != IDD_ABOUTBOX) return -1;
  std::map<int, std::string> edits;
  MapExchange load(edits, false);
  client.DoDataExchange(load);
  dialogs.push_back({templateId, edits, {}});
  for (;;) {
    if (dialogAnswers.empty()) throw std::logic_error("toolkit: unscripted dialog");
    DialogAnswer answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    if (answer.result != IDOK) return IDCANCEL;
    for (auto& [id, text] : answer.typed) edits[id] = text;
    MapExchange save(edits, true);
    client.DoDataExchange(save);
    if (!save.refusal()) return IDOK;
    if (activeWindow)
      activeWindow->messageBox(save.refusal()->message, "错误", MB_OK | MB_ICONERROR);
    dialogs.back().refusals.push_back(*save.refusal());
  }
}

CategoryChoiceResult TestToolkit::runCategoryDialog(const CategoryChoice& choice) {
  categoryChoices.push_back(choice);
  if (categoryAnswers.empty()) throw std::logic_error("toolkit: unscripted category dialog");
  CategoryChoiceResult answer = categoryAnswers.front();
  categoryAnswers.pop_front();
  if (answer.code != IDOK) return {};
  for (const CategoryChoice::Entry& entry : choice.entries) {
    if (entry.id == answer.id) return answer;
  }
  throw std::logic_error("toolkit: the category dialog shows no entry " +
                         std::to_string(answer.id));
}

FileDialogResult TestToolkit::runFileDialog(FileDialogKind kind, const std::string& filter) {
  fileDialogs.emplace_back(kind, filter);
  if (fileDialogAnswers.empty()) throw std::logic_error("toolkit: unscripted file dialog");
  FileDialogResult answer = fileDialogAnswers.front();
  fileDialogAnswers.pop_front();
  return answer;
}

void TestToolkit::beginBusyCursor() {
  if (busyDepth++ == 0) {
    ++busyCursorsShown;
    if (onBusyCursor) onBusyCursor();
  }
}

void TestToolkit::endBusyCursor() {
  if (busyDepth == 0) throw std::logic_error("toolkit: busy cursor ended more often than begun");
  --busyDepth;
}

void TestToolkit::discardPendingInput() {
  ++inputDiscards;
  if (activeWindow) activeWindow->pendingInput.clear();
}

}  // namespace orvalen::test
