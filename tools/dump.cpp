#include "dump.h"

#include "schema_listing.h"
#include "value_formats.h"

namespace orvalen::tools {

namespace {

// Rows are gathered into large writes: one stdio call per value would cost more than the
// engine's reading of the row.
constexpr size_t kFlushSize = 1 << 16;

struct RowWriter {
  std::FILE* out;
  std::string prefix;  // INSERT INTO <table> VALUES(
  std::string pending;

  void flush() {
    std::fwrite(pending.data(), 1, pending.size(), out);
    pending.clear();
  }
};

int writeInsert(void* arg, int columnCount, char** values, char** /*names*/) {
  RowWriter& writer = *static_cast<RowWriter*>(arg);
  if (!values) return 0;
  writer.pending.append(writer.prefix);
  for (int i = 0; i < columnCount; ++i) {
    if (i) writer.pending.push_back(',');
    appendSqlValue(&writer.pending, values[i]);
  }
  writer.pending.append(");\n");
  if (writer.pending.size() >= kFlushSize) writer.flush();
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
  RowWriter writer{out, "INSERT INTO " + sqlName(table) + " VALUES(", {}};
  const std::string query = "SELECT * FROM " + doubleQuoted(table) + ";";
  char* message = nullptr;
  writer.pending.reserve(kFlushSize * 2);
  const int rc = sqlite_exec(db, query.c_str(), writeInsert, &writer, &message);
  writer.flush();
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
