#pragma once

// What the random statements know of the schema they made: the tables with their columns,
// indexes and triggers, and the views with the names of their columns. Statements are drawn
// against it so that most of them name things that exist.

#include <string>
#include <vector>

namespace orvalen::test {

struct ColumnModel {
  std::string name;  // empty when the column's name is not one the statements can write
  std::string type;
  bool textual = false;  // declared type makes it a text column
  bool integerKey = false;
  bool inUniqueKey = false;  // part of a UNIQUE constraint or index
  bool notNull = false;
};

struct TableModel {
  std::string name;
  std::vector<ColumnModel> columns;  // none once dropped
  std::vector<std::string> indexes;
  std::vector<std::string> triggers;
  int insertsSinceEmptied = 0;
  bool temporary = false;
};

struct ViewModel {
  std::string name;
  std::vector<std::string> columns;
  // Its rows come in the order of SQLite 2.8's hash table of groups (a GROUP BY without
  // ORDER BY somewhere inside), which this engine does not copy.
  bool rowOrderFree = false;
  // Its rows are sorted somewhere inside (an ORDER BY, or a view that sorts).
  bool sorted = false;
  bool distinct = false;                // its query is a SELECT DISTINCT
  bool valuesMerged = false;            // as QueryShape::valuesMerged
  bool joins = false;                   // as QueryShape::joins
  bool nestsSubquery = false;           // as QueryShape::nestsSubquery
  std::vector<std::string> keyColumns;  // as QueryShape::keyColumns
};

struct SchemaModel {
  std::vector<TableModel> tables;
  std::vector<ViewModel> views;

  const TableModel* findTable(const std::string& name) const {
    for (const TableModel& table : tables) {
      if (table.name == name && !table.columns.empty()) return &table;
    }
    return nullptr;
  }
};

}  // namespace orvalen::test
