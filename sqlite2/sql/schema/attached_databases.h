#pragma once

// The database files a connection has attached beside its own (ATTACH DATABASE): each with
// the name statements call it by, its b-tree and its schema. Their schemas are read-only to
// the connection, as in SQLite 2.8: tables are read and written, nothing is created or
// dropped there.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "btree/btree.h"
#include "sql/schema/schema.h"

namespace sqlite2 {

struct AttachedDatabase {
  AttachedDatabase() = default;
  ~AttachedDatabase();
  AttachedDatabase(const AttachedDatabase&) = delete;
  AttachedDatabase& operator=(const AttachedDatabase&) = delete;

  std::string name;  // as ATTACH gave it
  std::string path;  // absolute, as PRAGMA database_list shows it; empty for ':memory:'
  std::unique_ptr<Btree> btree;
  std::unique_ptr<Schema> schema;
  // ':memory:' is an empty database that nothing can be added to: a private file stands in
  // for it, removed at DETACH.
  std::string scratchPath;
};

class AttachedDatabases {
 public:
  // SQLite 2.8 takes no more than ten beside main and temp.
  static constexpr size_t kMaximum = 10;

  // Opens the file and reads its schema. Refuses a name in use (main and temp included), an
  // eleventh database, a file that cannot be opened, an empty file and one that is no
  // database, with SQLite 2.8's errors. onOpened gets the b-tree before its schema is read
  // (to hand on the connection's busy handler).
  AttachedDatabase& attach(const std::string& path, const std::string& name,
                           const std::function<void(Btree&)>& onOpened);
  // Closes the database of that name; "no such database", and main and temp are refused.
  void detach(std::string_view name);

  // The database of that name (any case), or null.
  AttachedDatabase* find(std::string_view name) const;
  const std::vector<std::unique_ptr<AttachedDatabase>>& all() const { return databases_; }

  // The first table (or view) or index of that name in attaching order, or null.
  std::shared_ptr<Table> findTable(std::string_view name) const;
  std::shared_ptr<Index> findIndex(std::string_view name) const;

  // Reads a database's schema again when another connection changed it. The caller holds
  // the file's lock.
  void refreshSchemas();

 private:
  std::vector<std::unique_ptr<AttachedDatabase>> databases_;
};

// The name of the database a table lives in: "main", "temp" or the attached one's.
std::string_view databaseName(const Table& table);

}  // namespace sqlite2
