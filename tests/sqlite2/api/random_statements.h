#pragma once

// Random SQL for the differential test: a random schema, then a stream of statements over
// it (inserts, updates, deletes, queries of every shape, views, CREATE TABLE ... AS, index
// and trigger changes, COPY, VACUUM, pragmas that change the output, transactions and a few
// mistakes), with values chosen to reach the engine's corners (random_values.h).

#include <cstdint>
#include <string>
#include <vector>

#include "random_exclusions.h"
#include "random_expressions.h"
#include "random_queries.h"
#include "random_schema.h"
#include "random_source.h"
#include "random_values.h"

namespace orvalen::test {

struct RandomStatement {
  std::string sql;
  std::string kind;  // what it mostly exercises, for counting
  // Its rows come in SQLite 2.8's hash order: they are compared as a set.
  bool rowOrderFree = false;
};

class RandomStatements {
 public:
  // copyFile: a text file that COPY statements read (rows of tab-separated fields).
  // wholeGrammar: the grown statements too (see wholeGrammar_).
  RandomStatements(uint64_t seed, std::string copyFile, bool wholeGrammar,
                   Exclusions exclusions = Exclusions::fromEnvironment());

  // The CREATE TABLE and CREATE INDEX statements of a fresh random schema.
  std::vector<std::string> createSchema();

  RandomStatement next();

  // Whether the statements so far left a BEGIN without COMMIT or ROLLBACK.
  bool inTransaction() const { return inTransaction_; }

  // The lines of a file for COPY: fields separated by tabs, with \N for NULL, escaped
  // characters, and lines of too many fields (and of too few, unless excluded).
  static std::string copyFileText(const Exclusions& exclusions);

 private:
  TableModel& randomTable() {
    return schema_.tables[random_.below(static_cast<int>(schema_.tables.size()))];
  }
  const ColumnModel& randomColumn(const TableModel& table) {
    return table.columns[random_.below(static_cast<int>(table.columns.size()))];
  }
  Scope scopeOf(const TableModel& table) const;

  // The table's name, now and then as main.name (temp.name for a temporary one).
  std::string qualified(const TableModel& table);
  std::string createTable(TableModel& table);
  std::string createIndex(TableModel& table);
  std::string comparison(const TableModel& table);
  std::string condition(const TableModel& table, int depth);

  std::string insert(TableModel& table);
  std::string insertSelect(TableModel& table);
  std::string update(TableModel& table);
  std::string updateRows(TableModel& table);
  std::string keyChange(TableModel& table);
  std::vector<const ColumnModel*> updatableColumns(const TableModel& table) const;
  std::string remove(TableModel& table);
  std::string select(TableModel& table);
  std::string indexChange(TableModel& table);
  std::string transactionControl();
  std::string mistake(TableModel& table);
  std::string recreate(TableModel& table);
  std::string triggerChange(TableModel& table);
  std::string createTrigger(TableModel& table);
  std::string triggerStep(const TableModel& table, const std::string& name, const char* row);
  std::string rowCondition(const TableModel& table, const char* row);
  std::string rowValue(const TableModel& table, const char* row, const ColumnModel*& column);
  std::string viewChange();
  std::string createTableAs();
  std::string pragma();
  std::string copy(TableModel& table);
  std::string vacuum();

  RandomSource random_;
  Exclusions exclusions_;
  RandomValues values_;
  RandomExpressions expressions_;
  SchemaModel schema_;
  RandomQueries queries_;
  std::string copyFile_;
  int nextIndexNumber_ = 1;
  int nextTriggerNumber_ = 1;
  int nextViewNumber_ = 1;
  int nextDerivedNumber_ = 1;
  bool inTransaction_ = false;
  int statementsInTransaction_ = 0;
  std::string followUp_;  // made next, before any other
  // A BEFORE INSERT trigger's steps (Exclusion::BeforeInsertKey), or those reading NEW of
  // an UPDATE trigger (Exclusion::UpdatedKeyInTrigger).
  bool keyUnknown_ = false;
  bool noIgnoreStep_ = false;  // a BEFORE DELETE trigger's steps (Exclusion::IgnoredDeleteCount)

  // The grown statements (joins, sub-selects, compounds, views, CREATE TABLE ... AS, COPY,
  // VACUUM, pragmas): made in the runs of fixed seeds, and in random ones only when
  // ORVALEN_RANDOM_GRAMMAR is set.
  bool wholeGrammar_;
};

}  // namespace orvalen::test
