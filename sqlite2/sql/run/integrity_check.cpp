#include <string>
#include <vector>

#include "btree/btree.h"
#include "common/error.h"
#include "record/index_key.h"
#include "record/row_record.h"
#include "record/table_key.h"
#include "sql/run/pragma_statements.h"
#include "sql/run/session.h"
#include "sql/run/table_writer.h"
#include "sql/values/sql_value.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

// Every root page named in sqlite_master, also by rows the schema leaves out.
std::vector<PageNumber> recordedRoots(Btree& btree) {
  std::vector<PageNumber> roots{kSchemaRoot};
  Cursor cursor(btree, kSchemaRoot, false);
  for (bool more = cursor.first(); more; more = cursor.next()) {
    std::string data = cursor.data();
    RecordView record(data);
    std::optional<std::string_view> root = record.field(3);
    if (!root) continue;
    int32_t page = leadingInteger(*root);
    if (page > 0) roots.push_back(static_cast<PageNumber>(page));
  }
  return roots;
}

size_t countEntries(Btree& btree, PageNumber root) {
  Cursor cursor(btree, root, false);
  size_t count = 0;
  for (bool more = cursor.first(); more; more = cursor.next()) ++count;
  return count;
}

// Each row's key must be in each index of its table, and each index must hold as many
// entries as the table holds rows.
void checkIndexes(Btree& btree, const Table& table, std::vector<std::string>& problems) {
  std::vector<const Index*> indexes;
  for (const std::shared_ptr<Index>& index : table.indexes) {
    if (index->root != 0) indexes.push_back(index.get());
  }
  if (indexes.empty()) return;
  std::vector<std::unique_ptr<Cursor>> cursors;
  for (const Index* index : indexes) {
    cursors.push_back(std::make_unique<Cursor>(btree, index->root, false));
  }
  Cursor rows(btree, table.root, false);
  size_t rowCount = 0;
  for (bool more = rows.first(); more; more = rows.next()) {
    ++rowCount;
    int32_t rowNumber = decodeTableKey(rows.key());
    std::string data = rows.data();
    RecordView record(data);
    for (size_t i = 0; i < indexes.size(); ++i) {
      std::string key = indexKeyOfRow(table, *indexes[i], rowNumber, record);
      if (cursors[i]->seek(key) != 0 || !cursors[i]->valid()) {
        problems.push_back("rowid " + std::to_string(rowNumber) + " missing from index " +
                           indexes[i]->name);
      }
    }
  }
  for (const Index* index : indexes) {
    if (countEntries(btree, index->root) != rowCount) {
      problems.push_back("wrong # of entries in index " + index->name);
    }
  }
}

// The file's pages and the indexes of its tables; the page problems come as one row under
// the database's name.
void checkDatabase(Btree& btree, const Schema& schema, std::string_view name,
                   std::vector<std::string>& rows) {
  std::vector<std::string> pageProblems = btree.checkIntegrity(recordedRoots(btree));
  if (!pageProblems.empty()) {
    std::string report = "*** in database " + std::string(name) + " ***";
    for (const std::string& problem : pageProblems) report += "\n" + problem;
    rows.push_back(report);
  }
  for (const std::shared_ptr<Table>& table : schema.tables()) {
    if (table->root != 0) checkIndexes(btree, *table, rows);
  }
}

}  // namespace

void runIntegrityCheck(Session& session, const ResultRowCallback& onRow) {
  std::vector<std::string> rows;
  checkDatabase(*session.btree, *session.schema, "main", rows);
  for (const auto& attached : session.attached.all()) {
    checkDatabase(*attached->btree, *attached->schema, attached->name, rows);
  }
  if (rows.empty()) rows.push_back("ok");
  const char* name = "integrity_check";
  for (const std::string& row : rows) {
    const char* value = row.c_str();
    if (onRow && !onRow(1, &value, &name)) throw Error(SQLITE_ABORT, "");
  }
}

}  // namespace sqlite2
