#include "sql/run/expression.h"

#include <algorithm>

#include "common/error.h"
#include "sql/run/session.h"
#include "sql/run/source_columns.h"
#include "sql/run/trigger_stack.h"
#include "sql/schema/attached_databases.h"
#include "sql/values/pattern_match.h"
#include "sql/values/scalar_functions.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

// An integer literal is a 32-bit integer when its digits (leading zeros included) are at
// most ten and do not exceed 2147483647; longer ones are kept as text and count as reals.
bool fitsInInt32(std::string_view digits) {
  if (digits.size() < 10) return true;
  return digits.size() == 10 && digits <= std::string_view("2147483647");
}

int32_t digitsValue(std::string_view digits) {
  int64_t value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  return static_cast<int32_t>(value);
}

std::string columnErrorName(const Expr& expr) {
  if (!expr.database.empty()) return expr.database + "." + expr.qualifier + "." + expr.text;
  if (expr.kind == ExprKind::QualifiedName) return expr.qualifier + "." + expr.text;
  return expr.text;
}

// Whether table.column (or database.table.column) can mean a column of the source.
bool qualifies(const Expr& expr, const NamedSource& source) {
  if (!sameName(expr.qualifier, source.name)) return false;
  return expr.database.empty() || sameName(expr.database, databaseName(*source.table));
}

}  // namespace

bool containsAggregate(const Expr& expr) {
  if (expr.kind == ExprKind::Function &&
      isAggregateCall(expr.text, static_cast<int>(expr.list.size()))) {
    return true;
  }
  for (const ExprPtr& item : expr.list) {
    if (containsAggregate(*item)) return true;
  }
  return (expr.left && containsAggregate(*expr.left)) ||
         (expr.right && containsAggregate(*expr.right));
}

bool callsAggregate(const Select& select) {
  for (const ResultColumn& column : select.columns) {
    if (column.expr && containsAggregate(*column.expr)) return true;
  }
  return select.having && containsAggregate(*select.having);
}

ExpressionCompiler::ExpressionCompiler(const Table* table, std::string tableName, Session* session)
    : session_(session) {
  if (table) sources_.push_back(NamedSource{table, std::move(tableName)});
}

ExpressionCompiler::ExpressionCompiler(std::vector<NamedSource> sources, Session* session)
    : sources_(std::move(sources)), session_(session) {}

CompiledExprPtr ExpressionCompiler::compile(const Expr& expr) {
  const bool clause = depth_ == 0 && !clauseOpen_;
  if (clause) functionError_.reset();
  ++depth_;
  CompiledExprPtr node;
  try {
    node = compileNode(expr);
  } catch (...) {
    --depth_;
    throw;
  }
  --depth_;
  if (clause) throwHeldFunctionError();
  if (node->op_ == CompiledExpr::Op::Constant && !node->constant_.isNull()) {
    node->constantKey_ = classifyNumeric(node->constant_.text());
  }
  return node;
}

void ExpressionCompiler::beginClause() {
  clauseOpen_ = true;
  functionError_.reset();
}

void ExpressionCompiler::endClause() {
  clauseOpen_ = false;
  throwHeldFunctionError();
}

void ExpressionCompiler::throwHeldFunctionError() {
  if (!functionError_) return;
  Error error = std::move(*functionError_);
  functionError_.reset();
  throw error;
}

CompiledExprPtr ExpressionCompiler::holdFunctionError(const Expr& expr,
                                                      const std::string& message) {
  if (!functionError_) functionError_ = Error(SQLITE_ERROR, message);
  for (const ExprPtr& argument : expr.list) compile(*argument);
  return std::make_unique<CompiledExpr>();
}

SqlValue literalValue(const Expr& expr) {
  switch (expr.kind) {
    case ExprKind::String:
    case ExprKind::Float:
      return SqlValue::borrowedText(expr.text);
    case ExprKind::Integer:
      return fitsInInt32(expr.text) ? SqlValue::integerLiteral(digitsValue(expr.text), expr.text)
                                    : SqlValue::borrowedText(expr.text);
    default:
      return SqlValue::null();
  }
}

CompiledExprPtr ExpressionCompiler::compileNode(const Expr& expr) {
  auto node = std::make_unique<CompiledExpr>();
  switch (expr.kind) {
    case ExprKind::Null:
    case ExprKind::String:
    case ExprKind::Integer:
    case ExprKind::Float:
      node->constant_ = literalValue(expr);
      node->text_ = expr.kind == ExprKind::Null || expr.kind == ExprKind::String;
      return node;
    case ExprKind::Name:
    case ExprKind::QualifiedName:
      return compileName(expr);
    case ExprKind::Unary:
      return compileUnary(expr);
    case ExprKind::IsNull:
    case ExprKind::NotNull:
      node->op_ =
          expr.kind == ExprKind::IsNull ? CompiledExpr::Op::IsNull : CompiledExpr::Op::NotNull;
      node->left_ = compile(*expr.left);
      return node;
    case ExprKind::Function:
      return compileFunction(expr);
    case ExprKind::Like:
      return compileLike(expr);
    case ExprKind::Between:
      return compileBetween(expr);
    case ExprKind::InList:
      return compileInList(expr);
    case ExprKind::Case:
      return compileCase(expr);
    case ExprKind::Subquery:
    case ExprKind::InSelect:
      return compileSubquery(expr);
    case ExprKind::Raise:
      return compileRaise(expr);
    case ExprKind::TableStar:
      throw Error(SQLITE_ERROR, "near \"*\": syntax error");
    case ExprKind::Binary:
      break;
  }
  node->token_ = expr.op;
  switch (expr.op) {
    case TokenType::Eq:
    case TokenType::Ne:
    case TokenType::Lt:
    case TokenType::Le:
    case TokenType::Gt:
    case TokenType::Ge:
      node->op_ = CompiledExpr::Op::Compare;
      break;
    case TokenType::Plus:
    case TokenType::Minus:
    case TokenType::Star:
    case TokenType::Slash:
    case TokenType::Rem:
      node->op_ = CompiledExpr::Op::Arithmetic;
      break;
    case TokenType::Concat:
      node->op_ = CompiledExpr::Op::Concat;
      node->text_ = true;
      break;
    case TokenType::And:
      node->op_ = CompiledExpr::Op::And;
      break;
    case TokenType::Or:
      node->op_ = CompiledExpr::Op::Or;
      break;
    default:
      node->op_ = CompiledExpr::Op::Bitwise;
      break;
  }
  node->left_ = compile(*expr.left);
  node->right_ = compile(*expr.right);
  // As in SQLite 2.8, a comparison of two texts (NULL counts as one) is a text itself, and
  // compares as text; each side's type is the one typeof() says.
  if (node->op_ == CompiledExpr::Op::Compare) {
    const CompiledExpr& right = *node->right_;
    const bool rightText =
        isCoalesceOfThree(right) ? typeofSaysText(right) : right.textOnTheRight();
    node->text_ = typeofSaysText(*node->left_) && rightText;
  }
  return node;
}

// A name is a column of the one table that has it (of the table named by its qualifier);
// ROWID and its kin stand for the row number where there is one table to take it from.
CompiledExprPtr ExpressionCompiler::compileName(const Expr& expr) {
  bool qualified = expr.kind == ExprKind::QualifiedName;
  int foundSource = -1, foundColumn = -2;
  int candidates = 0;
  for (size_t i = 0; i < sources_.size(); ++i) {
    const NamedSource& source = sources_[i];
    if (qualified && !qualifies(expr, source)) continue;
    ++candidates;
    int column = source.table->findColumn(expr.text);
    if (column < 0) continue;
    if (foundColumn >= 0)
      throw Error(SQLITE_ERROR, "ambiguous column name: " + columnErrorName(expr));
    foundSource = static_cast<int>(i);
    foundColumn = column;
  }
  if (foundColumn < 0 && candidates == 1 && isRowNumberName(expr.text)) {
    for (size_t i = 0; i < sources_.size(); ++i) {
      if (!qualified || qualifies(expr, sources_[i])) {
        foundSource = static_cast<int>(i);
        foundColumn = -1;
      }
    }
  }
  if (foundColumn >= -1) return compileColumnAt(foundSource, foundColumn);
  if (!qualified && !expandingAlias_) {
    for (const auto& [alias, aliased] : aliases_) {
      if (!sameName(alias, expr.text)) continue;
      expandingAlias_ = true;
      try {
        CompiledExprPtr expanded = compile(*aliased);
        expandingAlias_ = false;
        return expanded;
      } catch (...) {
        expandingAlias_ = false;
        throw;
      }
    }
  }
  if (qualified && session_) {
    // NEW.x and OLD.x of a trigger hold one row's values while the trigger runs.
    if (std::optional<TriggerValue> value =
            session_->triggers.rowValue(expr.qualifier, expr.text)) {
      auto node = std::make_unique<CompiledExpr>();
      node->constant_ = std::move(value->value);
      node->text_ = value->text;
      return node;
    }
  }
  if (!qualified && expr.quoted) {
    // A "double-quoted" word that names no column is a text.
    auto node = std::make_unique<CompiledExpr>();
    node->constant_ = SqlValue::borrowedText(expr.text);
    node->text_ = true;
    return node;
  }
  throw Error(SQLITE_ERROR, "no such column: " + columnErrorName(expr));
}

CompiledExprPtr ExpressionCompiler::compileColumnAt(int source, int column) {
  CompiledExprPtr reference = columnReference(source, column);
  if (capturing_ && !insideAggregate_) return captured(std::move(reference));
  return reference;
}

CompiledExprPtr ExpressionCompiler::columnReference(int source, int column) {
  auto node = std::make_unique<CompiledExpr>();
  const Table& table = *sources_[static_cast<size_t>(source)].table;
  node->source_ = source;
  if (column < 0 || column == table.rowNumberColumn) {
    node->op_ = CompiledExpr::Op::RowNumber;
    return node;
  }
  node->op_ = CompiledExpr::Op::Column;
  node->column_ = column;
  node->text_ = table.columns[static_cast<size_t>(column)].text;
  node->numericOrder_ = table.columns[static_cast<size_t>(column)].numericOrder;
  node->integer_ = table.columns[static_cast<size_t>(column)].integer;
  return node;
}

CompiledExprPtr ExpressionCompiler::captured(CompiledExprPtr column) {
  auto node = std::make_unique<CompiledExpr>();
  node->op_ = CompiledExpr::Op::Captured;
  node->text_ = column->text_;
  node->numericOrder_ = column->numericOrder_;
  node->column_ = static_cast<int>(captures_.size());
  captures_.push_back(column.get());
  node->left_ = std::move(column);
  return node;
}

CompiledExprPtr ExpressionCompiler::compileUnary(const Expr& expr) {
  auto node = std::make_unique<CompiledExpr>();
  const Expr& operand = *expr.left;
  // A minus sign before a number literal makes a literal: "-5" and "-1.50" are kept as written.
  if (expr.op == TokenType::Minus &&
      (operand.kind == ExprKind::Integer || operand.kind == ExprKind::Float)) {
    std::string written = "-" + operand.text;
    if (operand.kind == ExprKind::Integer && fitsInInt32(operand.text)) {
      node->constant_ =
          SqlValue::integerWithText(wrappingNegate(digitsValue(operand.text)), std::move(written));
    } else {
      node->constant_ = SqlValue::ownedText(std::move(written));
    }
    return node;
  }
  node->left_ = compile(operand);
  switch (expr.op) {
    case TokenType::Minus:
      node->op_ = CompiledExpr::Op::Negate;
      break;
    case TokenType::Plus:
      node->op_ = CompiledExpr::Op::Identity;
      break;
    case TokenType::BitNot:
      node->op_ = CompiledExpr::Op::BitNot;
      break;
    default:
      node->op_ = CompiledExpr::Op::Not;
      break;
  }
  return node;
}

AggregateKind aggregateKind(std::string_view name) {
  if (sameName(name, "sum")) return AggregateKind::Sum;
  if (sameName(name, "avg")) return AggregateKind::Avg;
  if (sameName(name, "min")) return AggregateKind::Min;
  if (sameName(name, "max")) return AggregateKind::Max;
  return AggregateKind::Count;
}

// RAISE(action, message) throws: the action's name and the message are its operands.
CompiledExprPtr ExpressionCompiler::compileRaise(const Expr& expr) {
  // Outside a trigger the reference library loops without end; here it is refused.
  if (!session_ || session_->triggers.empty()) {
    throw Error(SQLITE_ERROR, "RAISE() may only be used within a trigger-program");
  }
  auto node = std::make_unique<CompiledExpr>();
  node->op_ = CompiledExpr::Op::Raise;
  node->session_ = session_;
  const char* action = expr.op == TokenType::Ignore     ? "ignore"
                       : expr.op == TokenType::Rollback ? "rollback"
                       : expr.op == TokenType::Abort    ? "abort"
                                                        : "fail";
  for (std::string_view argument : {std::string_view(action), std::string_view(expr.text)}) {
    auto constant = std::make_unique<CompiledExpr>();
    constant->constant_ = SqlValue::borrowedText(argument);
    constant->text_ = true;
    node->operands_.push_back(std::move(constant));
  }
  return node;
}

// The type of an expression's value, but that 2.8 says a coalesce() of three values or more
// is of the type of its third (NULL being a text there), for typeof() and for the values
// min() and max() compare, although the call itself compares as a number.
bool ExpressionCompiler::typeofSaysText(const CompiledExpr& argument) {
  return isCoalesceOfThree(argument) ? typeofSaysText(*argument.operands_[2]) : argument.isText();
}

bool ExpressionCompiler::isCoalesceOfThree(const CompiledExpr& call) {
  return call.op_ == CompiledExpr::Op::Function && sameName(call.function_->name, "coalesce") &&
         call.operands_.size() >= 3;
}

CompiledExprPtr ExpressionCompiler::compileFunction(const Expr& expr) {
  int count = static_cast<int>(expr.list.size());
  if (isAggregateCall(expr.text, count) && !(expr.star && !sameName(expr.text, "count"))) {
    return compileAggregate(expr);
  }
  if (expr.star) count = 0;
  auto node = std::make_unique<CompiledExpr>();
  if (sameName(expr.text, "typeof") && count == 1) {
    // Known once the argument is compiled: the type of its expression.
    CompiledExprPtr argument = compile(*expr.list[0]);
    node->constant_ = SqlValue::borrowedText(typeofSaysText(*argument) ? "text" : "numeric");
    node->text_ = true;
    node->call_ = true;  // as every call, in GROUP BY, ORDER BY and IN lists
    // Kept: an aggregate inside (typeof(count(*))) is still counted through it.
    node->operands_.push_back(std::move(argument));
    return node;
  }
  if (sameName(expr.text, "count") || sameName(expr.text, "sum") || sameName(expr.text, "avg") ||
      ((sameName(expr.text, "min") || sameName(expr.text, "max")) && count < 2)) {
    return holdFunctionError(expr, "wrong number of arguments to function " + expr.text + "()");
  }
  const ScalarFunction* function = nullptr;
  try {
    function = &findScalarFunction(expr.text, count);
  } catch (const Error& error) {
    return holdFunctionError(expr, error.what());
  }
  node->op_ = CompiledExpr::Op::Function;
  node->function_ = function;
  node->session_ = session_;
  for (const ExprPtr& argument : expr.list) node->operands_.push_back(compile(*argument));
  switch (function->type) {
    case FunctionType::Numeric:
      break;
    case FunctionType::Text:
      node->text_ = true;
      break;
    case FunctionType::FollowsArguments:
      // Numeric, as typeof() says; the reference library compares such a call as a text when
      // it stands in the first result column and as a number anywhere else.
      break;
    case FunctionType::FirstArgument:
      node->text_ = node->operands_[0]->isText();
      break;
  }
  return node;
}

CompiledExprPtr ExpressionCompiler::compileAggregate(const Expr& expr) {
  if (!aggregatesAllowed_ || insideAggregate_) {
    return holdFunctionError(expr, "misuse of aggregate function " + expr.text + "()");
  }
  auto node = std::make_unique<CompiledExpr>();
  node->op_ = CompiledExpr::Op::Aggregate;
  AggregateKind kind = aggregateKind(expr.text);
  if (!expr.list.empty()) {
    insideAggregate_ = true;
    node->left_ = compile(*expr.list[0]);
    insideAggregate_ = false;
  }
  // min and max compare and keep values of their argument's type, as typeof() says it; the
  // rest are numbers.
  const bool extreme = kind == AggregateKind::Min || kind == AggregateKind::Max;
  node->text_ = extreme && node->left_ && typeofSaysText(*node->left_);
  node->column_ = static_cast<int>(aggregates_.size());
  aggregates_.push_back(AggregateTerm{kind, node->left_.get(), node->text_});
  return node;
}

CompiledExprPtr ExpressionCompiler::compileLike(const Expr& expr) {
  auto node = std::make_unique<CompiledExpr>();
  node->op_ = CompiledExpr::Op::Like;
  node->token_ = expr.op;
  node->negated_ = expr.negated;
  node->left_ = compile(*expr.left);
  node->right_ = compile(*expr.right);
  const CompiledExpr& pattern = *node->right_;
  if (expr.op == TokenType::Like && pattern.op_ == CompiledExpr::Op::Constant &&
      !pattern.constant_.isNull()) {
    node->likePattern_ = std::make_unique<LikePattern>(pattern.constant_.text());
  }
  return node;
}

CompiledExprPtr ExpressionCompiler::compileBetween(const Expr& expr) {
  auto node = std::make_unique<CompiledExpr>();
  node->op_ = CompiledExpr::Op::Between;
  node->negated_ = expr.negated;
  node->left_ = compile(*expr.left);
  for (const ExprPtr& bound : expr.list) node->operands_.push_back(compile(*bound));
  return node;
}

namespace {

// Whether an IN list takes the term as written: no name, function or sub-select in it (an IN
// sub-select's own left operand decides for it), as SQLite 2.8 judges a list before it looks
// up the list's names.
bool writtenAsConstant(const Expr& expr) {
  switch (expr.kind) {
    case ExprKind::Name:
    case ExprKind::QualifiedName:
    case ExprKind::Function:
    case ExprKind::Subquery:
    case ExprKind::Raise:
    case ExprKind::TableStar:
      return false;
    default:
      break;
  }
  auto constant = [](const ExprPtr& part) { return !part || writtenAsConstant(*part); };
  return constant(expr.left) && constant(expr.right) &&
         std::all_of(expr.list.begin(), expr.list.end(), constant);
}

}  // namespace

CompiledExprPtr ExpressionCompiler::compileInList(const Expr& expr) {
  auto node = std::make_unique<CompiledExpr>();
  node->op_ = CompiledExpr::Op::InList;
  node->negated_ = expr.negated;
  node->left_ = compile(*expr.left);
  if (!std::all_of(expr.list.begin(), expr.list.end(),
                   [](const ExprPtr& item) { return writtenAsConstant(*item); })) {
    throw Error(SQLITE_ERROR, "right-hand side of IN operator must be constant");
  }
  for (const ExprPtr& item : expr.list) {
    SqlValue constant = compile(*item)->evaluate(EvalContext());
    if (!constant.isNull()) node->inTexts_.emplace_back(constant.text());
  }
  std::sort(node->inTexts_.begin(), node->inTexts_.end());
  return node;
}

namespace {

[[noreturn]] void throwNotSingleResult() {
  throw Error(SQLITE_ERROR,
              "only a single result allowed for a SELECT that is part of an expression");
}

}  // namespace

// A sub-select is run once, when the statement is prepared (it cannot read the row of the
// query around it): its first value stands for it, or its values make the IN list.
CompiledExprPtr ExpressionCompiler::compileSubquery(const Expr& expr) {
  if (!session_) throw Error(SQLITE_ERROR, "near \"select\": syntax error");
  if (expr.kind == ExprKind::InSelect) return compileInSelect(expr);
  // After a mistake held back no sub-select is compiled: a scalar one ends the statement's
  // names there.
  session_->throwHeldError();
  // A scalar sub-select's result columns are counted once its FROM tables are found and its
  // '*' stands for their columns, before any other name in it is looked up, as in the
  // reference library. A compound's, and an IN sub-select's, are counted after.
  if (expr.select->compound.empty() && sourceColumnNames(*session_, *expr.select).size() != 1) {
    throwNotSingleResult();
  }
  QueryRows rows = session_->nested->collectSelect(*session_, *expr.select);
  if (rows.names.size() != 1) throwNotSingleResult();
  auto node = std::make_unique<CompiledExpr>();
  if (!rows.rows.empty() && rows.rows[0][0]) {
    const std::string& value = *rows.rows[0][0];
    node->constant_ = rows.firstIsInteger && !rows.compound
                          ? SqlValue::integerWithText(leadingInteger(value), value)
                          : SqlValue::ownedText(value);
  }
  node->text_ = rows.textColumns[0];
  node->subquery_ = true;
  return node;
}

// The left operand's names come first. A mistake in the sub-select is held back (see
// Session::heldError), and with one held no IN sub-select is compiled: the list stays empty.
CompiledExprPtr ExpressionCompiler::compileInSelect(const Expr& expr) {
  auto node = std::make_unique<CompiledExpr>();
  node->op_ = CompiledExpr::Op::InList;
  node->negated_ = expr.negated;
  node->left_ = compile(*expr.left);
  if (session_->heldError) return node;
  try {
    QueryRows rows = session_->nested->collectSelect(*session_, *expr.select);
    if (session_->heldError) return node;
    if (rows.names.size() != 1) throwNotSingleResult();
    for (OutputRow& row : rows.rows) {
      if (row[0]) node->inTexts_.push_back(std::move(*row[0]));
    }
  } catch (const Error& error) {
    if (error.code() != SQLITE_ERROR) throw;
    session_->heldError = error;
  }
  std::sort(node->inTexts_.begin(), node->inTexts_.end());
  return node;
}

CompiledExprPtr ExpressionCompiler::compileCase(const Expr& expr) {
  auto node = std::make_unique<CompiledExpr>();
  node->op_ = CompiledExpr::Op::Case;
  if (expr.left) node->left_ = compile(*expr.left);
  // A text when every result is one (no ELSE gives NULL, which is a text).
  node->text_ = true;
  for (size_t i = 0; i < expr.list.size(); ++i) {
    node->operands_.push_back(compile(*expr.list[i]));
    if (i % 2 == 1) node->text_ = node->text_ && node->operands_.back()->isText();
  }
  if (expr.right) {
    node->right_ = compile(*expr.right);
    node->text_ = node->text_ && node->right_->isText();
  }
  return node;
}

}  // namespace sqlite2
