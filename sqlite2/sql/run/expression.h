#pragma once

// Expressions with their names resolved against a table, ready to evaluate row by row.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/error.h"
#include "sql/run/partial_record.h"
#include "sql/schema/schema.h"
#include "sql/text/ast.h"
#include "sql/values/comparison.h"
#include "sql/values/pattern_match.h"
#include "sql/values/sql_value.h"

namespace sqlite2 {

class RecordView;
struct ScalarFunction;
struct Session;

// What an expression reads: the current row of its table and, for an aggregate query's
// result, the values of its aggregates and of the columns taken from the group's first row
// (with no row: columns read as NULL).
struct EvalContext {
  // In a join: the row of each table by its place in FROM (this context's own row is then
  // unused); null for a single table, whose row is this context's.
  const EvalContext* const* sources = nullptr;
  int32_t rowNumber = 0;
  const RecordView* record = nullptr;
  const PartialRecord* partial = nullptr;              // when record is null: the leading columns
  const std::optional<std::string>* values = nullptr;  // a sub-select's row, by column
  const SqlValue* aggregates = nullptr;                // by aggregate slot
  const SqlValue* captured = nullptr;                  // by capture slot
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
    Aggregate,  // the value of the aggregate in slot
    Captured,   // the value captured in slot from a group's first row
    Function,   // operands: the arguments
    Like,       // token: Like or Glob; left: the text, right: the pattern
    Between,    // left BETWEEN operands[0] AND operands[1]
    InList,     // left IN the constant texts of the list
    Case,       // left: operand or null; operands: WHEN, THEN in turn; right: ELSE or null
    Raise,      // operands: the action's name and the message
  };

  enum class Truth { False, True, Unknown };

  SqlValue evaluate(const EvalContext& context) const;
  // Whether the value is true as WHERE takes it (not NULL, not zero): the same as
  // evaluate(context).isTrue(), without building values for comparisons and logic.
  bool isSatisfied(const EvalContext& context) const { return truth(context) == Truth::True; }
  // Whether the value is a text expression (compares as text when the other side is too).
  bool isText() const { return text_; }
  // Whether the value is a text expression on the right of a comparison or in a later part of
  // a compound: a column of a sub-select read from a table of its rows is not.
  bool textOnTheRight() const { return text_ && !numericOrder_; }
  // Whether ORDER BY sorts the value as text.
  bool sortsAsText() const { return text_ && !numericOrder_; }
  Op op() const { return op_; }
  TokenType token() const { return token_; }
  int column() const { return column_; }
  const CompiledExpr* left() const { return left_.get(); }
  const CompiledExpr* right() const { return right_.get(); }
  // Whether the value does not depend on the row (no column, no row number, no aggregate) and
  // is no function call nor sub-select, as the reference library judges it.
  bool isConstant() const;
  bool isColumnOrRowNumber() const { return op_ == Op::Column || op_ == Op::RowNumber; }
  // For "x IN (...)" (not NOT IN): the distinct texts of the list, in byte order.
  bool isPositiveInList() const { return op_ == Op::InList && !negated_; }
  std::vector<std::string> distinctInTexts() const;
  bool readsRowNumber() const;
  // Whether the value is an integer (or NULL) whatever the row: integer arithmetic, a truth
  // value, the row number.
  bool alwaysInteger() const;
  // The highest column position the value reads, -1 for none.
  int highestColumn() const;
  // The tables (by place in FROM, as bits) whose rows the value reads.
  uint64_t sourcesUsed() const;
  // The tables whose columns (not only row numbers) the value reads, aggregates' arguments
  // and captured columns included.
  uint64_t columnSourcesRead() const;
  int source() const { return source_; }
  // The text of the value (nullopt for NULL); scratch holds it when it has to be computed.
  std::optional<std::string_view> textOf(const EvalContext& context, SqlValue& scratch) const;
  // For a Column: the row's field as stored (nullopt for NULL), without making a value.
  std::optional<std::string_view> columnValue(const EvalContext& context) const;
  // The same as a C string that lasts as long as the row (null for NULL).
  const char* columnText(const EvalContext& context) const;

 private:
  friend class ExpressionCompiler;
  SqlValue evaluateBinary(const EvalContext& context) const;
  Truth truth(const EvalContext& context) const;
  NumericKey numericKey(std::string_view text) const {
    return op_ == Op::Constant ? constantKey_ : classifyNumeric(text);
  }

  SqlValue evaluateFunction(const EvalContext& context) const;
  [[noreturn]] void raise(const EvalContext& context) const;
  SqlValue evaluateCase(const EvalContext& context) const;
  Truth likeTruth(const EvalContext& context) const;
  Truth betweenTruth(const EvalContext& context) const;
  Truth inListTruth(const EvalContext& context) const;
  void forEachOperand(const std::function<void(const CompiledExpr&)>& visit) const;

  Op op_ = Op::Constant;
  TokenType token_ = TokenType::EndOfText;
  bool text_ = false;
  bool negated_ = false;   // NOT LIKE, NOT BETWEEN, NOT IN
  bool subquery_ = false;  // a Constant that a sub-select gave
  bool call_ = false;      // a Constant that a function call gave (typeof()): never constant
  int column_ = -1;        // Column; the slot of Aggregate and Captured
  int source_ = 0;         // Column, RowNumber: the table's place in FROM
  // A Column, or its captured value, whose table's column sorts as numbers although it
  // compares as text.
  bool numericOrder_ = false;
  bool integer_ = false;  // a Column read as an integer (Column::integer)
  SqlValue constant_;
  NumericKey constantKey_;  // of a non-NULL constant
  std::unique_ptr<CompiledExpr> left_, right_;
  std::vector<std::unique_ptr<CompiledExpr>> operands_;
  const ScalarFunction* function_ = nullptr;
  Session* session_ = nullptr;                // for functions that read the connection
  std::vector<std::string> inTexts_;          // InList: the values, sorted
  std::unique_ptr<LikePattern> likePattern_;  // Like: the pattern, when it is a constant
};
using CompiledExprPtr = std::unique_ptr<CompiledExpr>;

enum class AggregateKind : uint8_t { Count, Sum, Avg, Min, Max };
// The aggregate function of that name (count for any other).
AggregateKind aggregateKind(std::string_view name);

// One aggregate of a query: its kind and argument (null for count(*)).
struct AggregateTerm {
  AggregateKind kind = AggregateKind::Count;
  const CompiledExpr* argument = nullptr;
  bool asText = false;  // min and max: compares its values as text
};

// A table as the names of a query see it: under its alias, or its own name.
struct NamedSource {
  const Table* table = nullptr;
  std::string name;
};

// Resolves the names of expressions against the tables of a query (one, several joined, or
// none for SELECT without FROM).
class ExpressionCompiler {
 public:
  // For the tables of a join, in FROM order.
  ExpressionCompiler(std::vector<NamedSource> sources, Session* session);
  // tableName: what a qualified name must say (the alias when the query gives one). session:
  // the connection that functions such as last_insert_rowid() read (may be null).
  ExpressionCompiler(const Table* table, std::string tableName, Session* session = nullptr);

  // Allows aggregates: each one found gets a slot in aggregates().
  void allowAggregates(bool allowed) { aggregatesAllowed_ = allowed; }
  const std::vector<AggregateTerm>& aggregates() const { return aggregates_; }
  // Makes columns outside aggregates read what captures() computed from a group's first row.
  void captureColumns(bool capture) { capturing_ = capture; }
  // The aliases of a query's result columns: a name that no table has stands for the
  // expression of the result column it names, as SQLite 2.8 reads WHERE, GROUP BY, HAVING
  // and ORDER BY.
  void setAliases(std::vector<std::pair<std::string, const Expr*>> aliases) {
    aliases_ = std::move(aliases);
  }
  const std::vector<const CompiledExpr*>& captures() const { return captures_; }

  // Throws Error(SQLITE_ERROR): "no such column: x", "misuse of aggregate function count()",
  // "no such function: f", "wrong number of arguments to function f()". Each call is a
  // clause of its own unless one is open: all of a clause's names are looked up before its
  // functions are checked, as in SQLite 2.8.
  CompiledExprPtr compile(const Expr& expr);
  // Makes the compile() calls up to endClause() one clause (a WHERE with its join terms);
  // endClause() throws the first function mistake found in it.
  void beginClause();
  void endClause();
  // The column at a position of a source, as a name for it compiles: a column of "*", read
  // by its place (a table may have two columns of one name).
  CompiledExprPtr compileColumnAt(int source, int column);

 private:
  CompiledExprPtr compileNode(const Expr& expr);
  CompiledExprPtr compileName(const Expr& expr);
  CompiledExprPtr compileUnary(const Expr& expr);
  CompiledExprPtr compileFunction(const Expr& expr);
  static bool typeofSaysText(const CompiledExpr& argument);
  static bool isCoalesceOfThree(const CompiledExpr& call);
  CompiledExprPtr compileRaise(const Expr& expr);
  CompiledExprPtr compileAggregate(const Expr& expr);
  // Keeps the clause's first function mistake for its end; the call's arguments are still
  // looked up. A placeholder for the call.
  CompiledExprPtr holdFunctionError(const Expr& expr, const std::string& message);
  void throwHeldFunctionError();
  CompiledExprPtr compileLike(const Expr& expr);
  CompiledExprPtr compileBetween(const Expr& expr);
  CompiledExprPtr compileInList(const Expr& expr);
  CompiledExprPtr compileCase(const Expr& expr);
  CompiledExprPtr compileSubquery(const Expr& expr);
  CompiledExprPtr compileInSelect(const Expr& expr);
  CompiledExprPtr columnReference(int source, int column);
  CompiledExprPtr captured(CompiledExprPtr column);

  std::vector<NamedSource> sources_;
  Session* session_;
  bool aggregatesAllowed_ = false;
  bool insideAggregate_ = false;
  bool capturing_ = false;
  std::vector<AggregateTerm> aggregates_;
  std::vector<const CompiledExpr*> captures_;
  std::vector<std::pair<std::string, const Expr*>> aliases_;
  bool expandingAlias_ = false;  // an alias's expression names no alias in turn
  int depth_ = 0;                // of compile() calls under way
  bool clauseOpen_ = false;
  std::optional<Error> functionError_;  // the first of the clause under way
};

// Whether an expression (as parsed) contains an aggregate: count(), sum(), avg(), or min()
// or max() of one value.
bool containsAggregate(const Expr& expr);
// Whether a query calls an aggregate function among its result columns or in HAVING (one
// that only groups does not).
bool callsAggregate(const Select& select);

// Whether the expression is a literal: NULL, a number or a text.
inline bool isLiteral(const Expr& expr) {
  return expr.kind == ExprKind::Null || expr.kind == ExprKind::String ||
         expr.kind == ExprKind::Integer || expr.kind == ExprKind::Float;
}
// The value of a literal as evaluating it would give, without compiling it. A text value
// borrows the expression's.
SqlValue literalValue(const Expr& literal);

}  // namespace sqlite2
