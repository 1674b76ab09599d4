#include "sql/schema/attached_databases.h"

#include <algorithm>

#include "common/error.h"
#include "os/file_system.h"
#include "sqlite.h"

namespace sqlite2 {

AttachedDatabase::~AttachedDatabase() {
  btree.reset();
  if (scratchPath.empty()) return;
  deleteFileIfPossible(scratchPath);
  deleteFileIfPossible(scratchPath + "-journal");
}

namespace {

bool isBuiltInName(std::string_view name) {
  return sameName(name, "main") || sameName(name, "temp");
}

}  // namespace

AttachedDatabase& AttachedDatabases::attach(const std::string& path, const std::string& name,
                                            const std::function<void(Btree&)>& onOpened) {
  if (databases_.size() >= kMaximum) {
    throw Error(SQLITE_ERROR, "too many attached databases - max " + std::to_string(kMaximum));
  }
  if (isBuiltInName(name) || find(name)) {
    throw Error(SQLITE_ERROR, "database " + name + " is already in use");
  }
  auto database = std::make_unique<AttachedDatabase>();
  database->name = name;
  if (path == ":memory:") {
    database->scratchPath = freshTemporaryPath();
    database->btree = Btree::open(database->scratchPath, PagerOptions{});
    database->schema = Schema::loadAttached(*database->btree, *database, database->name);
    databases_.push_back(std::move(database));
    return *databases_.back();
  }
  // An empty name would open the connection's own directory; the reference library calls
  // the outcome an empty database.
  if (!path.empty()) {
    try {
      database->btree = Btree::open(path, PagerOptions{});
    } catch (const Error& error) {
      throw Error(SQLITE_ERROR, error.what());
    }
    database->path = absolutePath(path);
    if (onOpened) onOpened(*database->btree);
  }
  // A new file is not made a database here: there is nothing to attach.
  if (!database->btree || database->btree->pager().pageCount() == 0) {
    throw Error(SQLITE_ERROR, "cannot attach empty database: " + name);
  }
  try {
    PageRef holdLock = database->btree->pager().get(1);
    database->schema = Schema::loadAttached(*database->btree, *database, database->name);
  } catch (const Error& error) {
    if (error.code() != SQLITE_FORMAT) throw Error(SQLITE_ERROR, error.what());
    throw Error(SQLITE_ERROR, "incompatible file format in auxiliary database: " + name);
  }
  databases_.push_back(std::move(database));
  return *databases_.back();
}

void AttachedDatabases::detach(std::string_view name) {
  if (isBuiltInName(name)) {
    throw Error(SQLITE_ERROR, "cannot detach database " + std::string(name));
  }
  auto found = std::find_if(databases_.begin(), databases_.end(), [name](const auto& database) {
    return sameName(database->name, name);
  });
  if (found == databases_.end()) {
    throw Error(SQLITE_ERROR, "no such database: " + std::string(name));
  }
  // The last one takes the freed place, as in SQLite 2.8: that order is the order in which
  // unqualified names are looked for.
  *found = std::move(databases_.back());
  databases_.pop_back();
}

AttachedDatabase* AttachedDatabases::find(std::string_view name) const {
  for (const auto& database : databases_) {
    if (sameName(database->name, name)) return database.get();
  }
  return nullptr;
}

std::shared_ptr<Table> AttachedDatabases::findTable(std::string_view name) const {
  for (const auto& database : databases_) {
    std::shared_ptr<Table> table = database->schema->findTable(name);
    // Every schema has its own sqlite_temp_master, but only the temporary database's is real.
    if (table && table != database->schema->temporarySchemaTable()) return table;
  }
  return nullptr;
}

std::shared_ptr<Index> AttachedDatabases::findIndex(std::string_view name) const {
  for (const auto& database : databases_) {
    if (std::shared_ptr<Index> index = database->schema->findIndex(name)) return index;
  }
  return nullptr;
}

void AttachedDatabases::refreshSchemas() {
  for (const auto& database : databases_) {
    if (database->btree->readMeta()[1] != database->schema->cookie()) {
      database->schema = Schema::loadAttached(*database->btree, *database, database->name);
    }
  }
}

std::string_view databaseName(const Table& table) {
  if (table.attached) return table.attached->name;
  return table.temporary ? "temp" : "main";
}

}  // namespace sqlite2
