#include "statement_outcome.h"

#include <sstream>

namespace orvalen::test {

namespace {

std::string shortened(const std::string& text) {
  if (text.size() <= 60) return text;
  return text.substr(0, 40) + "...(" + std::to_string(text.size()) + " bytes)";
}

std::string cellText(const Cell& cell) {
  return cell ? "'" + shortened(*cell) + "'" : "NULL";
}

// Under PRAGMA empty_result_callbacks a statement without rows calls back once without
// values: kept as a row of none.
int collectRow(void* arg, int columns, char** values, char** names) {
  auto* outcome = static_cast<StatementOutcome*>(arg);
  std::vector<std::string> nameRow;
  std::vector<Cell> valueRow;
  for (int i = 0; i < columns; ++i) {
    nameRow.push_back(names[i] ? names[i] : "<null name>");
    if (values) valueRow.push_back(values[i] ? Cell(values[i]) : std::nullopt);
  }
  outcome->names.push_back(nameRow);
  outcome->rows.push_back(valueRow);
  return 0;
}

void takeMessage(const EngineCalls& engine, char* message, StatementOutcome* outcome) {
  if (message) outcome->error = message;
  engine.freemem(message);
}

}  // namespace

bool StatementOutcome::operator==(const StatementOutcome& other) const {
  return rc == other.rc && error == other.error && names == other.names && rows == other.rows &&
         resultArrayIsNull == other.resultArrayIsNull && tableRows == other.tableRows &&
         tableColumns == other.tableColumns && changes == other.changes &&
         lastInsertRowid == other.lastInsertRowid;
}

std::string StatementOutcome::describe() const {
  std::ostringstream text;
  text << "rc " << rc << ", error " << (error ? "\"" + *error + "\"" : "none") << ", changes "
       << changes << ", last rowid " << lastInsertRowid;
  if (resultArrayIsNull) text << ", result array NULL";
  if (tableRows >= 0) text << ", table " << tableRows << " x " << tableColumns;
  text << ", " << rows.size() << " rows";
  for (size_t i = 0; i < rows.size() && i < 8; ++i) {
    text << "\n  ";
    if (i < names.size()) {
      for (const std::string& name : names[i]) text << name << ' ';
      text << ": ";
    }
    for (const Cell& cell : rows[i]) text << cellText(cell) << ' ';
  }
  if (rows.size() > 8) text << "\n  ...";
  return text.str();
}

StatementOutcome execOutcome(const EngineCalls& engine, void* db, const std::string& sql) {
  StatementOutcome outcome;
  char* message = nullptr;
  outcome.rc = engine.exec(db, sql.c_str(), collectRow, &outcome, &message);
  takeMessage(engine, message, &outcome);
  outcome.changes = engine.changes(db);
  outcome.lastInsertRowid = engine.last_insert_rowid(db);
  return outcome;
}

StatementOutcome getTableOutcome(const EngineCalls& engine, void* db, const std::string& sql) {
  StatementOutcome outcome;
  char* message = nullptr;
  char** result = nullptr;
  int rowCount = -1;
  int columnCount = -1;
  outcome.rc = engine.get_table(db, sql.c_str(), &result, &rowCount, &columnCount, &message);
  takeMessage(engine, message, &outcome);
  outcome.resultArrayIsNull = result == nullptr;
  if (result) {
    std::vector<std::string> names;
    for (int i = 0; i < columnCount; ++i) names.push_back(result[i] ? result[i] : "<null name>");
    outcome.names.push_back(names);
    for (int row = 1; row <= rowCount; ++row) {
      std::vector<Cell> values;
      for (int i = 0; i < columnCount; ++i) {
        const char* value = result[row * columnCount + i];
        values.push_back(value ? Cell(value) : std::nullopt);
      }
      outcome.rows.push_back(values);
    }
  }
  outcome.tableRows = rowCount;
  outcome.tableColumns = columnCount;
  engine.free_table(result);
  outcome.changes = engine.changes(db);
  outcome.lastInsertRowid = engine.last_insert_rowid(db);
  return outcome;
}

}  // namespace orvalen::test
