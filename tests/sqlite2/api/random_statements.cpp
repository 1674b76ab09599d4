#include "random_statements.h"

#include <algorithm>

namespace orvalen::test {

namespace {

// Declared types: the first four make text columns, the rest numeric ones.
const char* const kTextTypes[] = {"TEXT", "VARCHAR(256)", "CHAR(10)", "CLOB"};
const char* const kNumericTypes[] = {"", "INTEGER", "NUMERIC", "INT", "REAL", "DATE"};

// Rows kept per table stay small, so that checking the files after every step stays cheap.
constexpr int kInsertsBeforeEmptying = 60;

// Views and tables made by CREATE TABLE ... AS, at most.
constexpr size_t kMostViews = 6;
constexpr int kMostDerivedTables = 4;

std::string conflictAction(RandomSource& random) {
  const char* const actions[] = {"ROLLBACK", "ABORT", "FAIL", "IGNORE", "REPLACE"};
  return random.oneOf(actions);
}

}  // namespace

RandomStatements::RandomStatements(uint64_t seed, std::string copyFile, bool wholeGrammar,
                                   Exclusions exclusions)
    : random_(seed),
      exclusions_(exclusions),
      values_(random_),
      expressions_(random_, values_, exclusions_),
      queries_(random_, values_, expressions_, schema_, exclusions_),
      copyFile_(std::move(copyFile)),
      wholeGrammar_(wholeGrammar) {
  expressions_.setSubqueries(&queries_);
}

std::string RandomStatements::copyFileText(const Exclusions& exclusions) {
  const char* shortLine = exclusions.avoid(Exclusion::CopyShortLine) ? "" : "3\t'5'\n";
  return std::string("1\t5\tabc\t1.5\t\\N\n") + shortLine +
         "\\N\t007\ttab\\there\t\t\n"
         "2\t\\N\t\xc4\xe3\xba\xc3\t-7\tx\n"
         "4\t1e3\tline\\\nbreak\t2004-02-29\t9\t10\t11\n"
         "\n"
         "abc\t-0\t \t5.0\t+5\n";
}

Scope RandomStatements::scopeOf(const TableModel& table) const {
  Scope scope;
  for (const ColumnModel& column : table.columns) {
    if (!column.name.empty()) scope.push_back({column.name, column.textual, column.integerKey});
  }
  return scope;
}

std::string RandomStatements::qualified(const TableModel& table) {
  if (!random_.chance(20)) return table.name;
  return (table.temporary ? "temp." : "main.") + table.name;
}

std::string RandomStatements::createTable(TableModel& table) {
  table = TableModel{table.name, {}, {}, {}, 0, wholeGrammar_ && random_.chance(10)};
  const int columnCount = 1 + random_.below(5);
  const int keyPosition = random_.chance(50) ? random_.below(columnCount) : -1;
  std::string sql =
      std::string("CREATE ") + (table.temporary ? "TEMP " : "") + "TABLE " + table.name + "(";
  for (int i = 0; i < columnCount; ++i) {
    ColumnModel column;
    column.name = "c" + std::to_string(i);
    column.integerKey = i == keyPosition;
    column.textual = !column.integerKey && random_.chance(40);
    column.type = column.integerKey ? "INTEGER"
                  : column.textual  ? random_.oneOf(kTextTypes)
                                    : random_.oneOf(kNumericTypes);
    sql += (i ? ", " : "") + column.name;
    if (!column.type.empty()) sql += " " + column.type;
    if (column.integerKey) {
      sql += " PRIMARY KEY";
    } else if (random_.chance(8)) {
      sql += " UNIQUE";
      if (wholeGrammar_ && random_.chance(30)) sql += " ON CONFLICT " + conflictAction(random_);
      column.inUniqueKey = true;
    } else if (random_.chance(5)) {
      sql += " NOT NULL";
      if (wholeGrammar_ && random_.chance(40)) sql += " ON CONFLICT " + conflictAction(random_);
      if (wholeGrammar_ && random_.chance(50)) sql += " DEFAULT " + values_.number();
      column.notNull = true;
    } else if (wholeGrammar_ && random_.chance(8)) {
      sql += " DEFAULT " + (random_.chance(50) ? values_.number() : values_.shortText());
    }
    table.columns.push_back(column);
  }
  if (columnCount >= 2 && random_.chance(10)) {
    sql += ", UNIQUE(c0, c1)";
    if (wholeGrammar_ && random_.chance(30)) sql += " ON CONFLICT " + conflictAction(random_);
    table.columns[0].inUniqueKey = table.columns[1].inUniqueKey = true;
  }
  return sql + ");";
}

std::string RandomStatements::createIndex(TableModel& table) {
  const std::string name = "ix" + std::to_string(nextIndexNumber_++);
  std::vector<ColumnModel*> columns;
  for (int i = table.columns.size() > 1 && random_.chance(30) ? 2 : 1; i > 0; --i) {
    ColumnModel& column = table.columns[random_.below(static_cast<int>(table.columns.size()))];
    if (!column.name.empty()) columns.push_back(&column);
  }
  if (columns.empty()) return select(table);
  table.indexes.push_back(name);
  const bool unique = !(inTransaction_ && exclusions_.avoid(Exclusion::UniqueIndexInTransaction)) &&
                      random_.chance(15);
  std::string sql = std::string("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX " + name + " ON " +
                    table.name + "(";
  for (size_t i = 0; i < columns.size(); ++i) {
    sql += (i ? ", " : "") + columns[i]->name;
    columns[i]->inUniqueKey = columns[i]->inUniqueKey || unique;
  }
  sql += ")";
  if (wholeGrammar_ && unique && random_.chance(30))
    sql += " ON CONFLICT " + conflictAction(random_);
  return sql + ";";
}

std::vector<std::string> RandomStatements::createSchema() {
  schema_ = SchemaModel{};
  std::vector<std::string> statements;
  const int tableCount = 1 + random_.below(3);
  for (int i = 0; i < tableCount; ++i) {
    schema_.tables.push_back(TableModel{"t" + std::to_string(i), {}, {}, {}, 0, false});
    statements.push_back(createTable(schema_.tables.back()));
    for (int k = random_.below(3); k > 0; --k) {
      statements.push_back(createIndex(schema_.tables.back()));
    }
  }
  // What the triggers' steps write: never dropped, so that no trigger names a missing table.
  statements.push_back("CREATE TABLE trigger_log(name, v);");
  return statements;
}

std::string RandomStatements::comparison(const TableModel& table) {
  const char* const operators[] = {"=", "<>", "<", "<=", ">", ">=", "!=", "=="};
  const ColumnModel& column = randomColumn(table);
  if (column.name.empty()) return "rowid > 0";
  if (random_.chance(15)) return column.name + " IS NULL";
  if (random_.chance(5)) return "NOT (" + column.name + " IS NULL)";
  std::string operand = random_.chance(85) ? values_.forColumn(&column) : "rowid";
  if (column.integerKey && operand == "NULL" && exclusions_.avoid(Exclusion::RowNumberNullBound)) {
    operand = std::to_string(random_.below(60) - 20);
  }
  if (operand == "NULL" && random_.chance(50)) operand = values_.number();
  return column.name + " " + random_.oneOf(operators) + " " + operand;
}

// Simple comparisons mostly (the forms the planner answers through indexes), any condition
// now and then.
std::string RandomStatements::condition(const TableModel& table, int depth) {
  if (wholeGrammar_ && depth == 0 && random_.chance(25))
    return expressions_.condition(scopeOf(table), 1);
  if (depth > 1 || random_.chance(60)) return comparison(table);
  switch (random_.below(3)) {
    case 0:
      return condition(table, depth + 1) + " AND " + condition(table, depth + 1);
    case 1:
      return "(" + condition(table, depth + 1) + " OR " + condition(table, depth + 1) + ")";
    default:
      return "NOT (" + condition(table, depth + 1) + ")";
  }
}

std::string RandomStatements::insert(TableModel& table) {
  ++table.insertsSinceEmptied;
  const char* const verbs[] = {"INSERT OR IGNORE", "INSERT OR REPLACE", "REPLACE", "INSERT OR FAIL",
                               "INSERT OR ABORT"};
  const bool plainVerb =
      random_.chance(80) ||
      (inTransaction_ && exclusions_.avoid(Exclusion::FailingWriteInTransaction));
  std::string verb = plainVerb ? "INSERT" : random_.oneOf(verbs);
  if (inTransaction_ && table.temporary && !table.triggers.empty() &&
      exclusions_.avoid(Exclusion::TempWriteFailingInTransaction)) {
    verb = "INSERT OR IGNORE";
  }
  std::string sql = verb + " INTO " + qualified(table);
  std::vector<const ColumnModel*> columns;
  if (random_.chance(50)) {
    for (const ColumnModel& column : table.columns) columns.push_back(&column);
  } else {
    for (const ColumnModel& column : table.columns) {
      if (!column.name.empty() && random_.chance(60)) columns.push_back(&column);
    }
    if (columns.empty()) {
      for (const ColumnModel& column : table.columns) columns.push_back(&column);
    } else {
      sql += "(";
      for (size_t i = 0; i < columns.size(); ++i) sql += (i ? ", " : "") + columns[i]->name;
      sql += ")";
    }
  }
  sql += " VALUES(";
  for (size_t i = 0; i < columns.size(); ++i) {
    std::string value = values_.forColumn(columns[i]);
    // An expression now and then, a sub-select among them.
    if (wholeGrammar_ && !columns[i]->integerKey && random_.chance(10)) {
      expressions_.setStoringValues(true);
      value = expressions_.narrowValue(Scope{}, 1);
      expressions_.setStoringValues(false);
    }
    sql += (i ? ", " : "") + value;
  }
  return sql + ");";
}

// INSERT ... SELECT of the table's columns (or a few named ones) from a query of its own.
std::string RandomStatements::insertSelect(TableModel& table) {
  table.insertsSinceEmptied += 5;
  std::string sql = "INSERT INTO " + qualified(table);
  int count = static_cast<int>(table.columns.size());
  if (random_.chance(40)) {
    std::vector<std::string> names;
    for (const ColumnModel& column : table.columns) {
      if (!column.name.empty() && !column.integerKey && random_.chance(60)) {
        names.push_back(column.name);
      }
    }
    if (!names.empty()) {
      sql += "(";
      for (size_t i = 0; i < names.size(); ++i) sql += (i ? ", " : "") + names[i];
      sql += ")";
      count = static_cast<int>(names.size());
    }
  }
  if (random_.chance(3)) ++count;  // a mistake: one value too many
  const bool orderFree = !exclusions_.avoid(Exclusion::GroupOrder);
  expressions_.setWritingRows(true);
  expressions_.setStoringValues(true);
  if (exclusions_.avoid(Exclusion::OtherDatabaseBeforeWrittenTable)) {
    queries_.setDatabaseOnly(table.temporary ? RandomQueries::Database::Temp
                                             : RandomQueries::Database::File);
  }
  sql += " " + queries_.storedQuery(count, orderFree).sql + ";";
  queries_.setDatabaseOnly(std::nullopt);
  expressions_.setStoringValues(false);
  expressions_.setWritingRows(false);
  return sql;
}

// Inside a transaction the library loses track of pages that a statement failing half way
// has added (Exclusion::FailingWriteInTransaction): there the stream updates only columns
// whose constraints cannot fail after the first row.
std::vector<const ColumnModel*> RandomStatements::updatableColumns(const TableModel& table) const {
  const bool mustNotFail =
      inTransaction_ && exclusions_.avoid(Exclusion::FailingWriteInTransaction);
  std::vector<const ColumnModel*> columns;
  for (const ColumnModel& column : table.columns) {
    if (column.name.empty()) continue;
    if (!mustNotFail || (!column.integerKey && !column.inUniqueKey && !column.notNull)) {
      columns.push_back(&column);
    }
  }
  return columns;
}

std::string RandomStatements::updateRows(TableModel& table) {
  const std::vector<const ColumnModel*> columns = updatableColumns(table);
  if (columns.empty()) return select(table);
  if (wholeGrammar_ && !inTransaction_ && random_.chance(15)) return keyChange(table);
  const ColumnModel& column = *columns[random_.below(static_cast<int>(columns.size()))];
  const Scope scope = scopeOf(table);
  auto newValue = [&](const ColumnModel& target) {
    if (!wholeGrammar_ || target.integerKey || random_.chance(75)) {
      return values_.forColumn(&target);
    }
    return expressions_.narrowValue(scope, 1);
  };
  const char* const verbs[] = {"UPDATE OR IGNORE ", "UPDATE OR REPLACE ", "UPDATE OR FAIL ",
                               "UPDATE OR ABORT "};
  std::string sql =
      std::string(inTransaction_ || random_.chance(85) ? "UPDATE " : random_.oneOf(verbs)) +
      qualified(table) + " SET " + column.name + " = " + newValue(column);
  if (columns.size() > 1 && random_.chance(30)) {
    const ColumnModel& other = *columns[random_.below(static_cast<int>(columns.size()))];
    sql += ", " + other.name + " = " + newValue(other);
  }
  if (random_.chance(85)) sql += " WHERE " + condition(table, 0);
  return sql + ";";
}

std::string RandomStatements::update(TableModel& table) {
  expressions_.setWritingRows(true);
  expressions_.setStoringValues(true);
  expressions_.setOrderShown(!table.triggers.empty());
  std::string sql = updateRows(table);
  expressions_.setOrderShown(false);
  expressions_.setStoringValues(false);
  expressions_.setWritingRows(false);
  return sql;
}

// An UPDATE that moves rows to other row numbers (an INTEGER PRIMARY KEY, or the rowid).
std::string RandomStatements::keyChange(TableModel& table) {
  std::string key = "rowid";
  for (const ColumnModel& column : table.columns) {
    if (column.integerKey && !column.name.empty()) key = column.name;
  }
  const char* const changes[] = {"abs({k}) + 1", "{k} + 100",      "-{k}", "{k} - 1",
                                 "{k} * 2",      "({k} % 7) + 50", "'{k}'"};
  std::string change = random_.oneOf(changes);
  for (size_t at; (at = change.find("{k}")) != std::string::npos;) change.replace(at, 3, key);
  const char* const verbs[] = {"UPDATE ", "UPDATE OR REPLACE ", "UPDATE OR IGNORE "};
  std::string sql = random_.oneOf(verbs) + table.name + " SET " + key + " = " + change;
  if (random_.chance(60)) sql += " WHERE " + condition(table, 0);
  return sql + ";";
}

std::string RandomStatements::remove(TableModel& table) {
  if (table.insertsSinceEmptied > kInsertsBeforeEmptying || random_.chance(3)) {
    table.insertsSinceEmptied = 0;
    return random_.chance(50) ? "DELETE FROM " + table.name + ";"
                              : "DELETE FROM " + table.name + " WHERE 1;";
  }
  expressions_.setOrderShown(!table.triggers.empty());
  std::string sql = "DELETE FROM " + qualified(table) + " WHERE " + condition(table, 0) + ";";
  expressions_.setOrderShown(false);
  return sql;
}

std::string RandomStatements::select(TableModel& table) {
  if (random_.chance(10)) {
    return "SELECT count(*) FROM " + table.name +
           (random_.chance(50) ? " WHERE " + condition(table, 0) : "") + ";";
  }
  std::string sql = "SELECT ";
  if (random_.chance(40)) {
    sql += "*";
  } else {
    for (int i = 1 + random_.below(3); i > 0; --i) {
      const ColumnModel& column = randomColumn(table);
      sql += (column.name.empty() ? "rowid" : column.name) + (i > 1 ? ", " : "");
    }
    if (random_.chance(20)) sql += ", rowid";
  }
  sql += " FROM " + qualified(table);
  if (random_.chance(70)) sql += " WHERE " + condition(table, 0);
  if (random_.chance(50)) {
    // Ordering by a unique rowid last keeps the order of equal values defined.
    const ColumnModel& column = randomColumn(table);
    sql += " ORDER BY " + (column.name.empty() ? "rowid" : column.name) +
           (random_.chance(40)   ? " DESC"
            : random_.chance(50) ? " ASC"
                                 : "");
    sql += ", rowid";
  }
  if (random_.chance(15)) {
    sql += " LIMIT " + std::to_string(random_.below(10));
    if (random_.chance(50)) sql += " OFFSET " + std::to_string(random_.below(5));
  }
  return sql + ";";
}

std::string RandomStatements::indexChange(TableModel& table) {
  if (!table.indexes.empty() && random_.chance(50)) {
    const int which = random_.below(static_cast<int>(table.indexes.size()));
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
    return random_.chance(80) ? "BEGIN;" : "BEGIN TRANSACTION;";
  }
  inTransaction_ = false;
  const char* const ends[] = {"COMMIT;", "END;", "ROLLBACK;", "COMMIT TRANSACTION;"};
  return random_.oneOf(ends);
}

std::string RandomStatements::mistake(TableModel& table) {
  switch (random_.below(wholeGrammar_ ? 8 : 5)) {
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
    case 5:
      return "SELECT c0 FROM " + table.name + " UNION SELECT c0, c0 FROM " + table.name + ";";
    case 6:
      return "SELECT (SELECT c0, c0 FROM " + table.name + ");";
    default:
      return "INSERT INTO " + table.name + "(nosuch) VALUES(1);";
  }
}

std::string RandomStatements::recreate(TableModel& table) {
  // The same schema object again: its old pages go to the free list and come back. Its
  // triggers go with it; views over it stay, and fail when read.
  const std::string name = table.name;
  table.columns.clear();
  table.triggers.clear();
  table.indexes.clear();
  return "DROP TABLE " + name + ";";
}

std::string RandomStatements::triggerChange(TableModel& table) {
  if (!table.triggers.empty() && random_.chance(40)) {
    const int which = random_.below(static_cast<int>(table.triggers.size()));
    const std::string name = table.triggers[which];
    table.triggers.erase(table.triggers.begin() + which);
    return "DROP TRIGGER " + name + ";";
  }
  return createTrigger(table);
}

// NEW.column or OLD.column against a value, as a WHEN clause or a step's WHERE.
// NEW.column or OLD.column (the row number where the column has no name). Excluded: the
// row number and the INTEGER PRIMARY KEY in a BEFORE INSERT trigger (Exclusion::
// BeforeInsertKey) and in NEW of an UPDATE trigger (Exclusion::UpdatedKeyInTrigger), a
// literal NULL where the table has no other column.
std::string RandomStatements::rowValue(const TableModel& table, const char* row,
                                       const ColumnModel*& column) {
  column = &randomColumn(table);
  if (keyUnknown_ && (column->integerKey || column->name.empty())) {
    column = nullptr;
    for (const ColumnModel& other : table.columns) {
      if (!other.integerKey && !other.name.empty()) column = &other;
    }
    if (!column) return "NULL";
  }
  return std::string(row) + "." + (column->name.empty() ? std::string("rowid") : column->name);
}

std::string RandomStatements::rowCondition(const TableModel& table, const char* row) {
  const char* const operators[] = {"=", "<>", "<", "<=", ">", ">="};
  const ColumnModel* column = nullptr;
  const std::string value = rowValue(table, row, column);
  if (random_.chance(20)) return value + " IS NULL";
  return value + " " + random_.oneOf(operators) + " " + values_.forColumn(column);
}

// The steps cannot fail (Exclusion::FailingWriteInTransaction): they write trigger_log,
// columns of other tables that have no constraint, or delete rows, and stop a row with
// RAISE(IGNORE).
std::string RandomStatements::triggerStep(const TableModel& table, const std::string& name,
                                          const char* row) {
  const ColumnModel* column = nullptr;
  const std::string value = rowValue(table, row, column);
  const TableModel& other = randomTable();
  const ColumnModel* free = nullptr;
  for (const ColumnModel& candidate : other.columns) {
    if (!candidate.name.empty() && !candidate.integerKey && !candidate.inUniqueKey &&
        !candidate.notNull) {
      free = &candidate;
    }
  }
  int step = random_.below(wholeGrammar_ ? 8 : 5);
  if (!wholeGrammar_ && step >= 3) step = 7;
  switch (step) {
    case 0:
      return std::string("SELECT ") + (noIgnoreStep_ ? "0" : "RAISE(IGNORE)") + " WHERE " +
             rowCondition(table, row) + ";";
    case 1:
      return "UPDATE trigger_log SET v = " + value + " WHERE name = '" + name + "';";
    case 2:
      return "DELETE FROM trigger_log WHERE v = " + value + ";";
    case 3:
      if (free && !other.temporary &&
          (&other != &table || !exclusions_.avoid(Exclusion::TriggerWritesOwnTable))) {
        return "UPDATE " + other.name + " SET " + free->name + " = " + value + " WHERE " +
               free->name + " = " + values_.any() + ";";
      }
      [[fallthrough]];
    case 4:
      return "INSERT INTO trigger_log SELECT '" + name + "', " + value +
             (other.temporary || other.columns.empty() ? "" : " FROM " + other.name + " LIMIT 2") +
             ";";
    default:
      return "INSERT INTO trigger_log VALUES('" + name + "', " + value + ");";
  }
}

std::string RandomStatements::createTrigger(TableModel& table) {
  const std::string name = "tr" + std::to_string(nextTriggerNumber_++);
  table.triggers.push_back(name);
  const char* const timings[] = {"BEFORE ", "AFTER ", ""};
  const std::string timing = random_.oneOf(timings);
  std::string sql = "CREATE TRIGGER " + name + " " + timing;
  const char* row = "new";
  switch (random_.below(3)) {
    case 0:
      sql += "INSERT";
      keyUnknown_ =
          wholeGrammar_ && timing != "AFTER " && exclusions_.avoid(Exclusion::BeforeInsertKey);
      break;
    case 1:
      sql += "UPDATE";
      if (random_.chance(40) && !randomColumn(table).name.empty()) {
        sql += " OF " + randomColumn(table).name;
      }
      row = random_.chance(50) ? "new" : "old";
      keyUnknown_ = wholeGrammar_ && std::string(row) == "new" &&
                    exclusions_.avoid(Exclusion::UpdatedKeyInTrigger);
      break;
    default:
      sql += "DELETE";
      row = "old";
      noIgnoreStep_ =
          wholeGrammar_ && timing != "AFTER " && exclusions_.avoid(Exclusion::IgnoredDeleteCount);
      break;
  }
  sql += " ON " + table.name + (random_.chance(20) ? " FOR EACH ROW" : "");
  if (random_.chance(30)) {
    const std::string when = rowCondition(table, row);
    if (!table.temporary || !exclusions_.avoid(Exclusion::TempTableTriggerWhen)) {
      sql += " WHEN " + when;
    }
  }
  sql += " BEGIN ";
  for (int steps = 1 + random_.below(3); steps > 0; --steps) {
    sql += triggerStep(table, name, row) + " ";
  }
  keyUnknown_ = false;
  noIgnoreStep_ = false;
  return sql + "END;";
}

// Whether a query sorts its rows somewhere inside, as far as its text tells: an ORDER BY, or
// a view that sorts (a name that merely contains such a view's counts too).
namespace {

bool sortsRows(const std::string& sql, const std::vector<ViewModel>& views) {
  if (sql.find("ORDER BY") != std::string::npos) return true;
  return std::any_of(views.begin(), views.end(), [&](const ViewModel& view) {
    return view.sorted && sql.find(view.name) != std::string::npos;
  });
}

}  // namespace

// A view over a query of any shape (aggregates, compounds, joins, other views), or one
// dropped.
std::string RandomStatements::viewChange() {
  if (schema_.views.size() >= kMostViews || (!schema_.views.empty() && random_.chance(25))) {
    const int which = random_.below(static_cast<int>(schema_.views.size()));
    const std::string name = schema_.views[which].name;
    schema_.views.erase(schema_.views.begin() + which);
    return "DROP VIEW " + name + ";";
  }
  // A view may be read by INSERT ... SELECT (Exclusion::ChangeCountsLive).
  expressions_.setWritingRows(true);
  QueryShape query = queries_.viewQuery();
  expressions_.setWritingRows(false);
  const std::string name = "v" + std::to_string(nextViewNumber_++);
  const bool temporary = random_.chance(15);
  schema_.views.push_back(ViewModel{name, query.columns, query.rowOrderFree,
                                    sortsRows(query.sql, schema_.views), isDistinctQuery(query.sql),
                                    query.valuesMerged, query.joins, query.nestsSubquery,
                                    query.keyColumns});
  return std::string("CREATE ") + (temporary ? "TEMP " : "") + "VIEW " + name + " AS " + query.sql +
         ";";
}

std::string RandomStatements::createTableAs() {
  if (nextDerivedNumber_ > kMostDerivedTables) return vacuum();
  const bool orderFree = !exclusions_.avoid(Exclusion::GroupOrder);
  QueryShape query = queries_.storedQuery(1 + random_.below(3), orderFree);
  TableModel table{"d" + std::to_string(nextDerivedNumber_++), {}, {}, {}, 0, random_.chance(20)};
  for (const std::string& name : query.columns) {
    ColumnModel column;
    column.name = name;
    table.columns.push_back(column);
  }
  const std::string sql = std::string("CREATE ") + (table.temporary ? "TEMP " : "") + "TABLE " +
                          table.name + " AS " + query.sql + ";";
  // VACUUM reads the schema again: 2.8 then takes the new table's columns as they are
  // written (Exclusion::DerivedColumnTypes).
  if (exclusions_.avoid(Exclusion::DerivedColumnTypes)) followUp_ = "VACUUM;";
  schema_.tables.push_back(std::move(table));
  return sql;
}

std::string RandomStatements::pragma() {
  const char* const switches[] = {"count_changes", "full_column_names", "short_column_names",
                                  "empty_result_callbacks", "show_datatypes"};
  const TableModel& table = randomTable();
  switch (random_.below(8)) {
    case 0:
    case 1:
    case 2:
      return std::string("PRAGMA ") + random_.oneOf(switches) + " = " +
             (random_.chance(50) ? "ON" : "OFF") + ";";
    case 3:
      // Of the newest view, without a draw of its own: the statements after it stay those the
      // fixed seeds have always made.
      return "PRAGMA table_info(" +
             (random_.chance(70) || schema_.views.empty() ? table.name
                                                          : schema_.views.back().name) +
             ");";
    case 4:
      // Draws as index_info below does, so that the statements after it stay those the fixed
      // seeds have always made (a read changes nothing for them).
      if (!table.indexes.empty()) random_.oneOf(table.indexes);
      return "PRAGMA index_list(" + table.name + ");";
    case 5:
      return table.indexes.empty() ? "PRAGMA integrity_check;"
                                   : "PRAGMA index_info(" + random_.oneOf(table.indexes) + ");";
    case 6:
      return random_.chance(50) ? "PRAGMA cache_size;" : "PRAGMA cache_size = 100;";
    default:
      return "PRAGMA integrity_check;";
  }
}

std::string RandomStatements::copy(TableModel& table) {
  table.insertsSinceEmptied += 7;
  expressions_.noteCopy();
  std::string sql = "COPY ";
  if (random_.chance(30)) sql += "OR " + conflictAction(random_) + " ";
  sql += table.name + " FROM '" + copyFile_ + "'";
  if (random_.chance(30))
    sql += random_.chance(50) ? " USING DELIMITERS '\t'" : " USING DELIMITERS ','";
  return sql + ";";
}

std::string RandomStatements::vacuum() {
  return random_.chance(80) ? "VACUUM;" : "VACUUM " + randomTable().name + ";";
}

RandomStatement RandomStatements::next() {
  RandomStatement statement;
  if (!followUp_.empty()) {
    statement.kind = "vacuum";
    statement.sql = std::move(followUp_);
    followUp_.clear();
    return statement;
  }
  if (inTransaction_ && ++statementsInTransaction_ > 6) {
    statement.kind = "transaction";
    statement.sql = transactionControl();
    return statement;
  }
  TableModel& table = randomTable();
  const bool mayFail = !(inTransaction_ && exclusions_.avoid(Exclusion::FailingWriteInTransaction));
  auto pick = [&]() -> std::pair<const char*, std::string> {
    if (table.columns.empty()) return {"create-table", createTable(table)};
    const int pick = random_.below(100);
    if (pick < 24) return {"insert", insert(table)};
    if (pick < 28 && mayFail) return {"insert-select", insertSelect(table)};
    if (pick < 38) return {"update", update(table)};
    if (pick < 46) return {"delete", remove(table)};
    if (pick < 54) return {"select-simple", select(table)};
    if (pick < 74) {
      QueryShape query = queries_.statement(statement.kind);
      statement.rowOrderFree = query.rowOrderFree;
      return {nullptr, query.sql + ";"};
    }
    if (pick < 76) return {"trigger", triggerChange(table)};
    if (pick < 79) return {"index", indexChange(table)};
    if (pick < 82) return {"transaction", transactionControl()};
    if (pick < 84) return {"mistake", mistake(table)};
    if (pick < 87) return {"view", viewChange()};
    if (pick < 89 && mayFail) return {"create-as", createTableAs()};
    if (pick < 93) return {"pragma", pragma()};
    if (pick < 95 && mayFail) return {"copy", copy(table)};
    if (inTransaction_) return {"select-simple", select(table)};
    if (pick < 97) return {"vacuum", vacuum()};
    return {"drop-table", recreate(table)};
  };
  auto plainPick = [&]() -> std::pair<const char*, std::string> {
    if (table.columns.empty()) return {"create-table", createTable(table)};
    const int pick = random_.below(100);
    if (pick < 32) return {"insert", insert(table)};
    if (pick < 46) return {"update", update(table)};
    if (pick < 58) return {"delete", remove(table)};
    if (pick < 86) return {"select-simple", select(table)};
    if (pick < 88) return {"trigger", triggerChange(table)};
    if (pick < 92) return {"index", indexChange(table)};
    if (pick < 95) return {"transaction", transactionControl()};
    if (pick < 98) return {"mistake", mistake(table)};
    if (inTransaction_) return {"select-simple", select(table)};
    return {"drop-table", recreate(table)};
  };
  auto [kind, sql] = wholeGrammar_ ? pick() : plainPick();
  statement.sql = std::move(sql);
  if (kind) statement.kind = kind;
  return statement;
}

}  // namespace orvalen::test
