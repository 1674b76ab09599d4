#include "listing_commands.h"

#include <algorithm>
#include <vector>

#include "schema_listing.h"

namespace orvalen::tools {

namespace {

// The width that .tables fills with columns.
constexpr size_t kScreenWidth = 80;

// The text SQLite 2.8's shell shows for the master tables, which have no CREATE statement.
constexpr const char* kMasterColumns =
    " (\n"
    "  type text,\n"
    "  name text,\n"
    "  tbl_name text,\n"
    "  rootpage integer,\n"
    "  sql text\n"
    ");\n";

void printInColumns(const std::vector<std::string>& names, std::FILE* out) {
  size_t widest = 0;
  for (const std::string& name : names) widest = std::max(widest, name.size());
  const size_t columns = std::max<size_t>(1, kScreenWidth / (widest + 2));
  const size_t rows = (names.size() + columns - 1) / columns;
  for (size_t row = 0; row < rows; ++row) {
    for (size_t at = row; at < names.size(); at += rows) {
      std::fprintf(out, "%s%-*s", at < rows ? "" : "  ", static_cast<int>(widest),
                   names[at].c_str());
    }
    std::fputc('\n', out);
  }
}

std::vector<std::string> sortedNames(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

bool listTables(sqlite* db, const std::string* pattern, std::FILE* out, std::string* error) {
  std::vector<SchemaEntry> schema;
  if (!readSchema(db, true, &schema, error)) return false;
  const std::string like = pattern ? "%" + *pattern + "%" : "%";
  std::vector<std::string> names;
  for (const SchemaEntry& entry : schema) {
    if ((entry.type == "table" || entry.type == "view") && likeMatches(like, entry.name)) {
      names.push_back(entry.name);
    }
  }
  printInColumns(sortedNames(names), out);
  return true;
}

bool showSchema(sqlite* db, const std::string* table, std::FILE* out, std::string* error) {
  if (table && sameName(*table, "sqlite_master")) {
    std::fprintf(out, "CREATE TABLE sqlite_master%s", kMasterColumns);
    return true;
  }
  if (table && sameName(*table, "sqlite_temp_master")) {
    std::fprintf(out, "CREATE TEMP TABLE sqlite_temp_master%s", kMasterColumns);
    return true;
  }
  std::vector<SchemaEntry> schema;
  if (!readSchema(db, true, &schema, error)) return false;
  std::vector<SchemaEntry> shown;
  for (const SchemaEntry& entry : schema) {
    if (entry.hasSql && entry.type != "meta" && (!table || likeMatches(*table, entry.tableName))) {
      shown.push_back(entry);
    }
  }
  if (table) {
    // One table's objects by type, last letter first (view, trigger, table, index), then name.
    std::stable_sort(shown.begin(), shown.end(), [](const SchemaEntry& a, const SchemaEntry& b) {
      return a.type != b.type ? a.type > b.type : a.name < b.name;
    });
  } else {
    sortForCreation(&shown);
  }
  for (const SchemaEntry& entry : shown) std::fprintf(out, "%s;\n", entry.sql.c_str());
  return true;
}

bool listIndices(sqlite* db, const std::string* table, std::FILE* out, std::string* error) {
  std::vector<SchemaEntry> schema;
  if (!readSchema(db, true, &schema, error)) return false;
  std::vector<std::string> names;
  for (const SchemaEntry& entry : schema) {
    if (entry.type == "index" && (!table || likeMatches(*table, entry.tableName))) {
      names.push_back(entry.name);
    }
  }
  for (const std::string& name : sortedNames(names)) std::fprintf(out, "%s\n", name.c_str());
  return true;
}

}  // namespace orvalen::tools
