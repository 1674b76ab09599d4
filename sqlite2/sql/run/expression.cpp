#include "sql/run/expression.h"

#include <algorithm>

#include "common/error.h"
#include "record/row_record.h"
#include "sql/run/session.h"
#include "sql/run/trigger_stack.h"
#include "sql/values/comparison.h"
#include "sql/values/function_call.h"
#include "sql/values/pattern_match.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

SqlValue truthValue(bool value) {
  return SqlValue::integer(value ? 1 : 0);
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

}  // namespace

void CompiledExpr::forEachOperand(const std::function<void(const CompiledExpr&)>& visit) const {
  if (left_) visit(*left_);
  if (right_) visit(*right_);
  for (const CompiledExprPtr& operand : operands_) visit(*operand);
}

std::optional<std::string_view> CompiledExpr::columnValue(const EvalContext& context) const {
  const EvalContext& row = context.sources ? *context.sources[source_] : context;
  if (row.values) {
    const std::optional<std::string>& value = row.values[column_];
    if (!value) return std::nullopt;
    return std::string_view(*value);
  }
  if (row.record) return row.record->field(static_cast<size_t>(column_));
  if (row.partial) return row.partial->field(static_cast<size_t>(column_));
  return std::nullopt;
}

const char* CompiledExpr::columnText(const EvalContext& context) const {
  const EvalContext& row = context.sources ? *context.sources[source_] : context;
  if (!row.values && row.record) return row.record->fieldText(static_cast<size_t>(column_));
  // A sub-select's value is a whole string, and a leading column's field ends with its
  // terminator inside the bytes read.
  std::optional<std::string_view> value = columnValue(context);
  return value ? value->data() : nullptr;
}

uint64_t CompiledExpr::columnSourcesRead() const {
  uint64_t read = op_ == Op::Column ? uint64_t{1} << source_ : 0;
  forEachOperand([&](const CompiledExpr& operand) { read |= operand.columnSourcesRead(); });
  return read;
}

uint64_t CompiledExpr::sourcesUsed() const {
  if (op_ == Op::Column || op_ == Op::RowNumber) return uint64_t{1} << source_;
  if (op_ == Op::Aggregate || op_ == Op::Captured) return 0;
  uint64_t used = 0;
  forEachOperand([&](const CompiledExpr& operand) { used |= operand.sourcesUsed(); });
  return used;
}

int CompiledExpr::highestColumn() const {
  int highest = op_ == Op::Column ? column_ : -1;
  if (op_ == Op::Aggregate || op_ == Op::Captured) return highest;  // not read from the row
  forEachOperand(
      [&](const CompiledExpr& operand) { highest = std::max(highest, operand.highestColumn()); });
  return highest;
}

bool CompiledExpr::readsRowNumber() const {
  if (op_ == Op::RowNumber) return true;
  if (op_ == Op::Aggregate || op_ == Op::Captured) return false;
  bool reads = false;
  forEachOperand([&](const CompiledExpr& operand) { reads = reads || operand.readsRowNumber(); });
  return reads;
}

bool CompiledExpr::alwaysInteger() const {
  switch (op_) {
    case Op::Constant:
      return constant_.isNull() || constant_.kind() == SqlValue::Kind::Integer;
    case Op::Column:
      return integer_;
    case Op::RowNumber:
    case Op::BitNot:
    case Op::Bitwise:
    case Op::Compare:
    case Op::And:
    case Op::Or:
    case Op::Not:
    case Op::IsNull:
    case Op::NotNull:
    case Op::Like:
    case Op::Between:
    case Op::InList:
      return true;
    case Op::Negate:
    case Op::Identity:
      return left_->alwaysInteger();
    case Op::Arithmetic:
      return left_->alwaysInteger() && right_->alwaysInteger();
    case Op::Case: {
      for (size_t i = 1; i < operands_.size(); i += 2) {
        if (!operands_[i]->alwaysInteger()) return false;
      }
      return !right_ || right_->alwaysInteger();
    }
    default:
      return false;
  }
}

bool CompiledExpr::isConstant() const {
  switch (op_) {
    case Op::Column:
    case Op::RowNumber:
    case Op::Aggregate:
    case Op::Captured:
    case Op::Function:
    case Op::Raise:
      return false;
    default: {
      bool constant = !subquery_ && !call_;
      forEachOperand(
          [&](const CompiledExpr& operand) { constant = constant && operand.isConstant(); });
      return constant;
    }
  }
}

SqlValue CompiledExpr::evaluate(const EvalContext& context) const {
  switch (op_) {
    case Op::Constant:
      return constant_;
    case Op::Column: {
      std::optional<std::string_view> field = columnValue(context);
      if (!field) return SqlValue::null();
      return integer_ ? SqlValue::integerLiteral(leadingInteger(*field), *field)
                      : SqlValue::borrowedText(*field);
    }
    case Op::RowNumber: {
      const EvalContext& row = context.sources ? *context.sources[source_] : context;
      if (!row.record && !row.partial && !row.values) return SqlValue::null();
      return SqlValue::integer(row.rowNumber);
    }
    case Op::Aggregate:
      return context.aggregates ? context.aggregates[column_] : SqlValue::null();
    case Op::Captured:
      return context.captured ? context.captured[column_] : SqlValue::null();
    case Op::Function:
      return evaluateFunction(context);
    case Op::Raise:
      raise(context);
    case Op::Case:
      return evaluateCase(context);
    case Op::Like:
    case Op::Between:
    case Op::InList: {
      Truth result = truth(context);
      if (result == Truth::Unknown) return SqlValue::null();
      return truthValue(result == Truth::True);
    }
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
  if (op_ == Op::Aggregate || op_ == Op::Captured) {
    // Read where they are kept, as a group's many uses (HAVING, results) would copy them.
    const SqlValue* kept = op_ == Op::Aggregate ? context.aggregates : context.captured;
    if (!kept) return std::nullopt;
    value = &kept[column_];
  } else if (op_ != Op::Constant) {
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
      int order = text_ ? compareAsText(*left, *right)
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
    case Op::Like:
      return likeTruth(context);
    case Op::Between:
      return betweenTruth(context);
    case Op::InList:
      return inListTruth(context);
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
      int order = text_ ? compareAsText(left.text(), right.text())
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

namespace {

CompiledExpr::Truth negatedIf(bool negate, bool value) {
  return value != negate ? CompiledExpr::Truth::True : CompiledExpr::Truth::False;
}

}  // namespace

CompiledExpr::Truth CompiledExpr::likeTruth(const EvalContext& context) const {
  SqlValue textScratch, patternScratch;
  std::optional<std::string_view> text = left_->textOf(context, textScratch);
  if (!text) return Truth::Unknown;
  if (likePattern_) return negatedIf(negated_, likePattern_->matches(*text));
  std::optional<std::string_view> pattern = right_->textOf(context, patternScratch);
  if (!pattern) return Truth::Unknown;
  bool matched =
      token_ == TokenType::Glob ? globMatches(*pattern, *text) : likeMatches(*pattern, *text);
  return negatedIf(negated_, matched);
}

// Compared as numbers whatever the operands' types: x >= low AND x <= high.
CompiledExpr::Truth CompiledExpr::betweenTruth(const EvalContext& context) const {
  SqlValue valueScratch, boundScratch;
  std::optional<std::string_view> value = left_->textOf(context, valueScratch);
  if (!value) return Truth::Unknown;
  NumericKey key = classifyNumeric(*value);
  auto compareWith = [&](const CompiledExpr& bound) -> std::optional<int> {
    std::optional<std::string_view> text = bound.textOf(context, boundScratch);
    if (!text) return std::nullopt;
    return compareNumerically(key, classifyNumeric(*text));
  };
  std::optional<int> low = compareWith(*operands_[0]);
  if (low && *low < 0) return negatedIf(negated_, false);
  std::optional<int> high = compareWith(*operands_[1]);
  if (high && *high > 0) return negatedIf(negated_, false);
  if (!low || !high) return Truth::Unknown;
  return negatedIf(negated_, true);
}

// The list's values are texts matched exactly; a NULL among them matches nothing.
std::vector<std::string> CompiledExpr::distinctInTexts() const {
  std::vector<std::string> texts = inTexts_;
  texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
  return texts;
}

CompiledExpr::Truth CompiledExpr::inListTruth(const EvalContext& context) const {
  SqlValue scratch;
  std::optional<std::string_view> value = left_->textOf(context, scratch);
  if (!value) return Truth::Unknown;
  auto found = std::lower_bound(inTexts_.begin(), inTexts_.end(), *value,
                                [](const std::string& a, std::string_view b) { return a < b; });
  return negatedIf(negated_, found != inTexts_.end() && *found == *value);
}

SqlValue CompiledExpr::evaluateFunction(const EvalContext& context) const {
  constexpr size_t kInlineArguments = 4;
  SqlValue inlineArgs[kInlineArguments];
  std::vector<SqlValue> manyArgs;
  SqlValue* args = inlineArgs;
  if (operands_.size() > kInlineArguments) {
    manyArgs.resize(operands_.size());
    args = manyArgs.data();
  }
  for (size_t i = 0; i < operands_.size(); ++i) args[i] = operands_[i]->evaluate(context);
  FunctionCall call{args, static_cast<int>(operands_.size()), text_, session_};
  return function_->call(call);
}

// RAISE(IGNORE) leaves the row to the trigger's firing; the other actions fail the statement
// with the message, and tell how the failure is to be handled.
void CompiledExpr::raise(const EvalContext& context) const {
  SqlValue actionValue = operands_[0]->evaluate(context);
  std::string_view action = actionValue.text();
  if (action == "ignore") throw TriggerIgnored{};
  if (action == "rollback") session_->conflictFailure = ConflictAction::Rollback;
  if (action == "abort") session_->conflictFailure = ConflictAction::Abort;
  if (action == "fail") session_->conflictFailure = ConflictAction::Fail;
  throw Error(SQLITE_CONSTRAINT, std::string(operands_[1]->evaluate(context).text()));
}

// CASE with an operand compares it with each WHEN value as numbers; without one, takes the
// first WHEN that is true.
SqlValue CompiledExpr::evaluateCase(const EvalContext& context) const {
  SqlValue operand;
  std::optional<NumericKey> operandKey;
  if (left_) {
    operand = left_->evaluate(context);
    if (!operand.isNull()) operandKey = classifyNumeric(operand.text());
  }
  for (size_t i = 0; i + 1 < operands_.size(); i += 2) {
    bool chosen;
    if (left_) {
      if (!operandKey) continue;
      SqlValue when = operands_[i]->evaluate(context);
      chosen = !when.isNull() && compareNumerically(*operandKey, classifyNumeric(when.text())) == 0;
    } else {
      chosen = operands_[i]->isSatisfied(context);
    }
    if (chosen) return operands_[i + 1]->evaluate(context);
  }
  return right_ ? right_->evaluate(context) : SqlValue::null();
}

}  // namespace sqlite2
