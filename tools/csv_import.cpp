#include "csv_import.h"

#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "formats/csv_reader.h"
#include "schema_listing.h"
#include "value_formats.h"

namespace orvalen::tools {

namespace {

using formats::CsvReader;

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return text.str();
}

// Runs sql; false with *error set when it fails.
bool run(sqlite* db, const std::string& sql, std::string* error) {
  char* message = nullptr;
  const int rc = sqlite_exec(db, sql.c_str(), nullptr, nullptr, &message);
  if (rc == SQLITE_OK) return true;
  *error = message ? message : sqlite_error_string(rc);
  sqlite_freemem(message);
  return false;
}

// A column name as CREATE TABLE takes it: bare when that reads the same, else in double
// quotes. Bare names keep the statement in the form SQLite 3 dumps back unchanged.
std::string columnName(const std::string& name) {
  if (sqlName(name) == name) return name;
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += c;
  }
  return quoted + "\"";
}

std::string createStatement(const std::string& table, const std::vector<std::string>& columns) {
  std::string sql = "CREATE TABLE " + columnName(table) + "(";
  for (size_t i = 0; i < columns.size(); ++i) {
    sql += (i ? ", " : "") + columnName(columns[i]) + " TEXT";
  }
  return sql + ");";
}

// The table's entry in the schema; nullopt when there is none or (with *error set) when the
// schema cannot be read.
std::optional<SchemaEntry> findTable(sqlite* db, const std::string& table, std::string* error) {
  std::vector<SchemaEntry> schema;
  if (!readSchema(db, true, &schema, error)) return std::nullopt;
  for (const SchemaEntry& entry : schema) {
    if (entry.type == "table" && sameName(entry.name, table)) return entry;
  }
  return std::nullopt;
}

std::string insertStatement(const std::string& table, const std::vector<std::string>& fields,
                            size_t columns) {
  std::string sql = "INSERT INTO " + columnName(table) + " VALUES(";
  for (size_t i = 0; i < columns; ++i) {
    if (i) sql += ',';
    if (i >= fields.size()) {
      sql += "NULL";
      continue;
    }
    sql += '\'';
    for (char c : fields[i]) {
      sql += c;
      if (c == '\'') sql += c;
    }
    sql += '\'';
  }
  return sql + ");";
}

class Importer {
 public:
  Importer(sqlite* db, const ImportRequest& request, std::FILE* err)
      : db_(db), request_(request), err_(err) {}

  bool run(std::string_view text);

 private:
  bool prepareTable(CsvReader* reader);
  void reportWarnings(const CsvReader& reader);
  bool insertRecord(const CsvReader& reader, const std::vector<std::string>& fields);
  void complain(int line, const std::string& text) {
    std::fprintf(err_, "%s:%d: %s\n", request_.file.c_str(), line, text.c_str());
  }

  sqlite* db_;
  const ImportRequest& request_;
  std::FILE* err_;
  size_t columns_ = 0;
};

bool Importer::prepareTable(CsvReader* reader) {
  std::string error;
  if (const std::optional<SchemaEntry> table = findTable(db_, request_.table, &error)) {
    columns_ = static_cast<size_t>(declaredColumnCount(table->sql));
    return true;
  }
  if (!error.empty()) {
    std::fprintf(err_, "Error: %s\n", error.c_str());
    return false;
  }
  std::vector<std::string> names;
  if (!reader->readRecord(&names)) {
    std::fprintf(err_, "Error: %s: empty file, no column names for new table %s\n",
                 request_.file.c_str(), request_.table.c_str());
    return false;
  }
  reportWarnings(*reader);
  if (!::orvalen::tools::run(db_, createStatement(request_.table, names), &error)) {
    std::fprintf(err_, "Error: cannot create table %s: %s\n", request_.table.c_str(),
                 error.c_str());
    return false;
  }
  columns_ = names.size();
  return true;
}

void Importer::reportWarnings(const CsvReader& reader) {
  for (const std::string& warning : reader.warnings()) complain(reader.recordLine(), warning);
}

bool Importer::insertRecord(const CsvReader& reader, const std::vector<std::string>& fields) {
  const int line = reader.recordLine();
  // Without a column count (a CREATE statement not understood), each record is taken whole
  // and the engine judges it.
  const size_t columns = columns_ ? columns_ : fields.size();
  if (fields.size() < columns) {
    complain(line, "expected " + std::to_string(columns) + " columns but found " +
                       std::to_string(fields.size()) + " - filling the rest with NULL");
  } else if (fields.size() > columns) {
    complain(line, "expected " + std::to_string(columns) + " columns but found " +
                       std::to_string(fields.size()) + " - extras ignored");
  }
  for (size_t i = 0; i < fields.size() && i < columns; ++i) {
    if (fields[i].find('\0') != std::string::npos) {
      // SQL text ends at a zero byte; storing the field cut short would lose data silently.
      complain(line, "INSERT failed: field " + std::to_string(i + 1) + " holds a zero byte");
      return false;
    }
  }
  std::string error;
  if (::orvalen::tools::run(db_, insertStatement(request_.table, fields, columns), &error)) {
    return true;
  }
  complain(line, "INSERT failed: " + error);
  return false;
}

bool Importer::run(std::string_view text) {
  CsvReader reader(text, request_.separator[0]);
  if (!prepareTable(&reader)) return false;
  std::string error;
  const bool ownTransaction = ::orvalen::tools::run(db_, "BEGIN;", &error);
  bool allInserted = true;
  std::vector<std::string> fields;
  while (reader.readRecord(&fields)) {
    reportWarnings(reader);
    allInserted = insertRecord(reader, fields) && allInserted;
  }
  if (ownTransaction && !::orvalen::tools::run(db_, "COMMIT;", &error)) {
    std::fprintf(err_, "Error: %s\n", error.c_str());
    return false;
  }
  return allInserted;
}

}  // namespace

bool importCsv(sqlite* db, const ImportRequest& request, std::FILE* err) {
  if (request.separator.size() != 1) {
    std::fprintf(err, "Error: .import needs a separator of one byte, not \"%s\"\n",
                 request.separator.c_str());
    return false;
  }
  const std::optional<std::string> text = readFile(request.file);
  if (!text) {
    std::fprintf(err, "Error: cannot open \"%s\"\n", request.file.c_str());
    return false;
  }
  return Importer(db, request, err).run(*text);
}

}  // namespace orvalen::tools
