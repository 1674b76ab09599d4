#pragma once

// Random SQL for the differential test: a random schema, then a stream of statements over
// it (inserts, updates, deletes, queries, index and trigger changes, transactions and a few
// mistakes)
// with values chosen to reach the engine's corners: NULL, negative numbers, reals, texts with
// quotes, empty texts, texts of several kilobytes, GBK and UTF-8 bytes, numbers as text.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace orvalen::test {

class RandomStatements {
 public:
  explicit RandomStatements(uint64_t seed);

  // The CREATE TABLE and CREATE INDEX statements of a fresh random schema.
  std::vector<std::string> createSchema();

  // The next statement.
  std::string next();

  // Whether the statements so far left a BEGIN without COMMIT or ROLLBACK.
  bool inTransaction() const { return inTransaction_; }

 private:
  struct Column {
    std::string name;
    std::string type;
    bool textual = false;  // declared type makes it a text column
    bool integerKey = false;
    bool inUniqueKey = false;  // part of a UNIQUE constraint or index
  };
  struct Table {
    std::string name;
    std::vector<Column> columns;
    std::vector<std::string> indexes;
    int insertsSinceEmptied = 0;
    std::vector<std::string> triggers;
  };

  int below(int bound) { return static_cast<int>(rng_() % static_cast<uint64_t>(bound)); }
  bool chance(int percent) { return below(100) < percent; }

  Table& randomTable() { return tables_[below(static_cast<int>(tables_.size()))]; }
  const Column& randomColumn(const Table& table) {
    return table.columns[below(static_cast<int>(table.columns.size()))];
  }

  // The table's name, now and then as main.name.
  std::string qualified(const Table& table) {
    return chance(20) ? "main." + table.name : table.name;
  }
  std::string createTable(Table& table);
  std::string createIndex(Table& table);
  std::string value(const Column* column);
  std::string numberLiteral();
  std::string textLiteral();
  std::string condition(const Table& table, int depth);
  std::string comparison(const Table& table);

  std::string insert(Table& table);
  std::string update(Table& table);
  std::vector<const Column*> updatableColumns(const Table& table) const;
  std::string remove(Table& table);
  std::string select(Table& table);
  std::string indexChange(Table& table);
  std::string transactionControl();
  std::string mistake(Table& table);
  std::string recreate(Table& table);
  std::string triggerChange(Table& table);
  std::string createTrigger(Table& table);
  std::string triggerStep(const Table& table, const std::string& name, const char* row);
  std::string rowCondition(const Table& table, const char* row);

  std::mt19937_64 rng_;
  std::vector<Table> tables_;
  int nextIndexNumber_ = 1;
  int nextTriggerNumber_ = 1;
  bool inTransaction_ = false;
  int statementsInTransaction_ = 0;
};

}  // namespace orvalen::test
