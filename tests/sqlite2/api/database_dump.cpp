#include "database_dump.h"

#include <vector>

namespace orvalen::test {

namespace {

struct Rows {
  std::vector<std::vector<std::string>> cells;  // NULL as "<NULL>"
};

int appendRow(void* arg, int columns, char** values, char** /*names*/) {
  std::vector<std::string> row;
  for (int i = 0; i < columns; ++i) row.push_back(values[i] ? values[i] : "<NULL>");
  static_cast<Rows*>(arg)->cells.push_back(row);
  return 0;
}

// Runs sql, appending its rows to text; returns false (with the failure in text) on error.
bool appendQuery(const EngineCalls& engine, void* db, const std::string& sql, Rows* rows,
                 std::string* text) {
  char* message = nullptr;
  const int rc = engine.exec(db, sql.c_str(), appendRow, rows, &message);
  if (rc != 0) {
    *text +=
        "[" + sql + " failed: rc " + std::to_string(rc) + " " + (message ? message : "") + "]\n";
    engine.freemem(message);
    return false;
  }
  return true;
}

void appendRows(const Rows& rows, std::string* text) {
  for (const auto& row : rows.cells) {
    for (size_t i = 0; i < row.size(); ++i) *text += (i ? "|" : "") + row[i];
    *text += '\n';
  }
}

// Opens the file, or returns nullptr with the failure in *failure.
void* openForReading(const EngineCalls& engine, const std::string& path, std::string* failure) {
  char* message = nullptr;
  void* db = engine.open(path.c_str(), 0, &message);
  if (!db) {
    *failure = std::string("[open failed: ") + (message ? message : "") + "]";
    engine.freemem(message);
  }
  return db;
}

std::string dumpOpenDatabase(const EngineCalls& engine, void* db) {
  std::string text = "sqlite_master:\n";
  Rows master;
  // Root page numbers are left out: which free page a new tree takes is the engine's choice.
  if (!appendQuery(engine, db, "SELECT rowid, type, name, tbl_name, sql FROM sqlite_master;",
                   &master, &text)) {
    return text;
  }
  appendRows(master, &text);
  for (const auto& row : master.cells) {
    if (row[1] != "table") continue;
    Rows content;
    text += "table " + row[2] + ":\n";
    if (appendQuery(engine, db, "SELECT rowid, * FROM [" + row[2] + "];", &content, &text)) {
      appendRows(content, &text);
    }
  }
  return text;
}

std::string checkOpenDatabase(const EngineCalls& engine, void* db) {
  Rows rows;
  std::string text;
  if (appendQuery(engine, db, "PRAGMA integrity_check;", &rows, &text)) {
    for (const auto& row : rows.cells) text += (text.empty() ? "" : "\n") + row[0];
  }
  return text;
}

}  // namespace

std::string dumpConnection(const EngineCalls& engine, void* db) {
  return dumpOpenDatabase(engine, db);
}

std::string dumpDatabase(const EngineCalls& engine, const std::string& path) {
  return inspectFile(engine, path).dump;
}

std::string integrityCheck(const EngineCalls& engine, const std::string& path) {
  return inspectFile(engine, path).integrity;
}

FileInspection inspectFile(const EngineCalls& engine, const std::string& path) {
  FileInspection inspection;
  void* db = openForReading(engine, path, &inspection.integrity);
  if (!db) {
    inspection.dump = inspection.integrity;
    return inspection;
  }
  inspection.integrity = checkOpenDatabase(engine, db);
  inspection.dump = dumpOpenDatabase(engine, db);
  engine.close(db);
  return inspection;
}

}  // namespace orvalen::test
