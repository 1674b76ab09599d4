#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "sql/access_plan.h"
#include "sql/comparison.h"
#include "sql/expression.h"
#include "sql/parser.h"
#include "sql/row_scanner.h"
#include "sql/session.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

using OutputValue = std::optional<std::string>;

struct SortTerm {
  CompiledExprPtr owned;               // compiled for this term
  const CompiledExpr* expr = nullptr;  // owned, or a result column's expression
  bool descending = false;
  bool asText = false;
  bool collated = false;
};

// A SELECT made ready to run: resolved columns, WHERE and ORDER BY.
class SelectQuery {
 public:
  SelectQuery(Session& session, const Select& select);
  void run(const ResultRowCallback& onRow);

 private:
  void resolveResultColumns();
  void addAllColumns();
  void resolveOrderBy();
  std::optional<int> orderColumnNumber(const Expr& expr) const;
  std::vector<OrderColumn> orderColumns() const;

  void runAggregate(const AccessPlan* plan);
  void runRows(const AccessPlan* plan);
  std::vector<OutputValue> outputRow(const EvalContext& context) const;
  // Hands one row to the callback unless OFFSET skips it; false once LIMIT is reached.
  bool emit(const std::vector<OutputValue>& row);
  // The same for the row a scan is on, without copying what the callback can read from the
  // row itself.
  bool emitCurrent(const EvalContext& context);
  enum class Admission { Stop, Skip, Pass };
  Admission admitRow();
  bool deliver(const char* const* values);

  Session& session_;
  const Select& select_;
  std::shared_ptr<Table> table_;
  ExpressionCompiler compiler_;
  std::vector<CompiledExprPtr> columns_;
  std::vector<std::string> names_;
  CompiledExprPtr where_;
  std::vector<SortTerm> orderBy_;
  bool aggregate_ = false;

  const ResultRowCallback* onRow_ = nullptr;
  int skipped_ = 0;
  int emitted_ = 0;
  // Reused from row to row: the values handed on, the texts computed for them, the names.
  std::vector<const char*> rowValues_;
  std::vector<std::string> rowTexts_;
  std::vector<const char*> rowNames_;
};

std::string tableNameForQualifiers(const Select& select) {
  if (select.alias) return *select.alias;
  return select.table ? *select.table : std::string();
}

SelectQuery::SelectQuery(Session& session, const Select& select)
    : session_(session),
      select_(select),
      table_(select.table ? session.table(*select.table) : nullptr),
      compiler_(table_.get(), tableNameForQualifiers(select)) {
  if (table_ && table_->isView) {
    throw Error(SQLITE_ERROR, "cannot read view " + table_->name + ": views are not supported");
  }
  for (const ResultColumn& column : select.columns) {
    if (column.expr && containsAggregate(*column.expr)) aggregate_ = true;
  }
  resolveResultColumns();
  if (select.where) where_ = compiler_.compile(*select.where);
  resolveOrderBy();
}

void SelectQuery::resolveResultColumns() {
  compiler_.allowAggregates(aggregate_);
  for (const ResultColumn& column : select_.columns) {
    switch (column.kind) {
      case ResultColumn::Kind::AllColumns:
        if (!table_) throw Error(SQLITE_ERROR, "no tables specified");
        addAllColumns();
        break;
      case ResultColumn::Kind::TableColumns:
        if (!table_ || !sameName(column.qualifier, tableNameForQualifiers(select_))) {
          throw Error(SQLITE_ERROR, "no such table: " + column.qualifier);
        }
        addAllColumns();
        break;
      case ResultColumn::Kind::Expression:
        columns_.push_back(compiler_.compile(*column.expr));
        names_.push_back(column.alias ? *column.alias : compressSpaces(column.expr->source));
        break;
    }
  }
  compiler_.allowAggregates(false);
}

void SelectQuery::addAllColumns() {
  for (const Column& column : table_->columns) {
    Expr name;
    name.kind = ExprKind::Name;
    name.text = column.name;
    columns_.push_back(compiler_.compile(name));
    names_.push_back(column.name);
  }
}

// ORDER BY 2 names the second result column (also written +2, (2) or -2, which is out of
// range); any other constant is refused.
std::optional<int> SelectQuery::orderColumnNumber(const Expr& expr) const {
  if (expr.kind == ExprKind::Integer) {
    if (expr.text.size() > 10 || (expr.text.size() == 10 && expr.text > "2147483647")) {
      return std::nullopt;
    }
    return static_cast<int>(std::stoll(expr.text));
  }
  if (expr.kind == ExprKind::Unary && expr.op == TokenType::Plus) {
    return orderColumnNumber(*expr.left);
  }
  if (expr.kind == ExprKind::Unary && expr.op == TokenType::Minus) {
    std::optional<int> inner = orderColumnNumber(*expr.left);
    if (inner) return -*inner;
  }
  return std::nullopt;
}

void SelectQuery::resolveOrderBy() {
  compiler_.allowAggregates(aggregate_);
  for (const OrderTerm& term : select_.orderBy) {
    SortTerm sort;
    sort.descending = term.descending;
    if (std::optional<int> number = orderColumnNumber(*term.expr)) {
      int count = static_cast<int>(columns_.size());
      if (*number < 1 || *number > count) {
        throw Error(SQLITE_ERROR, "ORDER BY column number " + std::to_string(*number) +
                                      " out of range - should be between 1 and " +
                                      std::to_string(count));
      }
      sort.expr = columns_[*number - 1].get();
    } else {
      try {
        sort.owned = compiler_.compile(*term.expr);
      } catch (const Error&) {
        // A name that is no column may be a result column's alias.
        if (term.expr->kind != ExprKind::Name) throw;
        for (size_t i = 0; i < select_.columns.size() && !sort.expr; ++i) {
          const std::optional<std::string>& alias = select_.columns[i].alias;
          if (alias && sameName(*alias, term.expr->text) && i < columns_.size()) {
            sort.expr = columns_[i].get();
          }
        }
        if (!sort.expr) throw;
      }
      if (sort.owned) {
        if (sort.owned->isConstant()) {
          throw Error(SQLITE_ERROR, "ORDER BY terms must not be non-integer constants");
        }
        sort.expr = sort.owned.get();
      }
    }
    sort.asText = sort.expr->isText();
    if (term.collation) {
      sort.collated = true;
      if (sameName(*term.collation, "text")) sort.asText = true;
      if (sameName(*term.collation, "numeric")) sort.asText = false;
    }
    orderBy_.push_back(std::move(sort));
  }
  compiler_.allowAggregates(false);
}

std::vector<OrderColumn> SelectQuery::orderColumns() const {
  std::vector<OrderColumn> columns;
  for (const SortTerm& term : orderBy_) {
    OrderColumn column;
    column.descending = term.descending;
    if (!term.collated && term.expr->op() == CompiledExpr::Op::Column) {
      column.column = term.expr->column();
    } else if (!term.collated && term.expr->op() == CompiledExpr::Op::RowNumber) {
      column.column = OrderColumn::kRowNumber;
    }
    columns.push_back(column);
  }
  return columns;
}

void SelectQuery::run(const ResultRowCallback& onRow) {
  onRow_ = &onRow;
  if (!table_) {
    // No FROM: one row of constants, if the WHERE lets it through.
    if (aggregate_) {
      std::vector<int64_t> totals(compiler_.aggregates().size(), 0);
      EvalContext row;
      bool passes = !where_ || where_->isSatisfied(row);
      for (size_t i = 0; i < totals.size(); ++i) {
        const CompiledExpr* argument = compiler_.aggregates()[i].argument;
        if (passes && (!argument || !argument->evaluate(row).isNull())) totals[i] = 1;
      }
      EvalContext result;
      result.aggregates = &totals;
      emit(outputRow(result));
      return;
    }
    EvalContext row;
    if (!where_ || where_->isSatisfied(row)) emit(outputRow(row));
    return;
  }
  std::vector<OrderColumn> order = aggregate_ ? std::vector<OrderColumn>() : orderColumns();
  AccessPlan plan = planAccess(*table_, where_.get(), order);
  ReadingTable reading(session_, table_->root);
  if (aggregate_) {
    runAggregate(&plan);
  } else {
    runRows(&plan);
  }
}

void SelectQuery::runAggregate(const AccessPlan* plan) {
  std::vector<int64_t> totals(compiler_.aggregates().size(), 0);
  RowScanner scanner(*session_.btree, *table_, *plan);
  while (scanner.next()) {
    for (size_t i = 0; i < totals.size(); ++i) {
      const CompiledExpr* argument = compiler_.aggregates()[i].argument;
      if (!argument || !argument->evaluate(scanner.context()).isNull()) ++totals[i];
    }
  }
  // Columns outside count() read as NULL in the one result row.
  EvalContext result;
  result.aggregates = &totals;
  emit(outputRow(result));
}

struct SortedRow {
  std::vector<OutputValue> keys;
  std::vector<OutputValue> values;
};

void SelectQuery::runRows(const AccessPlan* plan) {
  RowScanner scanner(*session_.btree, *table_, *plan);
  if (orderBy_.empty() || plan->providesOrder) {
    while (scanner.next()) {
      if (!emitCurrent(scanner.context())) return;
    }
    return;
  }
  std::vector<SortedRow> rows;
  while (scanner.next()) {
    SortedRow row;
    for (const SortTerm& term : orderBy_) {
      SqlValue key = term.expr->evaluate(scanner.context());
      row.keys.push_back(key.isNull() ? OutputValue() : OutputValue(std::string(key.text())));
    }
    row.values = outputRow(scanner.context());
    rows.push_back(std::move(row));
  }
  // Rows that sort equal come out in the reverse of the order they were found, as from the
  // reference library's sorter.
  std::reverse(rows.begin(), rows.end());
  std::stable_sort(rows.begin(), rows.end(), [this](const SortedRow& a, const SortedRow& b) {
    for (size_t i = 0; i < orderBy_.size(); ++i) {
      const OutputValue& x = a.keys[i];
      const OutputValue& y = b.keys[i];
      int order;
      if (!x || !y) {
        order = (x ? 1 : 0) - (y ? 1 : 0);  // NULL first
      } else {
        order = compareValues(*x, *y, orderBy_[i].asText);
      }
      if (order != 0) return orderBy_[i].descending ? order > 0 : order < 0;
    }
    return false;
  });
  for (const SortedRow& row : rows) {
    if (!emit(row.values)) return;
  }
}

std::vector<OutputValue> SelectQuery::outputRow(const EvalContext& context) const {
  std::vector<OutputValue> row;
  row.reserve(columns_.size());
  for (const CompiledExprPtr& column : columns_) {
    SqlValue value = column->evaluate(context);
    row.push_back(value.isNull() ? OutputValue() : OutputValue(std::string(value.text())));
  }
  return row;
}

SelectQuery::Admission SelectQuery::admitRow() {
  int limit = select_.limit.value_or(-1);
  if (limit >= 0 && emitted_ >= limit) return Admission::Stop;
  if (skipped_ < select_.offset) {
    ++skipped_;
    return Admission::Skip;
  }
  ++emitted_;
  return Admission::Pass;
}

// Calls the callback with the row (one value per result column); false once LIMIT is reached.
bool SelectQuery::deliver(const char* const* values) {
  if (*onRow_) {
    if (rowNames_.empty()) {
      for (const std::string& name : names_) rowNames_.push_back(name.c_str());
    }
    if (!(*onRow_)(static_cast<int>(columns_.size()), values, rowNames_.data())) {
      throw Error(SQLITE_ABORT, "");
    }
  }
  int limit = select_.limit.value_or(-1);
  return limit < 0 || emitted_ < limit;
}

bool SelectQuery::emit(const std::vector<OutputValue>& row) {
  Admission admission = admitRow();
  if (admission != Admission::Pass) return admission == Admission::Skip;
  rowValues_.clear();
  for (const OutputValue& value : row) rowValues_.push_back(value ? value->c_str() : nullptr);
  return deliver(rowValues_.data());
}

bool SelectQuery::emitCurrent(const EvalContext& context) {
  Admission admission = admitRow();
  if (admission != Admission::Pass) return admission == Admission::Skip;
  rowTexts_.resize(columns_.size());
  rowValues_.resize(columns_.size());
  for (size_t i = 0; i < columns_.size(); ++i) {
    const CompiledExpr& column = *columns_[i];
    if (column.op() == CompiledExpr::Op::Column) {
      // A stored field ends with its terminator inside the row, which outlives the call.
      std::optional<std::string_view> field = column.columnValue(context);
      rowValues_[i] = field ? field->data() : nullptr;
      continue;
    }
    SqlValue value = column.evaluate(context);
    if (value.isNull()) {
      rowValues_[i] = nullptr;
    } else {
      rowTexts_[i].assign(value.text());
      rowValues_[i] = rowTexts_[i].c_str();
    }
  }
  return deliver(rowValues_.data());
}

}  // namespace

void runSelect(Session& session, const Select& select, const ResultRowCallback& onRow) {
  SelectQuery query(session, select);
  session.statementStarted = true;
  query.run(onRow);
}

}  // namespace sqlite2
