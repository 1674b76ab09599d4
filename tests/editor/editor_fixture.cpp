#include "tests/editor/editor_fixture.h"

#include <functional>
#include <map>
#include <sstream>

#include "db/code_page.h"
#include "db/database.h"
#include "tests/support/reference_engine.h"

namespace orvalen::test {

namespace {

std::string quoted(const std::string& utf8) {
  std::string bytes = CodePage::forPluginFiles().encode(utf8);
  std::string out = "'";
  for (char c : bytes) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

std::string decoded(const char* bytes) {
  return bytes ? CodePage::forPluginFiles().decode(bytes) : std::string();
}

// A whole number, or nothing (NULL reads as an empty text or null).
std::optional<int> wholeNumber(const char* text) {
  if (!text || !*text) return std::nullopt;
  std::size_t used = 0;
  try {
    int value = std::stoi(text, &used);
    if (text[used] == '\0') return value;
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

std::vector<std::string> splitFields(const std::string& row) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(row);
  while (std::getline(in, field, '|')) fields.push_back(field);
  if (!row.empty() && row.back() == '|') fields.push_back("");
  return fields;
}

const char* kSelectTypes = "select id, parentid, ItemText from tb_type_list order by id;";
const char* kSelectItems =
    "select id, parentid, ItemText, itemUrl, itemImageUrl from tb_item_list order by id;";

}  // namespace

void MakePluginFile(const std::string& path, const std::vector<TypeRow>& types,
                    const std::vector<ItemRow>& items) {
  CppSQLiteDB db;
  db.open(path.c_str());
  db.runStatement(
      "create table tb_type_list (id INTEGER PRIMARY KEY, parentid int, ItemText varchar(255));");
  db.runStatement(
      "create table tb_item_list (id INTEGER PRIMARY KEY, parentid int, ItemText varchar(255), "
      "itemUrl varchar(255), itemImageUrl varchar(255));");
  for (const TypeRow& row : types) {
    const std::string parent = row.parentId ? std::to_string(*row.parentId) : "NULL";
    db.runStatement(("insert into tb_type_list (id, parentid, ItemText) values(" +
                     std::to_string(row.id) + ", " + parent + ", " + quoted(row.name) + ");")
                        .c_str());
  }
  for (const ItemRow& row : items) {
    db.runStatement(
        ("insert into tb_item_list (id, parentid, ItemText, itemUrl, itemImageUrl) values(" +
         std::to_string(row.id) + ", " + std::to_string(row.parentId) + ", " + quoted(row.name) +
         ", " + quoted(row.url) + ", " + quoted(row.imageUrl) + ");")
            .c_str());
  }
}

void RunOnFile(const std::string& path, const std::string& sql) {
  CppSQLiteDB db;
  db.open(path.c_str());
  db.runStatement(sql.c_str());
}

FileRows ReadWithEngine(const std::string& path) {
  CppSQLiteDB db;
  db.open(path.c_str());
  FileRows rows;
  CppSQLiteTable types = db.queryTable(kSelectTypes);
  for (int r = 0; r < types.rowCount(); ++r) {
    types.selectRow(r);
    rows.types.push_back(
        {types.fieldInt(0), wholeNumber(types.fieldText(1)), decoded(types.fieldText(2))});
  }
  CppSQLiteTable items = db.queryTable(kSelectItems);
  for (int r = 0; r < items.rowCount(); ++r) {
    items.selectRow(r);
    rows.items.push_back({items.fieldInt(0), items.fieldInt(1), decoded(items.fieldText(2)),
                          decoded(items.fieldText(3)), decoded(items.fieldText(4))});
  }
  return rows;
}

FileRows ReadWithReference(const std::string& path) {
  EXPECT_EQ(referenceIntegrity(path), "ok");
  FileRows rows;
  for (const std::string& line : referenceQuery(path, kSelectTypes)) {
    std::vector<std::string> f = splitFields(line);
    rows.types.push_back(
        {std::stoi(f.at(0)), wholeNumber(f.at(1).c_str()), decoded(f.at(2).c_str())});
  }
  for (const std::string& line : referenceQuery(path, kSelectItems)) {
    std::vector<std::string> f = splitFields(line);
    rows.items.push_back({std::stoi(f.at(0)), std::stoi(f.at(1)), decoded(f.at(2).c_str()),
                          decoded(f.at(3).c_str()), decoded(f.at(4).c_str())});
  }
  return rows;
}

// ---------------------------------------------------------------------------------------------

EditorSession::EditorSession(const std::string& path, Delivery delivery, TestWindowOptions options,
                             std::deque<int> messageBoxAnswers)
    : window_(std::make_unique<TestEditorWindow>(options)),
      dlg_(std::make_unique<COrvalenDlg>(toolkit_, path)) {
  window_->messageBoxAnswers = std::move(messageBoxAnswers);
  toolkit_.activeWindow = window_.get();
  window_->post().setDelivery(delivery);
  window_->post().setTarget(dlg_.get());
  dlg_->attachWindow(window_.get());
  initResult_ = dlg_->OnInitDialog();
  pump();
}

EditorSession::~EditorSession() {
  dlg_->attachWindow(nullptr);
  window_->post().setTarget(nullptr);
  dlg_.reset();
}

TreeItem EditorSession::item(const std::vector<std::string>& labels) {
  TreeItem at = tree().rootItem();
  for (const std::string& label : labels) {
    TreeItem found;
    for (TreeItem child : tree().children(at)) {
      if (tree().itemText(child) == label) found = child;
    }
    if (!found) throw std::logic_error("no tree item labelled " + label);
    at = found;
  }
  return at;
}

void EditorSession::select(TreeItem item) {
  tree().userSelect(item);
  pump();
}

void EditorSession::command(int commandId) {
  dlg_->dispatch(CommandMessage{commandId});
  pump();
}

void EditorSession::endEdit(const std::string& text) {
  tree().userEndEdit(text);
  pump();
}

void EditorSession::cancelEdit() {
  tree().userEndEdit(std::nullopt);
  pump();
}

namespace {

std::string describe(TestTree& tree, TreeItem parent, bool data) {
  std::string out;
  for (TreeItem child : tree.children(parent)) {
    if (!out.empty()) out += " ";
    out += data ? std::to_string(tree.itemData(child)) : tree.itemText(child);
    std::string below = describe(tree, child, data);
    if (!below.empty()) out += "(" + below + ")";
  }
  return out;
}

struct Node {
  std::string label;
  int id;
  std::vector<int> children;
};

// The row each row belongs under, or -1 for the root. A row on a cycle of parents comes back
// to itself by following parents at most as many steps as there are rows.
std::vector<int> parentRows(const std::vector<TypeRow>& types) {
  const int count = static_cast<int>(types.size());
  std::vector<int> parent(types.size(), -1);
  for (int row = 0; row < count; ++row) {
    const auto& parentId = types[row].parentId;
    if (!parentId || *parentId == -1) continue;
    for (int other = 0; other < count; ++other) {
      if (types[other].id == *parentId && other != row) parent[row] = other;
    }
  }
  std::vector<int> placed = parent;
  for (int row = 0; row < count; ++row) {
    int at = parent[row];
    for (int step = 0; step < count && at >= 0 && at != row; ++step) at = parent[at];
    if (at == row) placed[row] = -1;
  }
  return placed;
}

std::string describeRows(const std::vector<TypeRow>& types, bool data) {
  const std::vector<int> parent = parentRows(types);
  std::function<std::string(int)> text = [&](int under) {
    std::string out;
    for (std::size_t row = 0; row < types.size(); ++row) {
      if (parent[row] != under) continue;
      if (!out.empty()) out += " ";
      out += data ? std::to_string(types[row].id) : types[row].name;
      std::string below = text(static_cast<int>(row));
      if (!below.empty()) out += "(" + below + ")";
    }
    return out;
  };
  return text(-1);
}

}  // namespace

std::string EditorSession::treeLabels() {
  return describe(tree(), tree().rootItem(), false);
}
std::string EditorSession::treeData() {
  return describe(tree(), tree().rootItem(), true);
}

void ExpectWindowShows(EditorSession& session, const FileRows& rows) {
  EXPECT_EQ(session.treeLabels(), describeRows(rows.types, false));
  EXPECT_EQ(session.treeData(), describeRows(rows.types, true));

  TreeItem selected = session.tree().selectedItem();
  if (!selected) return;
  int typeId = session.tree().itemData(selected);
  std::vector<ItemRow> expected;
  for (const ItemRow& row : rows.items) {
    if (row.parentId == typeId) expected.push_back(row);
  }
  TestList& list = session.list();
  ASSERT_EQ(list.rowCount(), static_cast<int>(expected.size())) << "videos of " << typeId;
  for (int r = 0; r < list.rowCount(); ++r) {
    const ItemRow& row = expected[static_cast<std::size_t>(r)];
    EXPECT_EQ(list.rowText(r, 0), std::to_string(r + 1));
    EXPECT_EQ(list.rowData(r), row.id);
    EXPECT_EQ(list.rowText(r, 1), row.name);
    EXPECT_EQ(list.rowText(r, 2), row.url);
    EXPECT_EQ(list.rowText(r, 3), row.imageUrl);
  }
}

std::vector<TypeRow> SampleTypes() {
  return {{1, -1, "A"}, {2, 1, "B"}, {3, 5, "C"}, {5, -1, "E"}, {6, 2, "F"}};
}

std::vector<ItemRow> SampleItems() {
  return {{4, 1, "电影一", "http://v/1", "http://i/1.png"},
          {9, 1, "it's two", "http://v/2", ""},
          {12, 1, "三", "", "http://i/3.png"},
          {13, 2, "B's video", "http://v/b", "http://i/b"},
          {14, 6, "F video", "http://v/f", "http://i/f"},
          {15, 3, "C video", "http://v/c", "http://i/c"},
          {16, -1, "root video", "http://v/r", "http://i/r"}};
}

}  // namespace orvalen::test
