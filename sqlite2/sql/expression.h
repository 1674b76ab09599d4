#pragma once

// Expressions with their names resolved against a table, ready to evaluate row by row.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sql/ast.h"
#include "sql/comparison.h"
#include "sql/partial_record.h"
#include "sql/schema.h"
#include "sql/sql_value.h"

namespace sqlite2 {

class RecordView;

// What an expression reads: the current row of its table and, for an aggregate query's
// result, the aggregate totals (with no row: columns read as NULL).
struct EvalContext {
  int32_t rowNumber = 0;
  const RecordView* record = nullptr;
  const PartialRecord* partial = nullptr;  // when record is null: the leading columns
  const std::vector<int64_t>* aggregates = nullptr;
};

class CompiledExpr {
 public:
  enum class Op : uint8_t {
    Constant,
    Column,
    RowNumber,
    Negate,
    Identity,  // unary plus: the operand unchanged
    BitNot,
    Not,
    Compare,     // token: Eq Ne Lt Le Gt Ge
    Arithmetic,  // token: Plus Minus Star Slash Rem
    Concat,
    Bitwise,  // token: BitAnd BitOr LeftShift RightShift
    And,
    Or,
    IsNull,
    NotNull,
    Aggregate,  // count: the total in slot
  };

  SqlValue evaluate(const EvalContext& context) const;
  // Whether the value is true as WHERE takes it (not NULL, not zero): the same as
  // evaluate(context).isTrue(), without building values for comparisons and logic.
  bool isSatisfied(const EvalContext& context) const { return truth(context) == Truth::True; }
  // Whether the value is a text expression (compares as text when the other side is too).
  bool isText() const { return text_; }
  Op op() const { return op_; }
  TokenType token() const { return token_; }
  int column() const { return column_; }
  const CompiledExpr* left() const { return left_.get(); }
  const CompiledExpr* right() const { return right_.get(); }
  // Whether the value does not depend on the row (no column, no row number, no aggregate).
  bool isConstant() const;
  bool isColumnOrRowNumber() const { return op_ == Op::Column || op_ == Op::RowNumber; }
  bool readsRowNumber() const;
  // The highest column position the value reads, -1 for none.
  int highestColumn() const;
  // For a Column: the row's field as stored (nullopt for NULL), without making a value.
  std::optional<std::string_view> columnValue(const EvalContext& context) const;

 private:
  friend class ExpressionCompiler;
  enum class Truth { False, True, Unknown };
  SqlValue evaluateBinary(const EvalContext& context) const;
  Truth truth(const EvalContext& context) const;
  // The text of the value (nullopt for NULL); scratch holds it when it has to be computed.
  std::optional<std::string_view> textOf(const EvalContext& context, SqlValue& scratch) const;
  NumericKey numericKey(std::string_view text) const {
    return op_ == Op::Constant ? constantKey_ : classifyNumeric(text);
  }

  Op op_ = Op::Constant;
  TokenType token_ = TokenType::EndOfText;
  bool text_ = false;
  int column_ = -1;  // Column; the aggregate slot for Aggregate
  SqlValue constant_;
  NumericKey constantKey_;  // of a non-NULL constant
  std::unique_ptr<CompiledExpr> left_, right_;
};
using CompiledExprPtr = std::unique_ptr<CompiledExpr>;

// One count(...) of a query: its argument (null for count(*)).
struct AggregateTerm {
  const CompiledExpr* argument = nullptr;
};

// Resolves the names of expressions against one table (or none, for SELECT without FROM).
class ExpressionCompiler {
 public:
  // tableName: what a qualified name must say (the alias when the query gives one).
  ExpressionCompiler(const Table* table, std::string tableName);

  // Allows count(): each one found gets a slot in aggregates().
  void allowAggregates(bool allowed) { aggregatesAllowed_ = allowed; }
  const std::vector<AggregateTerm>& aggregates() const { return aggregates_; }

  // Throws Error(SQLITE_ERROR): "no such column: x", "misuse of aggregate function count()".
  CompiledExprPtr compile(const Expr& expr);

 private:
  CompiledExprPtr compileNode(const Expr& expr);
  CompiledExprPtr compileName(const Expr& expr);
  CompiledExprPtr compileUnary(const Expr& expr);
  CompiledExprPtr compileCount(const Expr& expr);
  CompiledExprPtr columnReference(int column);

  const Table* table_;
  std::string tableName_;
  bool aggregatesAllowed_ = false;
  bool insideAggregate_ = false;
  std::vector<AggregateTerm> aggregates_;
};

// Whether an expression (as parsed) contains count().
bool containsAggregate(const Expr& expr);

// Whether the expression is a literal: NULL, a number or a text.
inline bool isLiteral(const Expr& expr) {
  return expr.kind == ExprKind::Null || expr.kind == ExprKind::String ||
         expr.kind == ExprKind::Integer || expr.kind == ExprKind::Float;
}
// The value of a literal as evaluating it would give, without compiling it. A text value
// borrows the expression's.
SqlValue literalValue(const Expr& literal);

}  // namespace sqlite2
