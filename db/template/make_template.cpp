// orvalen-make-template OUTPUT: writes the empty plugin file from which new plugin files are
// copied. Both catalogue tables, with the columns at the positions the editor reads them
// from and the ids as integer primary keys, so the library assigns them; no rows.
//
// The file is built beside OUTPUT and renamed onto it, so an interrupted build never leaves
// a half-made template behind.

#include <cstdio>
#include <string>

#include "db/database.h"
#include "db/transaction.h"

namespace {

constexpr const char* kPluginTables[] = {
    "create table tb_type_list (id integer primary key, parentid integer, ItemText text);",
    "create table tb_item_list (id integer primary key, parentid integer, ItemText text, "
    "itemUrl text, itemImageUrl text);",
};

void writeTemplate(const std::string& path) {
  CppSQLiteDB db;
  db.open(path.c_str());
  ScopedTransaction transaction(db);
  for (const char* table : kPluginTables) db.runStatement(table);
  transaction.commit();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
    return 2;
  }
  const std::string output = argv[1];
  const std::string building = output + ".part";
  std::remove(building.c_str());
  try {
    writeTemplate(building);
  } catch (const CppSQLiteException& error) {
    std::fprintf(stderr, "%s: %s\n", building.c_str(),
                 error.message() ? error.message() : "unknown error");
    std::remove(building.c_str());
    return 1;
  }
  // Windows renames nothing onto an existing file; the old template goes first there.
  if (std::rename(building.c_str(), output.c_str()) != 0 &&
      (std::remove(output.c_str()) != 0 || std::rename(building.c_str(), output.c_str()) != 0)) {
    std::perror(output.c_str());
    std::remove(building.c_str());
    return 1;
  }
  return 0;
}
