#include "sql/expression.h"

#include <algorithm>

#include "common/error.h"
#include "record/row_record.h"
#include "sql/comparison.h"
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

SqlValue integerResult(int64_t value) {
  return SqlValue::integer(static_cast<int32_t>(static_cast<uint32_t>(value)));
}

SqlValue truthValue(bool value) {
  return SqlValue::integer(value ? 1 : 0);
}

int32_t wrappingNegate(int32_t value) {
  return static_cast<int32_t>(0u - static_cast<uint32_t>(value));
}

SqlValue integerArithmetic(TokenType op, int32_t a, int32_t b) {
  uint32_t ua = static_cast<uint32_t>(a), ub = static_cast<uint32_t>(b);
  switch (op) {
    case TokenType::Plus:
      return SqlValue::integer(static_cast<int32_t>(ua + ub));
    case TokenType::Minus:
      return SqlValue::integer(static_cast<int32_t>(ua - ub));
    case TokenType::Star:
      return SqlValue::integer(static_cast<int32_t>(ua * ub));
    case TokenType::Slash:
      if (b == 0) return SqlValue::null();
      // The lowest int divided by -1 overflows; it wraps instead of trapping.
      if (b == -1) return SqlValue::integer(wrappingNegate(a));
      return SqlValue::integer(a / b);
    default:  // Rem
      if (b == 0) return SqlValue::null();
      if (b == -1) return SqlValue::integer(0);
      return SqlValue::integer(a % b);
  }
}

SqlValue realArithmetic(TokenType op, const SqlValue& left, const SqlValue& right) {
  double a = left.toReal(), b = right.toReal();
  switch (op) {
    case TokenType::Plus:
      return SqlValue::real(a + b);
    case TokenType::Minus:
      return SqlValue::real(a - b);
    case TokenType::Star:
      return SqlValue::real(a * b);
    case TokenType::Slash:
      if (b == 0.0) return SqlValue::null();
      return SqlValue::real(a / b);
    default: {  // Rem: of the values cut to integers
      int32_t ia = truncateToInt32(a), ib = truncateToInt32(b);
      if (ib == 0) return SqlValue::null();
      if (ib == -1) return SqlValue::real(0.0);
      return SqlValue::real(static_cast<double>(ia % ib));
    }
  }
}

// Shifts as the x86 instructions do them: the count is taken modulo 32.
SqlValue bitwise(TokenType op, int32_t a, int32_t b) {
  uint32_t ua = static_cast<uint32_t>(a);
  unsigned shift = static_cast<unsigned>(b) & 31u;
  switch (op) {
    case TokenType::BitAnd:
      return SqlValue::integer(a & b);
    case TokenType::BitOr:
      return SqlValue::integer(a | b);
    case TokenType::LeftShift:
      return SqlValue::integer(static_cast<int32_t>(ua << shift));
    default:  // RightShift, keeping the sign
      return SqlValue::integer(a >> shift);
  }
}

std::string columnErrorName(const Expr& expr) {
  if (expr.kind == ExprKind::QualifiedName) return expr.qualifier + "." + expr.text;
  return expr.text;
}

}  // namespace

bool containsAggregate(const Expr& expr) {
  if (expr.kind == ExprKind::CountAll || expr.kind == ExprKind::Count) return true;
  return (expr.left && containsAggregate(*expr.left)) ||
         (expr.right && containsAggregate(*expr.right));
}

std::optional<std::string_view> CompiledExpr::columnValue(const EvalContext& context) const {
  if (context.record) return context.record->field(static_cast<size_t>(column_));
  if (context.partial) return context.partial->field(static_cast<size_t>(column_));
  return std::nullopt;
}

int CompiledExpr::highestColumn() const {
  int highest = op_ == Op::Column ? column_ : -1;
  if (left_) highest = std::max(highest, left_->highestColumn());
  if (right_) highest = std::max(highest, right_->highestColumn());
  return highest;
}

bool CompiledExpr::readsRowNumber() const {
  if (op_ == Op::RowNumber) return true;
  return (left_ && left_->readsRowNumber()) || (right_ && right_->readsRowNumber());
}

bool CompiledExpr::isConstant() const {
  switch (op_) {
    case Op::Column:
    case Op::RowNumber:
    case Op::Aggregate:
      return false;
    default:
      return (!left_ || left_->isConstant()) && (!right_ || right_->isConstant());
  }
}

SqlValue CompiledExpr::evaluate(const EvalContext& context) const {
  switch (op_) {
    case Op::Constant:
      return constant_;
    case Op::Column: {
      std::optional<std::string_view> field = columnValue(context);
      return field ? SqlValue::borrowedText(*field) : SqlValue::null();
    }
    case Op::RowNumber:
      if (!context.record && !context.partial) return SqlValue::null();
      return SqlValue::integer(context.rowNumber);
    case Op::Aggregate:
      return integerResult(context.aggregates ? (*context.aggregates)[column_] : 0);
    case Op::Identity:
      return left_->evaluate(context);
    case Op::Negate: {
      SqlValue operand = left_->evaluate(context);
      if (operand.isNull()) return operand;
      if (operand.kind() == SqlValue::Kind::Integer) {
        return SqlValue::integer(wrappingNegate(operand.toInteger()));
      }
      return SqlValue::real(-operand.toReal());
    }
    case Op::BitNot: {
      SqlValue operand = left_->evaluate(context);
      if (operand.isNull()) return operand;
      return SqlValue::integer(~operand.toInteger());
    }
    case Op::Not: {
      SqlValue operand = left_->evaluate(context);
      if (operand.isNull()) return operand;
      return truthValue(!operand.isTrue());
    }
    case Op::IsNull:
      return truthValue(left_->evaluate(context).isNull());
    case Op::NotNull:
      return truthValue(!left_->evaluate(context).isNull());
    default:
      return evaluateBinary(context);
  }
}

std::optional<std::string_view> CompiledExpr::textOf(const EvalContext& context,
                                                     SqlValue& scratch) const {
  if (op_ == Op::Column) return columnValue(context);
  const SqlValue* value = &constant_;
  if (op_ != Op::Constant) {
    scratch = evaluate(context);
    value = &scratch;
  }
  if (value->isNull()) return std::nullopt;
  return value->text();
}

CompiledExpr::Truth CompiledExpr::truth(const EvalContext& context) const {
  switch (op_) {
    case Op::Compare: {
      SqlValue leftScratch, rightScratch;
      std::optional<std::string_view> left = left_->textOf(context, leftScratch);
      if (!left) return Truth::Unknown;
      std::optional<std::string_view> right = right_->textOf(context, rightScratch);
      if (!right) return Truth::Unknown;
      bool asText = left_->isText() && right_->isText();
      int order = asText ? compareAsText(*left, *right)
                         : compareNumerically(left_->numericKey(*left), right_->numericKey(*right));
      bool result;
      switch (token_) {
        case TokenType::Eq:
          result = order == 0;
          break;
        case TokenType::Ne:
          result = order != 0;
          break;
        case TokenType::Lt:
          result = order < 0;
          break;
        case TokenType::Le:
          result = order <= 0;
          break;
        case TokenType::Gt:
          result = order > 0;
          break;
        default:
          result = order >= 0;
          break;
      }
      return result ? Truth::True : Truth::False;
    }
    case Op::And:
    case Op::Or: {
      Truth decisive = op_ == Op::Or ? Truth::True : Truth::False;
      Truth left = left_->truth(context);
      if (left == decisive) return decisive;
      Truth right = right_->truth(context);
      if (right == decisive) return decisive;
      if (left == Truth::Unknown || right == Truth::Unknown) return Truth::Unknown;
      return op_ == Op::Or ? Truth::False : Truth::True;
    }
    case Op::Not: {
      Truth operand = left_->truth(context);
      if (operand == Truth::Unknown) return operand;
      return operand == Truth::True ? Truth::False : Truth::True;
    }
    case Op::IsNull:
    case Op::NotNull: {
      SqlValue scratch;
      bool isNull = !left_->textOf(context, scratch);
      return isNull == (op_ == Op::IsNull) ? Truth::True : Truth::False;
    }
    default: {
      SqlValue value = evaluate(context);
      if (value.isNull()) return Truth::Unknown;
      return value.isTrue() ? Truth::True : Truth::False;
    }
  }
}

SqlValue CompiledExpr::evaluateBinary(const EvalContext& context) const {
  SqlValue left = left_->evaluate(context);
  if (op_ == Op::And || op_ == Op::Or) {
    // Three-valued: a false operand decides AND, a true one decides OR, whatever the other.
    bool decisive = op_ == Op::Or;
    if (!left.isNull() && left.isTrue() == decisive) return truthValue(decisive);
    SqlValue right = right_->evaluate(context);
    if (!right.isNull() && right.isTrue() == decisive) return truthValue(decisive);
    if (left.isNull() || right.isNull()) return SqlValue::null();
    return truthValue(!decisive);
  }
  if (left.isNull()) return left;
  SqlValue right = right_->evaluate(context);
  if (right.isNull()) return right;
  switch (op_) {
    case Op::Compare: {
      // Text comparison only when both sides are text expressions.
      bool asText = left_->isText() && right_->isText();
      int order = asText ? compareAsText(left.text(), right.text())
                         : compareNumerically(left.text(), right.text());
      switch (token_) {
        case TokenType::Eq:
          return truthValue(order == 0);
        case TokenType::Ne:
          return truthValue(order != 0);
        case TokenType::Lt:
          return truthValue(order < 0);
        case TokenType::Le:
          return truthValue(order <= 0);
        case TokenType::Gt:
          return truthValue(order > 0);
        default:
          return truthValue(order >= 0);
      }
    }
    case Op::Arithmetic:
      if (left.kind() == SqlValue::Kind::Integer && right.kind() == SqlValue::Kind::Integer) {
        return integerArithmetic(token_, left.toInteger(), right.toInteger());
      }
      return realArithmetic(token_, left, right);
    case Op::Concat: {
      std::string joined(left.text());
      joined += right.text();
      return SqlValue::ownedText(std::move(joined));
    }
    default:  // Bitwise
      return bitwise(token_, left.toInteger(), right.toInteger());
  }
}

ExpressionCompiler::ExpressionCompiler(const Table* table, std::string tableName)
    : table_(table), tableName_(std::move(tableName)) {}

CompiledExprPtr ExpressionCompiler::compile(const Expr& expr) {
  CompiledExprPtr node = compileNode(expr);
  if (node->op_ == CompiledExpr::Op::Constant && !node->constant_.isNull()) {
    node->constantKey_ = classifyNumeric(node->constant_.text());
  }
  return node;
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
    case ExprKind::CountAll:
    case ExprKind::Count:
      return compileCount(expr);
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
  return node;
}

CompiledExprPtr ExpressionCompiler::compileName(const Expr& expr) {
  bool qualified = expr.kind == ExprKind::QualifiedName;
  if (table_ && (!qualified || sameName(expr.qualifier, tableName_))) {
    int column = table_->findColumn(expr.text);
    if (column >= 0) return columnReference(column);
    if (isRowNumberName(expr.text)) return columnReference(-1);
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

CompiledExprPtr ExpressionCompiler::columnReference(int column) {
  auto node = std::make_unique<CompiledExpr>();
  if (column < 0 || column == table_->rowNumberColumn) {
    node->op_ = CompiledExpr::Op::RowNumber;
    return node;
  }
  node->op_ = CompiledExpr::Op::Column;
  node->column_ = column;
  node->text_ = table_->columns[column].text;
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

CompiledExprPtr ExpressionCompiler::compileCount(const Expr& expr) {
  if (!aggregatesAllowed_ || insideAggregate_) {
    throw Error(SQLITE_ERROR, "misuse of aggregate function count()");
  }
  if (expr.argumentCount > 1) {
    throw Error(SQLITE_ERROR, "wrong number of arguments to function count()");
  }
  auto node = std::make_unique<CompiledExpr>();
  node->op_ = CompiledExpr::Op::Aggregate;
  if (expr.kind == ExprKind::Count) {
    insideAggregate_ = true;
    node->left_ = compile(*expr.left);
    insideAggregate_ = false;
  }
  node->column_ = static_cast<int>(aggregates_.size());
  aggregates_.push_back(AggregateTerm{node->left_.get()});
  return node;
}

}  // namespace sqlite2
