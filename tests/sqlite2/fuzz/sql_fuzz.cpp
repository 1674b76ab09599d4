// libFuzzer target: the input is a database file, opened through the C interface as a program
// reading a plugin file of unknown origin would open it. The schema is loaded from whatever
// sqlite_master holds, every table is read, sorted, counted and rewritten inside a transaction
// that is rolled back, the catalogue statements run, and the integrity check ends the run.
// Every failure must come back as a result code with a message; crashes, hangs, leaks and
// undefined behaviour are what the fuzzer and the sanitizers look for.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "query_result.h"
#include "sqlite.h"

namespace {

using orvalen::test::query;

// A name from the file, written as a quoted identifier that no byte of it can end early.
std::string quotedName(const char* name) {
  std::string quoted = "\"";
  for (const char* c = name; *c; ++c) {
    if (*c == '"') quoted += '"';
    quoted += *c;
  }
  return quoted + '"';
}

void run(sqlite* db, const std::string& sql) {
  char* error = nullptr;
  sqlite_exec(db, sql.c_str(), nullptr, nullptr, &error);
  sqlite_freemem(error);
}

std::vector<std::string> tableNames(sqlite* db) {
  std::vector<std::string> names;
  for (const auto& row : query(db, "SELECT name FROM sqlite_master WHERE type = 'table'").rows) {
    if (names.size() < 8) names.push_back(row[0]);
  }
  return names;
}

void exerciseTable(sqlite* db, const std::string& name) {
  std::string table = quotedName(name.c_str());
  std::vector<std::string> columns = query(db, "SELECT * FROM " + table).columns;
  run(db, "SELECT count(*) FROM " + table);
  if (columns.empty()) return;
  std::string first = quotedName(columns[0].c_str());
  run(db, "SELECT * FROM " + table + " ORDER BY " + first + " DESC LIMIT 5 OFFSET 1");
  run(db, "SELECT * FROM " + table + " WHERE " + first + " > 1 OR " + first + " IS NULL");
  // Rewriting every row moves each index entry; the rollback then plays the journal back.
  run(db, "BEGIN");
  run(db, "UPDATE " + table + " SET " + first + " = " + first);
  run(db, "DELETE FROM " + table + " WHERE " + first + " < 3");
  run(db, "ROLLBACK");
}

// The statements the editor runs on a plugin file.
void exerciseCatalogue(sqlite* db) {
  run(db, "select * from tb_type_list order by id;");
  run(db, "select * from tb_item_list where parentid=1 order by id;");
  run(db, "insert into tb_type_list (parentid, ItemText) values(1, 'fuzz');");
  run(db, "update tb_type_list set itemText='renamed' where id=2;");
  run(db,
      "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) "
      "values(1, 'n', 'u', 'i');");
  run(db, "update tb_item_list set itemText='n2', itemUrl='u2', itemImageUrl='i2' where id=1;");
  run(db, "delete from tb_item_list where id=2;");
  run(db, "delete from tb_item_list where parentid=3;");
  run(db, "delete from tb_type_list where id=3;");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/orvalen-sql-fuzz-" + std::to_string(getpid()) + ".db";
  static const std::string journal = path + "-journal";
  // A journal left by an earlier input would be played back onto this one.
  unlink(journal.c_str());
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);

  char* error = nullptr;
  sqlite* db = sqlite_open(path.c_str(), 0, &error);
  sqlite_freemem(error);
  if (!db) return 0;
  for (const std::string& name : tableNames(db)) exerciseTable(db, name);
  exerciseCatalogue(db);
  run(db, "PRAGMA integrity_check");
  sqlite_close(db);
  return 0;
}
