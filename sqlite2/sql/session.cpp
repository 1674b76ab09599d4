#include "sql/session.h"

#include "common/error.h"
#include "sql/trigger_firing.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

constexpr int32_t kFileFormat = 4;

}  // namespace

void Session::requireNotBeingRead(const Table& table) const {
  const Btree* tree = table.temporary ? temporary.btree() : btree.get();
  auto found = tablesBeingRead.find(TreeId(tree, table.root));
  if (found != tablesBeingRead.end() && found->second > 0) {
    throw Error(SQLITE_LOCKED, "database table is locked");
  }
}

void Session::requireWritable(const Table& table) const {
  if (&table == schema->schemaTable().get() || &table == schema->temporarySchemaTable().get()) {
    throw Error(SQLITE_ERROR, "table " + table.name + " may not be modified");
  }
  if (table.isView) {
    throw Error(SQLITE_ERROR, "cannot modify " + table.name + " because it is a view");
  }
}

void Session::noteSchemaChange(bool temporary) {
  if (temporary) return;
  MetaValues meta = btree->readMeta();
  if (meta[1] == cookieAtTransactionStart) {
    std::uniform_int_distribution<uint32_t> step(1, 256);
    meta[1] = static_cast<int32_t>(static_cast<uint32_t>(meta[1]) + step(random));
  }
  meta[2] = kFileFormat;
  btree->writeMeta(meta);
  schema->setCookie(meta[1]);
}

std::shared_ptr<Table> Session::table(const std::string& name) const {
  std::shared_ptr<Table> found = schema->findTable(name);
  if (insideFileTrigger(*this) && (!found || found->temporary)) {
    throw Error(SQLITE_ERROR, "no such table: main." + name);
  }
  if (!found) throw Error(SQLITE_ERROR, "no such table: " + name);
  return found;
}

std::shared_ptr<Table> Session::table(const FromItem& item) const {
  std::shared_ptr<Table> found = schema->findTable(item.table);
  // A name fixed to the file's database does not see the temporary tables.
  if (found && !(found->temporary && item.database == "main")) return found;
  std::string prefix = item.database.empty() ? "" : item.database + ".";
  throw Error(SQLITE_ERROR, "no such table: " + prefix + item.table);
}

ExpandingView::ExpandingView(Session& session, const Table& view) : session_(session) {
  for (const Table* outer : session.viewsBeingExpanded) {
    if (outer == &view) throw Error(SQLITE_ERROR, "view " + view.name + " is circularly defined");
  }
  session.viewsBeingExpanded.push_back(&view);
}

ExpandingView::~ExpandingView() {
  session_.viewsBeingExpanded.pop_back();
}

Btree& Session::treeOf(const Table& table) {
  return table.temporary ? temporary.open() : *btree;
}

std::unique_ptr<Cursor> Session::takeWriteCursor(Btree& tree, PageNumber root) {
  if (writeCursor && writeCursorTree == TreeId(&tree, root)) return std::move(writeCursor);
  return std::make_unique<Cursor>(tree, root, true);
}

void Session::keepWriteCursor(Btree& tree, PageNumber root, std::unique_ptr<Cursor> cursor) {
  writeCursor = std::move(cursor);
  writeCursorTree = TreeId(&tree, root);
}

void Session::dropWriteCursor() {
  writeCursor.reset();
  writeCursorTree = TreeId(nullptr, 0);
}

ReadingTable::ReadingTable(Session& session, const Table& table)
    : session_(session), tree_(&session.treeOf(table), table.root) {
  ++session_.tablesBeingRead[tree_];
}

ReadingTable::~ReadingTable() {
  auto found = session_.tablesBeingRead.find(tree_);
  if (found != session_.tablesBeingRead.end() && --found->second == 0) {
    session_.tablesBeingRead.erase(found);
  }
}

}  // namespace sqlite2
