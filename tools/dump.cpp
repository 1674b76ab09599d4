#include "dump.h"

#include "schema_listing.h"
#include "value_formats.h"

namespace orvalen::tools {

namespace {

struct RowWriter {
  std::FILE* out;
  std::string prefix;  // INSERT INTO <table> VALUES(
};

int writeInsert(void* arg, int columnCount, char** values, char** /*names*/) {
  const RowWriter& writer = *static_cast<const RowWriter*>(arg);
  if (!values) return 0;
  std::fputs(writer.prefix.c_str(), writer.out);
  for (int i = 0; i < columnCount; ++i) {
    if (i) std::fputc(',', writer.out);
    writeSqlValue(writer.out, values[i]);
  }
  std::fputs(");\n", writer.out);
  return 0;
}

std::string doubleQuoted(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += c;
  }
  return quoted + "\"";
}

bool dumpRows(sqlite* db, const std::string& table, std::FILE* out, std::string* error) {
  RowWriter writer{out, "INSERT INTO " + sqlName(table) + " VALUES("};
  const std::string query = "SELECT * FROM " + doubleQuoted(table) + ";";
  char* message = nullptr;
  const int rc = sqlite_exec(db, query.c_str(), writeInsert, &writer, &message);
  if (rc == SQLITE_OK) return true;
  *error = message ? message : sqlite_error_string(rc);
  sqlite_freemem(message);
  return false;
}

bool dumpEntry(sqlite* db, const SchemaEntry& entry, std::FILE* out, std::string* error) {
  std::fputs(entry.sql.c_str(), out);
  std::fputs(";\n", out);
  return entry.type != "table" || dumpRows(db, entry.name, out, error);
}

// The entries to dump, in the order they are written.
std::vector<SchemaEntry> chosenEntries(const std::vector<SchemaEntry>& schema,
                                       const std::vector<std::string>& patterns) {
  std::vector<SchemaEntry> all;
  for (const SchemaEntry& entry : schema) {
    if (entry.hasSql && entry.type != "meta") all.push_back(entry);
  }
  sortForCreation(&all);
  if (patterns.empty()) return all;
  std::vector<SchemaEntry> chosen;
  for (const std::string& pattern : patterns) {
    for (const SchemaEntry& entry : all) {
      if (likeMatches(pattern, entry.tableName)) chosen.push_back(entry);
    }
  }
  return chosen;
}

}  // namespace

bool dumpDatabase(sqlite* db, const std::vector<std::string>& tablePatterns, std::FILE* out,
                  std::string* error) {
  std::vector<SchemaEntry> schema;
  std::fputs("BEGIN TRANSACTION;\n", out);
  if (!readSchema(db, false, &schema, error)) return false;
  for (const SchemaEntry& entry : chosenEntries(schema, tablePatterns)) {
    if (!dumpEntry(db, entry, out, error)) return false;
  }
  std::fputs("COMMIT;\n", out);
  return true;
}

}  // namespace orvalen::tools
