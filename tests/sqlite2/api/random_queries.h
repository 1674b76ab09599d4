#pragma once

// Random SELECTs over the tables and views of the schema: joins of tables, views and
// sub-selects under aliases (comma, JOIN ... ON, USING, NATURAL, LEFT and CROSS joins),
// result columns of every kind, WHERE, GROUP BY and HAVING, ORDER BY by number, alias or
// expression, LIMIT and OFFSET, DISTINCT, compounds, and sub-selects in FROM and in
// expressions, nested.

#include <optional>
#include <string>
#include <vector>

#include "random_expressions.h"
#include "random_schema.h"

namespace orvalen::test {

// Whether the query's text begins with SELECT DISTINCT.
inline bool isDistinctQuery(const std::string& sql) {
  return sql.rfind("SELECT DISTINCT ", 0) == 0;
}

struct QueryShape {
  std::string sql;
  // The names its rows' columns take as a table's ("" where the statements cannot write it).
  std::vector<std::string> columns;
  // Its rows come in an order SQLite 2.8 leaves to its hash table (Exclusion::GroupOrder).
  bool rowOrderFree = false;
  bool withoutFrom = false;  // it is, or has a part that is, a SELECT without FROM
  // It is, or has a part that is, a SELECT of several sources, or of a view or sub-select
  // that is.
  bool joins = false;
  // It reads a sub-select in FROM, itself or through a view (Exclusion::SubqueryInCompound).
  bool nestsSubquery = false;
  // A SELECT that 2.8 merges into a query reading it on the right of a LEFT JOIN, with a
  // column that is not a bare column of its one source (Exclusion::LeftJoinMergedValues).
  bool valuesMerged = false;
  // Its columns that are a table's row number, whose bounds keep away from 2.8's faults there
  // once a reader's terms on them go down to the table (Exclusion::RowNumberNullBound).
  std::vector<std::string> keyColumns;
};

class RandomQueries : public SubqueryMaker {
 public:
  RandomQueries(RandomSource& random, RandomValues& values, RandomExpressions& expressions,
                const SchemaModel& schema, const Exclusions& exclusions);

  // A SELECT statement; kind names what it mostly exercises.
  QueryShape statement(std::string& kind);
  // A query whose rows are kept (a view's, CREATE TABLE ... AS, INSERT ... SELECT): in an
  // order of its own unless orderFreeAllowed. columnCount < 0: any number of columns.
  QueryShape storedQuery(int columnCount, bool orderFreeAllowed);
  // A view's query: stored, and read as a source.
  QueryShape viewQuery();
  // The tables the queries read: those of one database only while INSERT ... SELECT writes
  // one of it (Exclusion::OtherDatabaseBeforeWrittenTable).
  enum class Database { File, Temp };
  void setDatabaseOnly(std::optional<Database> only) { databaseOnly_ = only; }

  std::string scalarSubquery(int depth) override;
  std::string columnSubquery(int depth) override;

 private:
  struct Source {
    std::string sql;   // as FROM writes it
    std::string name;  // what qualifies its columns
    Scope columns;     // qualified
    std::vector<std::string> plainColumns;
    bool plainTable = false;  // a table under its own name
    bool query = false;       // a view or a sub-select
    bool rowOrderFree = false;
    bool sorted = false;         // a view whose rows are sorted somewhere inside
    bool distinct = false;       // a view or sub-select whose query is a SELECT DISTINCT
    bool valuesMerged = false;   // as QueryShape::valuesMerged
    bool joins = false;          // a view or sub-select that joins, as QueryShape::joins
    bool nestsSubquery = false;  // a sub-select, or a view as QueryShape::nestsSubquery
  };
  struct Select {
    std::vector<Source> sources;
    Scope scope;  // every column the sources offer
    std::string from;
    std::vector<std::string> where;  // terms the joins need
    bool rowOrderFree = false;
  };

  bool anyTable() const;
  static bool joins(const Select& select);
  static bool nestsSubquery(const Select& select);
  const TableModel& randomTable();
  Source tableSource(bool mayAlias);
  Source viewSource(bool mayAlias);
  // Puts the source (a table or view under its own name) under a new alias.
  void realias(Source& source);
  Source subquerySource(int depth, bool orderFreeAllowed, bool besideOthers);
  Source anySource(int depth, bool orderFreeAllowed, bool besideOthers);
  std::string joinOperator(const Source& left, const Source& right, std::string& where);
  std::string joinCondition(const Source& left, const Source& right);
  Select fromClause(int sourceCount, int depth, bool orderFreeAllowed);

  std::string whereClause(const Select& select, int percent);
  QueryShape plainSelect(int depth, int columnCount, bool orderFreeAllowed,
                         bool compoundPart = false);
  QueryShape groupedSelect(int depth, int columnCount, bool orderFreeAllowed,
                           bool compoundPart = false);
  QueryShape compound(int depth, int columnCount, bool orderFreeAllowed);
  QueryShape anyQuery(int depth, int columnCount, bool orderFreeAllowed);
  std::string resultColumns(const Select& select, int columnCount, int depth,
                            std::vector<std::string>& names, bool* computed = nullptr);
  std::string nameTerm(std::string& term, const std::string& alias, int percent,
                       std::vector<std::string>& seen);
  std::string orderBy(const Select& select, size_t resultCount,
                      const std::vector<std::string>& names);
  std::string limit(bool withoutFrom);

  RandomSource& random_;
  RandomValues& values_;
  RandomExpressions& expressions_;
  const SchemaModel& schema_;
  const Exclusions& exclusions_;
  int nextAlias_ = 0;
  bool storing_ = false;       // the rows are stored: no wide integers among them
  bool readAsSource_ = false;  // a view's or FROM's query (Exclusion::SubqueryColumnOfSource)
  std::vector<std::string> keyColumns_;  // of the query being made (QueryShape::keyColumns)
  bool inCompoundPart_ = false;          // Exclusion::SubqueryInCompound
  // A view's query, and a sub-select in it, where views are not read
  // (Exclusion::ViewInStoredSubquery).
  bool makingView_ = false;
  std::optional<Database> databaseOnly_;  // Exclusion::OtherDatabaseBeforeWrittenTable
  bool inSubquery_ = false;
  bool mayReadView(bool inSubquery) const;
  bool limitless_ = false;  // no LIMIT (Exclusion::SubqueryBesideSources, LimitInSource)
};

}  // namespace orvalen::test
