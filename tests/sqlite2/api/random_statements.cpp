#include "random_statements.h"

namespace orvalen::test {

namespace {

// Declared types: the first four make text columns, the rest numeric ones.
const char* const kTextTypes[] = {"TEXT", "VARCHAR(256)", "CHAR(10)", "CLOB"};
const char* const kNumericTypes[] = {"", "INTEGER", "NUMERIC", "INT", "REAL", "DATE"};

// Rows kept per table stay small, so that checking the files after every step stays cheap.
constexpr int kInsertsBeforeEmptying = 60;

std::string quoted(const std::string& text) {
  std::string literal = "'";
  for (char c : text) {
    literal += c;
    if (c == '\'') literal += '\'';
  }
  return literal + "'";
}

}  // namespace

RandomStatements::RandomStatements(uint64_t seed) : rng_(seed) {}

std::string RandomStatements::createTable(Table& table) {
  table.columns.clear();
  table.indexes.clear();
  table.insertsSinceEmptied = 0;
  const int columnCount = 1 + below(5);
  const int keyPosition = chance(50) ? below(columnCount) : -1;
  std::string sql = "CREATE TABLE " + table.name + "(";
  for (int i = 0; i < columnCount; ++i) {
    Column column;
    column.name = "c" + std::to_string(i);
    column.integerKey = i == keyPosition;
    column.textual = !column.integerKey && chance(40);
    column.type = column.integerKey ? "INTEGER"
                  : column.textual  ? kTextTypes[below(4)]
                                    : kNumericTypes[below(6)];
    sql += (i ? ", " : "") + column.name;
    if (!column.type.empty()) sql += " " + column.type;
    if (column.integerKey) {
      sql += " PRIMARY KEY";
    } else if (chance(8)) {
      sql += " UNIQUE";
      column.inUniqueKey = true;
    } else if (chance(5)) {
      sql += " NOT NULL";
    }
    table.columns.push_back(column);
  }
  if (columnCount >= 2 && chance(10)) {
    sql += ", UNIQUE(c0, c1)";
    table.columns[0].inUniqueKey = table.columns[1].inUniqueKey = true;
  }
  return sql + ");";
}

std::string RandomStatements::createIndex(Table& table) {
  const std::string name = "ix" + std::to_string(nextIndexNumber_++);
  table.indexes.push_back(name);
  std::vector<Column*> columns{&table.columns[below(static_cast<int>(table.columns.size()))]};
  if (table.columns.size() > 1 && chance(30)) {
    columns.push_back(&table.columns[below(static_cast<int>(table.columns.size()))]);
  }
  // The library keeps a UNIQUE index that failed on duplicates inside a transaction, half
  // built, and commits it (see LibraryFaultTest): so none inside transactions.
  const bool unique = !inTransaction_ && chance(15);
  std::string sql = std::string("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX " + name + " ON " +
                    table.name + "(";
  for (size_t i = 0; i < columns.size(); ++i) {
    sql += (i ? ", " : "") + columns[i]->name;
    columns[i]->inUniqueKey = columns[i]->inUniqueKey || unique;
  }
  return sql + ");";
}

std::vector<std::string> RandomStatements::createSchema() {
  tables_.clear();
  std::vector<std::string> statements;
  const int tableCount = 1 + below(3);
  for (int i = 0; i < tableCount; ++i) {
    tables_.push_back(Table{"t" + std::to_string(i), {}, {}, 0, {}});
    statements.push_back(createTable(tables_.back()));
    for (int k = below(3); k > 0; --k) statements.push_back(createIndex(tables_.back()));
  }
  // What the triggers' steps write: never dropped, so that no trigger names a missing table.
  statements.push_back("CREATE TABLE trigger_log(name, v);");
  return statements;
}

// Integers stay within 2^30 of zero: the library compares two integers by subtracting them in
// 32 bits, so that 2147483647 < -6 holds there (LibraryFaultTest covers it).
std::string RandomStatements::numberLiteral() {
  switch (below(9)) {
    case 0:
      return std::to_string(below(21) - 10);
    case 1:
      return std::to_string(static_cast<int32_t>(rng_() % (1u << 30)) * (chance(50) ? -1 : 1));
    case 2: {
      const char* const unusual[] = {"1073741823", "-1073741823", "2147483648",         "0",
                                     "-0",         "007",         "123456789012345678", "-1"};
      return unusual[below(8)];
    }
    case 3:
      return std::to_string(below(2001) - 1000) + "." + std::to_string(below(100));
    case 4: {
      const char* const reals[] = {"1.5",    "-0.25", "1e10", "3.0",   "1.0e-5",
                                   "-2.5E3", "0.1",   "1.50", "1e308", "5.0"};
      return reals[below(10)];
    }
    default:
      return std::to_string(below(200) - 20);
  }
}

std::string RandomStatements::textLiteral() {
  switch (below(12)) {
    case 0:
      return "''";
    case 1:
      return "'it''s'";
    case 2: {  // looks numeric, or nearly
      const char* const numeric[] = {"'5'",  "' 5'", "'5.0'", "'+5'",  "'05'", "'1e1'",
                                     "'.5'", "'5.'", "'-1'",  "'abc'", "'10'", "'5 '"};
      return numeric[below(12)];
    }
    case 3:  // GBK bytes
      return "'\xc4\xe3\xba\xc3\xca\xd3\xc6\xb5'";
    case 4:  // UTF-8 bytes
      return "'\xe4\xbd\xa0\xe5\xa5\xbd \xe8\xa7\x86\xe9\xa2\x91'";
    case 5: {  // several kilobytes, with quotes inside
      std::string text(1000 + below(4000), 'x');
      for (size_t i = 0; i < text.size(); i += 1 + below(300)) text[i] = "'ab\xb0\xa1"[below(5)];
      return quoted(text);
    }
    default: {
      std::string text;
      for (int i = below(8); i > 0; --i) text += "abcXYZ _'%"[below(10)];
      return quoted(text);
    }
  }
}

std::string RandomStatements::value(const Column* column) {
  if (column && column->integerKey) {
    // Never the largest row number (after it the library picks new row numbers at random)
    // nor the smallest ones (the library's range searches on the row number then miss rows:
    // see LibraryFaultTest.RowNumberRangeNearTheLimitsFindsEveryRow).
    if (chance(70)) return "NULL";
    const char* const unusual[] = {"'7'", "'+8'", "'1e1'", "9.0", "1.5", "'abc'", "''", "-3"};
    return chance(80) ? std::to_string(below(40) - 5) : unusual[below(8)];
  }
  const int pick = below(10);
  if (pick == 0) return "NULL";
  if (pick <= 4) return numberLiteral();
  return textLiteral();
}

std::string RandomStatements::comparison(const Table& table) {
  const char* const operators[] = {"=", "<>", "<", "<=", ">", ">=", "!=", "=="};
  const Column& column = table.columns[below(static_cast<int>(table.columns.size()))];
  if (chance(15)) return column.name + " IS NULL";
  if (chance(5)) return "NOT (" + column.name + " IS NULL)";
  std::string operand = chance(85) ? value(&column) : "rowid";
  // The library's searches on the row number go wrong for a NULL bound or one beyond 32 bits
  // (see LibraryFaultTest.RowNumberRangeAgainstNullMatchesNothing): small bounds only there.
  if (column.integerKey && operand == "NULL") operand = std::to_string(below(60) - 20);
  if (operand == "NULL" && chance(50)) operand = numberLiteral();
  return column.name + " " + operators[below(8)] + " " + operand;
}

std::string RandomStatements::condition(const Table& table, int depth) {
  if (depth > 1 || chance(60)) return comparison(table);
  switch (below(3)) {
    case 0:
      return condition(table, depth + 1) + " AND " + condition(table, depth + 1);
    case 1:
      return "(" + condition(table, depth + 1) + " OR " + condition(table, depth + 1) + ")";
    default:
      return "NOT (" + condition(table, depth + 1) + ")";
  }
}

std::string RandomStatements::insert(Table& table) {
  ++table.insertsSinceEmptied;
  std::string sql = "INSERT INTO " + qualified(table);
  std::vector<const Column*> columns;
  if (chance(50)) {
    for (const Column& column : table.columns) columns.push_back(&column);
  } else {
    for (const Column& column : table.columns) {
      if (chance(60)) columns.push_back(&column);
    }
    if (columns.empty()) columns.push_back(&table.columns.front());
    sql += "(";
    for (size_t i = 0; i < columns.size(); ++i) sql += (i ? ", " : "") + columns[i]->name;
    sql += ")";
  }
  sql += " VALUES(";
  for (size_t i = 0; i < columns.size(); ++i) sql += (i ? ", " : "") + value(columns[i]);
  return sql + ");";
}

// Inside a transaction the library loses track of pages that a statement failing half way
// has added (they stay allocated but unused after COMMIT), a fault not to be copied: there
// the stream updates only columns whose constraints cannot fail after the first row.
std::vector<const RandomStatements::Column*> RandomStatements::updatableColumns(
    const Table& table) const {
  std::vector<const Column*> columns;
  for (const Column& column : table.columns) {
    if (!inTransaction_ || (!column.integerKey && !column.inUniqueKey)) columns.push_back(&column);
  }
  return columns;
}

std::string RandomStatements::update(Table& table) {
  const std::vector<const Column*> columns = updatableColumns(table);
  if (columns.empty()) return select(table);
  const Column& column = *columns[below(static_cast<int>(columns.size()))];
  std::string sql = "UPDATE " + qualified(table) + " SET " + column.name + " = " + value(&column);
  if (columns.size() > 1 && chance(30)) {
    const Column& other = *columns[below(static_cast<int>(columns.size()))];
    sql += ", " + other.name + " = " + value(&other);
  }
  if (chance(85)) sql += " WHERE " + condition(table, 0);
  return sql + ";";
}

std::string RandomStatements::remove(Table& table) {
  if (table.insertsSinceEmptied > kInsertsBeforeEmptying || chance(3)) {
    table.insertsSinceEmptied = 0;
    return chance(50) ? "DELETE FROM " + table.name + ";"
                      : "DELETE FROM " + table.name + " WHERE 1;";
  }
  return "DELETE FROM " + qualified(table) + " WHERE " + condition(table, 0) + ";";
}

std::string RandomStatements::select(Table& table) {
  if (chance(10)) {
    return "SELECT count(*) FROM " + table.name +
           (chance(50) ? " WHERE " + condition(table, 0) : "") + ";";
  }
  std::string sql = "SELECT ";
  if (chance(40)) {
    sql += "*";
  } else {
    for (int i = 1 + below(3); i > 0; --i) {
      sql += randomColumn(table).name + (i > 1 ? ", " : "");
    }
    if (chance(20)) sql += ", rowid";
  }
  sql += " FROM " + qualified(table);
  if (chance(70)) sql += " WHERE " + condition(table, 0);
  if (chance(50)) {
    // Ordering by a unique rowid last keeps the order of equal values defined.
    sql += " ORDER BY " + randomColumn(table).name +
           (chance(40)   ? " DESC"
            : chance(50) ? " ASC"
                         : "");
    sql += ", rowid";
  }
  if (chance(15)) {
    sql += " LIMIT " + std::to_string(below(10));
    if (chance(50)) sql += " OFFSET " + std::to_string(below(5));
  }
  return sql + ";";
}

std::string RandomStatements::indexChange(Table& table) {
  if (!table.indexes.empty() && chance(50)) {
    const int which = below(static_cast<int>(table.indexes.size()));
    const std::string name = table.indexes[which];
    table.indexes.erase(table.indexes.begin() + which);
    return "DROP INDEX " + name + ";";
  }
  return createIndex(table);
}

std::string RandomStatements::transactionControl() {
  if (!inTransaction_) {
    inTransaction_ = true;
    statementsInTransaction_ = 0;
    return "BEGIN;";
  }
  inTransaction_ = false;
  return chance(60) ? "COMMIT;" : "ROLLBACK;";
}

std::string RandomStatements::mistake(Table& table) {
  switch (below(6)) {
    case 0:
      return "SELECT * FROM nosuch;";
    case 1:
      return "SELECT nosuch FROM " + table.name + ";";
    case 2:
      return "INSERT INTO " + table.name + " VALUES(1, 2, 3, 4, 5, 6);";
    case 3:
      return "UPDATE " + table.name + " SET nosuch = 1;";
    case 4:
      return "SELEC * FROM " + table.name + ";";
    default:
      return "INSERT INTO " + table.name + "(nosuch) VALUES(1);";
  }
}

std::string RandomStatements::recreate(Table& table) {
  // The same schema object again: its old pages go to the free list and come back. Its
  // triggers go with it.
  table.triggers.clear();
  return "DROP TABLE " + table.name + ";";
}

std::string RandomStatements::triggerChange(Table& table) {
  if (!table.triggers.empty() && chance(40)) {
    const int which = below(static_cast<int>(table.triggers.size()));
    const std::string name = table.triggers[which];
    table.triggers.erase(table.triggers.begin() + which);
    return "DROP TRIGGER " + name + ";";
  }
  return createTrigger(table);
}

// NEW.column or OLD.column against a value, as a WHEN clause or a step's WHERE.
std::string RandomStatements::rowCondition(const Table& table, const char* row) {
  const char* const operators[] = {"=", "<>", "<", "<=", ">", ">="};
  const Column& column = randomColumn(table);
  if (chance(20)) return std::string(row) + "." + column.name + " IS NULL";
  return std::string(row) + "." + column.name + " " + operators[below(6)] + " " + value(&column);
}

// The steps write only to trigger_log and stop a row with RAISE(IGNORE): a step that fails
// after the first row inside a transaction would leave the reference library's file with
// pages it lost track of (see updatableColumns).
std::string RandomStatements::triggerStep(const Table& table, const std::string& name,
                                          const char* row) {
  const Column& column = randomColumn(table);
  const std::string value = std::string(row) + "." + column.name;
  switch (below(5)) {
    case 0:
      return "SELECT RAISE(IGNORE) WHERE " + rowCondition(table, row) + ";";
    case 1:
      return "UPDATE trigger_log SET v = " + value + " WHERE name = '" + name + "';";
    case 2:
      return "DELETE FROM trigger_log WHERE v = " + value + ";";
    default:
      return "INSERT INTO trigger_log VALUES('" + name + "', " + value + ");";
  }
}

std::string RandomStatements::createTrigger(Table& table) {
  const std::string name = "tr" + std::to_string(nextTriggerNumber_++);
  table.triggers.push_back(name);
  const char* const timings[] = {"BEFORE ", "AFTER ", ""};
  std::string sql = "CREATE TRIGGER " + name + " " + timings[below(3)];
  const char* row = "new";
  switch (below(3)) {
    case 0:
      sql += "INSERT";
      break;
    case 1:
      sql += "UPDATE";
      if (chance(40)) sql += " OF " + randomColumn(table).name;
      row = chance(50) ? "new" : "old";
      break;
    default:
      sql += "DELETE";
      row = "old";
      break;
  }
  sql += " ON " + table.name + (chance(20) ? " FOR EACH ROW" : "");
  if (chance(30)) sql += " WHEN " + rowCondition(table, row);
  sql += " BEGIN ";
  for (int steps = 1 + below(3); steps > 0; --steps) sql += triggerStep(table, name, row) + " ";
  return sql + "END;";
}

std::string RandomStatements::next() {
  if (inTransaction_ && ++statementsInTransaction_ > 6) return transactionControl();
  Table& table = randomTable();
  if (table.columns.empty()) return createTable(table);
  const int pick = below(100);
  if (pick < 32) return insert(table);
  if (pick < 46) return update(table);
  if (pick < 58) return remove(table);
  if (pick < 86) return select(table);
  if (pick < 88) return triggerChange(table);
  if (pick < 92) return indexChange(table);
  if (pick < 95) return transactionControl();
  if (pick < 98) return mistake(table);
  if (inTransaction_) return select(table);
  table.columns.clear();
  return recreate(table);
}

}  // namespace orvalen::test
