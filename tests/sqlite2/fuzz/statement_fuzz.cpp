// libFuzzer target: the input is SQL text, run with sqlite_exec on a fresh copy of a small
// plugin-like database (two tables, an index, a few rows), then read back with
// sqlite_get_table and checked with the integrity check. Any text must end in a result code
// and a message and leave the file intact; crashes, hangs, leaks and undefined behaviour are
// what else is looked for.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "query_result.h"
#include "sqlite.h"

namespace {

const char kSchema[] =
    "create table tb_type_list (id integer primary key, parentid integer, ItemText text);"
    "create table tb_item_list (id integer primary key, parentid int, ItemText varchar(50) "
    "not null, itemUrl text unique, itemImageUrl);"
    "create index ix_parent on tb_item_list(parentid);"
    "insert into tb_type_list (parentid, ItemText) values(-1, 'a');"
    "insert into tb_type_list (parentid, ItemText) values(1, 'it''s');"
    "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) "
    "values(1, 'v', 'http://x/1', -2.5);"
    "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) "
    "values(2, '10', NULL, NULL);";

std::string readWhole(const std::string& path) {
  std::string bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return bytes;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  std::fclose(file);
  return bytes;
}

bool writeWhole(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

// The database every input starts from, made once.
const std::string& startingBytes(const std::string& path) {
  static const std::string bytes = [&] {
    unlink(path.c_str());
    char* error = nullptr;
    sqlite* db = sqlite_open(path.c_str(), 0, &error);
    if (!db || sqlite_exec(db, kSchema, nullptr, nullptr, &error) != SQLITE_OK) {
      std::fprintf(stderr, "cannot make the starting database: %s\n", error ? error : "?");
      std::abort();
    }
    sqlite_close(db);
    return readWhole(path);
  }();
  return bytes;
}

// No statement, whether it succeeds or fails, may leave a healthy file damaged.
void requireIntact(sqlite* db, const std::string& sql) {
  const orvalen::test::QueryResult check = orvalen::test::query(db, "PRAGMA integrity_check");
  const bool intact = check.code == SQLITE_OK && check.rows.size() == 1 && check.rows[0][0] == "ok";
  if (!intact) {
    std::fprintf(stderr, "integrity check failed after: %s\n(rc %d: %s)\n", sql.c_str(), check.code,
                 check.rows.empty() ? check.error.c_str() : check.rows[0][0].c_str());
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/orvalen-statement-fuzz-" + std::to_string(getpid()) + ".db";
  static const std::string journal = path + "-journal";
  const std::string& start = startingBytes(path);
  unlink(journal.c_str());
  if (!writeWhole(path, start)) return 0;

  // The text ends at its first NUL, as a C string does.
  std::string sql(reinterpret_cast<const char*>(data), size);
  char* error = nullptr;
  sqlite* db = sqlite_open(path.c_str(), 0, &error);
  sqlite_freemem(error);
  if (!db) return 0;
  error = nullptr;
  sqlite_exec(db, sql.c_str(), nullptr, nullptr, &error);
  sqlite_freemem(error);
  orvalen::test::query(db, sql);
  orvalen::test::query(db, "select * from tb_item_list order by parentid");
  requireIntact(db, sql);
  sqlite_close(db);
  return 0;
}
