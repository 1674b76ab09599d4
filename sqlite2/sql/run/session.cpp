#include "sql/run/session.h"

#include "common/error.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

constexpr int32_t kFileFormat = 4;

}  // namespace

void Session::throwHeldError() {
  if (!heldError) return;
  Error error = std::move(*heldError);
  heldError.reset();
  throw error;
}

void Session::throwCompoundError() {
  if (!compoundError) return;
  Error error = std::move(*compoundError);
  compoundError.reset();
  throw error;
}

void Session::requireNotBeingRead(const Table& table) const {
  const Btree* tree = table.attached    ? table.attached->btree.get()
                      : table.temporary ? temporary.btree()
                                        : btree.get();
  auto found = tablesBeingRead.find(TreeId(tree, table.root));
  if (found != tablesBeingRead.end() && found->second > 0) {
    throw Error(SQLITE_LOCKED, "database table is locked");
  }
}

void Session::requireWritable(const Table& table) const {
  if (&table == schema->schemaTable().get() || &table == schema->temporarySchemaTable().get() ||
      (table.attached && &table == table.attached->schema->schemaTable().get())) {
    throw Error(SQLITE_ERROR, "table " + table.name + " may not be modified");
  }
  if (table.isView) {
    throw Error(SQLITE_ERROR, "cannot modify " + table.name + " because it is a view");
  }
}

void Session::noteSchemaChange(bool temporary) {
  schemaChangedInTransaction = true;
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
  // A trigger of the file sees the file's tables alone, as a view does.
  const bool fileTrigger = triggers.insideFileTrigger();
  std::shared_ptr<Table> found = fileTrigger ? schema->findTable(name) : findTable(name);
  if (fileTrigger && (!found || found->temporary)) {
    throw Error(SQLITE_ERROR, "no such table: main." + name);
  }
  if (!found) throw Error(SQLITE_ERROR, "no such table: " + name);
  return found;
}

namespace {

// The table of that name in the database so named, or null.
std::shared_ptr<Table> findIn(const Session& session, std::string_view database,
                              std::string_view name) {
  if (sameName(database, "main") || sameName(database, "temp")) {
    std::shared_ptr<Table> found = session.schema->findTable(name);
    return found && found->temporary == sameName(database, "temp") ? found : nullptr;
  }
  const AttachedDatabase* attached = session.attached.find(database);
  if (!attached) return nullptr;
  std::shared_ptr<Table> found = attached->schema->findTable(name);
  return found && !found->temporary ? found : nullptr;
}

}  // namespace

std::shared_ptr<Table> Session::table(const std::string& database, const std::string& name) const {
  if (database.empty()) return table(name);
  std::shared_ptr<Table> found = findIn(*this, database, name);
  if (!found) throw Error(SQLITE_ERROR, "no such table: " + database + "." + name);
  return found;
}

std::shared_ptr<Table> Session::table(const FromItem& item) const {
  return table(item.database, item.table);
}

std::shared_ptr<Table> Session::findTable(std::string_view name) const {
  std::shared_ptr<Table> found = schema->findTable(name);
  return found ? found : attached.findTable(name);
}

std::shared_ptr<Index> Session::findIndex(std::string_view name) const {
  std::shared_ptr<Index> found = schema->findIndex(name);
  return found ? found : attached.findIndex(name);
}

std::pair<std::shared_ptr<Index>, Schema*> Session::index(const std::string& database,
                                                          const std::string& name) const {
  if (database.empty()) {
    if (std::shared_ptr<Index> found = schema->findIndex(name)) return {found, schema.get()};
    for (const auto& other : attached.all()) {
      if (std::shared_ptr<Index> found = other->schema->findIndex(name)) {
        return {found, other->schema.get()};
      }
    }
    throw Error(SQLITE_ERROR, "no such index: " + name);
  }
  if (const AttachedDatabase* other = attached.find(database)) {
    if (std::shared_ptr<Index> found = other->schema->findIndex(name)) {
      return {found, other->schema.get()};
    }
  } else if (std::shared_ptr<Index> found = schema->findIndex(name)) {
    std::shared_ptr<Table> table = schema->findTable(found->tableName);
    if (table && sameName(databaseName(*table), database)) return {found, schema.get()};
  }
  throw Error(SQLITE_ERROR, "no such index: " + database + "." + name);
}

void Session::startWriting(const Table& table) {
  if (table.attached && onAttachedWrite) onAttachedWrite(*table.attached->btree);
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
  if (table.attached) return *table.attached->btree;
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
