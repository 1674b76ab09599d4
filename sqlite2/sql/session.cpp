#include "sql/session.h"

#include "common/error.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

constexpr int32_t kFileFormat = 4;

}  // namespace

void Session::requireNotBeingRead(const Table& table) const {
  auto found = tablesBeingRead.find(table.root);
  if (found != tablesBeingRead.end() && found->second > 0) {
    throw Error(SQLITE_LOCKED, "database table is locked");
  }
}

void Session::requireWritable(const Table& table) const {
  if (&table == schema->schemaTable().get()) {
    throw Error(SQLITE_ERROR, "table " + table.name + " may not be modified");
  }
  if (table.isView) {
    throw Error(SQLITE_ERROR, "cannot modify " + table.name + " because it is a view");
  }
  if (table.hasTriggers) {
    throw Error(SQLITE_ERROR, "cannot modify " + table.name +
                                  " because it has triggers, which this engine does not run");
  }
}

void Session::noteSchemaChange() {
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
  if (!found) throw Error(SQLITE_ERROR, "no such table: " + name);
  return found;
}

std::shared_ptr<Table> Session::table(const FromItem& item) const {
  std::shared_ptr<Table> found = schema->findTable(item.table);
  if (found) return found;
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

std::unique_ptr<Cursor> Session::takeWriteCursor(PageNumber root) {
  if (writeCursor && writeCursorRoot == root) return std::move(writeCursor);
  return std::make_unique<Cursor>(*btree, root, true);
}

void Session::keepWriteCursor(PageNumber root, std::unique_ptr<Cursor> cursor) {
  writeCursor = std::move(cursor);
  writeCursorRoot = root;
}

void Session::dropWriteCursor() {
  writeCursor.reset();
  writeCursorRoot = 0;
}

ReadingTable::ReadingTable(Session& session, PageNumber root) : session_(session), root_(root) {
  ++session_.tablesBeingRead[root_];
}

ReadingTable::~ReadingTable() {
  auto found = session_.tablesBeingRead.find(root_);
  if (found != session_.tablesBeingRead.end() && --found->second == 0) {
    session_.tablesBeingRead.erase(found);
  }
}

}  // namespace sqlite2
