// VACUUM rebuilds the file as SQLite 2.8 does: every object of sqlite_master is made again,
// in its row order with the views last, in a fresh database (a table's automatic indexes first,
// then the table, its rows and their entries; an explicit index after its table's rows; views and
// triggers as rows alone), whose pages then replace the file's, which ends where the fresh database
// ends. The schema rows, and the rows of a table without an INTEGER PRIMARY KEY, are
// numbered from 1 again; unset default settings are stored as the values they stand for.

#include "sql/run/vacuum_statement.h"

#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "btree/btree.h"
#include "common/error.h"
#include "record/row_record.h"
#include "record/table_key.h"
#include "sql/run/pragma_statements.h"
#include "sql/run/session.h"
#include "sql/run/source_columns.h"
#include "sql/run/table_writer.h"
#include "sql/schema/temporary_database.h"
#include "sql/schema/view_query.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

constexpr size_t kMetaCacheSize = 3;
constexpr size_t kMetaSynchronous = 4;
constexpr int32_t kDefaultCacheSize = 2000;
constexpr int32_t kNormalSynchronous = 2;

struct SchemaRow {
  std::string type, name, tableName;
  std::optional<std::string> sql;
};

std::vector<SchemaRow> readSchemaRows(Btree& file) {
  std::vector<SchemaRow> rows;
  Cursor cursor(file, kSchemaRoot, false);
  for (bool more = cursor.first(); more; more = cursor.next()) {
    std::string data = cursor.data();
    RecordView record(data);
    auto text = [&record](size_t column) {
      std::optional<std::string_view> field = record.field(column);
      return field ? std::string(*field) : std::string();
    };
    SchemaRow row{text(0), text(1), text(2), std::nullopt};
    if (std::optional<std::string_view> sql = record.field(4)) row.sql = std::string(*sql);
    rows.push_back(std::move(row));
  }
  return rows;
}

class Rebuild {
 public:
  Rebuild(Session& session, Btree& fresh) : session_(session), fresh_(fresh) {}

  void object(const SchemaRow& row) {
    if (!row.sql || row.sql->empty()) return;  // an automatic index goes with its table
    const Schema& schema = *session_.schema;
    if (row.type == "table") {
      std::shared_ptr<Table> table = schema.findTable(row.name);
      if (table && !table->isView && !table->temporary) copyTable(*table, *row.sql);
    } else if (row.type == "index") {
      std::shared_ptr<Index> index = schema.findIndex(row.name);
      std::shared_ptr<Table> table = index ? schema.findTable(index->tableName) : nullptr;
      if (index && table && !table->temporary) {
        PageNumber root = fresh_.createTree();
        addRow("index", index->name, table->name, root, *row.sql);
        copyIndex(*table, *index, root);
      }
    } else if (row.type == "view") {
      makeView(row);
    } else if (schema.findTable(row.name) || row.type == "trigger") {
      addRow(row.type, row.name, row.tableName, 0, *row.sql);
    }
    made_.insert(lowerCase(row.name));
  }

  // The order SQLite 2.8 makes them in: the views after everything else. (It makes a trigger
  // of a view before the view, and fails with "no such table": here such triggers come last.)
  static int pass(const SchemaRow& row, const Schema& schema) {
    if (row.type == "view") return 1;
    std::shared_ptr<Table> table = schema.findTable(row.tableName);
    return row.type == "trigger" && table && table->isView ? 2 : 0;
  }

 private:
  static std::string lowerCase(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
  }

  // As CREATE VIEW does, the view must find the tables its column names need among the
  // objects made before it, and their columns its joins name (USING).
  void makeView(const SchemaRow& row) {
    std::shared_ptr<Table> view = session_.schema->findTable(row.name);
    if (!view || !view->isView) return;
    forEachTableNamed(*view->viewSelect, [&](const FromItem& item) {
      if (!made_.count(lowerCase(item.table))) {
        throw Error(SQLITE_ERROR, "no such table: main." + item.table);
      }
    });
    sourceColumnNames(session_, *view->viewSelect);
    addRow(row.type, row.name, row.tableName, 0, *row.sql);
  }

  // The table with the indexes its constraints make (its explicit indexes have rows of
  // their own, later). The rows go in one at a time, each followed by its index entries, as
  // INSERT ... SELECT puts them; a table without an INTEGER PRIMARY KEY numbers them from 1
  // again.
  void copyTable(const Table& table, const std::string& sql) {
    const std::vector<Index*> automatic = table.automaticIndexes();
    std::vector<PageNumber> indexRoots;
    for (size_t i = 0; i < automatic.size(); ++i) indexRoots.push_back(fresh_.createTree());
    PageNumber root = fresh_.createTree();
    addRow("table", table.name, table.name, root, sql);
    for (size_t i = 0; i < automatic.size(); ++i) {
      addRow("index", automatic[i]->name, table.name, indexRoots[i], Value());
    }
    Cursor source(*session_.btree, table.root, false);
    Cursor target(fresh_, root, true);
    // In the table's order of indexes, as rows are written.
    std::vector<std::pair<const Index*, std::unique_ptr<Cursor>>> entries;
    for (const std::shared_ptr<Index>& index : table.indexes) {
      auto place = std::find(automatic.begin(), automatic.end(), index.get());
      if (place == automatic.end()) continue;
      const PageNumber indexRoot = indexRoots[static_cast<size_t>(place - automatic.begin())];
      entries.emplace_back(index.get(), std::make_unique<Cursor>(fresh_, indexRoot, true));
    }
    int32_t renumbered = 0;
    for (bool more = source.first(); more; more = source.next()) {
      int32_t rowNumber = table.rowNumberColumn >= 0 ? decodeTableKey(source.key()) : ++renumbered;
      std::string data = source.data();
      target.insert(encodeTableKey(rowNumber), data);
      RecordView record(data);
      for (const auto& [index, cursor] : entries) {
        cursor->insert(indexKeyOfRow(table, *index, rowNumber, record), std::string_view());
      }
    }
    freshRoots_[&table] = root;
  }

  // An explicit index, filled from its table's rows in the fresh database as CREATE INDEX
  // fills it: a UNIQUE one over NULLs fails the VACUUM (with SQLITE_ERROR), as in SQLite 2.8.
  void copyIndex(const Table& table, const Index& index, PageNumber root) {
    auto tableRoot = freshRoots_.find(&table);
    if (tableRoot == freshRoots_.end()) return;
    try {
      fillIndex(fresh_, tableRoot->second, table, index, root);
    } catch (const Error& error) {
      if (error.code() != SQLITE_CONSTRAINT) throw;
      throw Error(SQLITE_ERROR, error.what());
    }
  }

  void addRow(const std::string& type, const std::string& name, const std::string& tableName,
              PageNumber root, const Value& sql) {
    Cursor master(fresh_, kSchemaRoot, true);
    std::vector<Value> values = {type, name, tableName, std::to_string(root), sql};
    master.insert(encodeTableKey(++rowNumber_), encodeRecord(values));
  }

  Session& session_;
  Btree& fresh_;
  int32_t rowNumber_ = 0;
  std::map<const Table*, PageNumber> freshRoots_;
  std::set<std::string> made_;  // lower-case names of the objects made so far
};

MetaValues rebuiltMeta(MetaValues meta) {
  if (meta[kMetaCacheSize] == 0) meta[kMetaCacheSize] = kDefaultCacheSize;
  if (meta[kMetaSynchronous] == 0) meta[kMetaSynchronous] = kNormalSynchronous;
  return meta;
}

// The fresh database's pages take the place of the file's; the file ends where it ends.
void replacePages(Btree& file, Btree& fresh) {
  Pager& target = file.pager();
  Pager& source = fresh.pager();
  PageNumber count = source.pageCount();
  for (PageNumber number = 1; number <= count; ++number) {
    PageRef from = source.get(number);
    PageRef to = target.get(number);
    target.makeWritable(to);
    std::memcpy(to.mutableData(), from.data(), kPageSize);
    to.setExtension(nullptr);
  }
  target.truncate(count);
}

}  // namespace

void runVacuum(Session& session) {
  if (!session.tablesBeingRead.empty()) throw Error(SQLITE_LOCKED, "database table is locked");
  session.statementStarted = true;
  Btree& file = *session.btree;
  TemporaryDatabase scratch;
  Btree& fresh = scratch.open();
  fresh.beginTransaction();
  Rebuild rebuild(session, fresh);
  const std::vector<SchemaRow> rows = readSchemaRows(file);
  for (int pass = 0; pass < 3; ++pass) {
    for (const SchemaRow& row : rows) {
      if (Rebuild::pass(row, *session.schema) == pass) rebuild.object(row);
    }
  }
  fresh.writeMeta(rebuiltMeta(file.readMeta()));
  fresh.commit();
  session.dropWriteCursor();
  replacePages(file, fresh);
  session.noteSchemaChange();
  session.schema.reset();  // the roots have moved: read again by the next statement
  restoreFileDefaults(session);
}

}  // namespace sqlite2
