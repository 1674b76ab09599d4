#pragma once

// Walks the rows of the tables of a query's FROM clause: one table through its access plan,
// several as nested loops in FROM order (as the reference library walks them, so rows come
// in the same order). Each WHERE term is checked as soon as the tables it reads have a row;
// terms that compare a table's column with values from the tables further out choose its
// access plan (an index or the row number), so a join on a key is a lookup per row, not a
// walk. A LEFT JOIN gives a row of NULLs for its table when no row matches its ON terms.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "sql/run/access_plan.h"
#include "sql/run/expression.h"
#include "sql/run/query_rows.h"
#include "sql/run/row_scanner.h"
#include "sql/run/session.h"
#include "sql/schema/schema.h"

namespace sqlite2 {

class JoinWalker {
 public:
  struct Source {
    std::shared_ptr<Table> table;
    bool leftJoin = false;                     // LEFT [OUTER] JOIN: the join before this table
    std::vector<const CompiledExpr*> onTerms;  // of a LEFT JOIN: what a row must meet to match
    const QueryRows* rows = nullptr;           // a sub-select's rows, read instead of a table
  };
  using RowVisitor = std::function<bool(const EvalContext& row)>;

  // whereTerms: the WHERE terms (and the ON terms of inner joins). orderBy: the ORDER BY of a
  // single table, which an index may give.
  // columnsRead: the tables (as bits) whose columns the query reads outside WHERE and ON.
  JoinWalker(Session& session, std::vector<Source> sources,
             const std::vector<const CompiledExpr*>& whereTerms,
             const std::vector<OrderColumn>& orderBy, uint64_t columnsRead);
  ~JoinWalker();
  JoinWalker(const JoinWalker&) = delete;
  JoinWalker& operator=(const JoinWalker&) = delete;

  // Whether the rows come in the ORDER BY order.
  bool providesOrder() const;
  // Calls visit for every row of the join (one row of each table) until it returns false.
  void forEach(const RowVisitor& visit);

 private:
  struct Level;
  void planLevel(size_t place, const std::vector<OrderColumn>& orderBy);
  uint64_t columnSourcesReadByWalk() const;
  void openScanners(uint64_t columnsRead);
  bool walk(size_t level, const RowVisitor& visit);
  bool descend(size_t level, const RowVisitor& visit);
  bool satisfied(const std::vector<const CompiledExpr*>& terms) const;

  Session& session_;
  std::vector<std::unique_ptr<Level>> levels_;
  std::vector<const EvalContext*> rows_;  // the current row of each table
  EvalContext joined_;                    // reads rows_
};

}  // namespace sqlite2
