#include "sql/values/scalar_functions.h"

#include <cstdio>
#include <string>

#include "common/ascii_case.h"
#include "common/error.h"
#include "record/numeric_text.h"
#include "sql/values/comparison.h"
#include "sql/values/date_functions.h"
#include "sql/values/pattern_match.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

// round() keeps at most this many digits after the point.
constexpr int kMostRoundingDigits = 30;

bool isContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

size_t characterCount(std::string_view text) {
  size_t count = 0;
  for (char c : text) count += !isContinuation(c);
  return count;
}

// The byte offset of the character numbered index (from 0), or text.size() past the end.
size_t characterOffset(std::string_view text, int64_t index) {
  size_t pos = 0;
  for (; index > 0 && pos < text.size(); --index) {
    ++pos;
    while (pos < text.size() && isContinuation(text[pos])) ++pos;
  }
  return pos;
}

SqlValue lengthOf(const FunctionCall& call) {
  if (call.args[0].isNull()) return SqlValue::null();
  return SqlValue::integer(static_cast<int32_t>(characterCount(call.args[0].text())));
}

// substr(text, start, length) counts characters from 1; a start of 0 counts as 1, a negative
// start counts from the end. A NULL start or length gives NULL.
SqlValue substringOf(const FunctionCall& call) {
  if (call.args[0].isNull() || call.args[1].isNull() || call.args[2].isNull())
    return SqlValue::null();
  std::string_view text = call.args[0].text();
  int64_t start = leadingInteger(call.args[1].text());
  int64_t length = leadingInteger(call.args[2].text());
  int64_t characters = static_cast<int64_t>(characterCount(text));
  if (start < 0) {
    start += characters;
    if (start < 0) {
      length += start;
      start = 0;
    }
  } else if (start > 0) {
    --start;
  }
  if (start + length > characters) length = characters - start;
  if (length <= 0) return SqlValue::ownedText(std::string());
  // Continuation bytes at the start belong to no character (a GBK text may start with such a
  // byte): they are passed over.
  size_t first = 0;
  while (first < text.size() && isContinuation(text[first])) ++first;
  size_t from = first + characterOffset(text.substr(first), start);
  size_t to = from + characterOffset(text.substr(from), length);
  return SqlValue::ownedText(std::string(text.substr(from, to - from)));
}

SqlValue changeCase(const SqlValue& value, bool upper) {
  if (value.isNull()) return SqlValue::null();
  std::string text(value.text());
  for (char& c : text) {
    c = upper ? upperAscii(c) : lowerAscii(c);
  }
  return SqlValue::ownedText(std::move(text));
}

SqlValue upperOf(const FunctionCall& call) {
  return changeCase(call.args[0], true);
}

SqlValue lowerOf(const FunctionCall& call) {
  return changeCase(call.args[0], false);
}

// abs() drops the minus sign of a text that starts with one and a digit; anything else is
// returned as it is.
SqlValue absoluteOf(const FunctionCall& call) {
  const SqlValue& value = call.args[0];
  if (value.isNull()) return value;
  std::string_view text = value.text();
  if (text.size() >= 2 && text[0] == '-' && text[1] >= '0' && text[1] <= '9') {
    return SqlValue::ownedText(std::string(text.substr(1)));
  }
  return SqlValue::ownedText(std::string(text));
}

// round(x [, digits]) prints x with that many digits after the point (0 to 30), rounding as
// the C library's printf does.
SqlValue roundOf(const FunctionCall& call) {
  if (call.args[0].isNull()) return SqlValue::null();
  int digits = 0;
  if (call.count > 1) {
    if (call.args[1].isNull()) return SqlValue::null();
    digits = leadingInteger(call.args[1].text());
  }
  if (digits < 0) digits = 0;
  if (digits > kMostRoundingDigits) digits = kMostRoundingDigits;
  double value = leadingReal(call.args[0].text());
  int size = std::snprintf(nullptr, 0, "%.*f", digits, value);
  std::string text(static_cast<size_t>(size), '\0');
  std::snprintf(text.data(), text.size() + 1, "%.*f", digits, value);
  return SqlValue::ownedText(std::move(text));
}

// 2.8 hands on an argument a function returns as text: an integer then takes real arithmetic
// (coalesce(7, 1) / 2 is 3.5).
SqlValue asText(const SqlValue& value) {
  if (value.kind() != SqlValue::Kind::Integer && value.kind() != SqlValue::Kind::Real) {
    return value;
  }
  return SqlValue::ownedText(std::string(value.text()));
}

SqlValue firstNotNull(const FunctionCall& call) {
  for (int i = 0; i < call.count; ++i) {
    if (!call.args[i].isNull()) return asText(call.args[i]);
  }
  return SqlValue::null();
}

SqlValue nullIf(const FunctionCall& call) {
  if (!call.args[0].isNull() && !call.args[1].isNull() &&
      compareNumerically(call.args[0].text(), call.args[1].text()) == 0) {
    return SqlValue::null();
  }
  return asText(call.args[0]);
}

// min and max of several values: NULL if any is NULL; compared as text when the first value
// is a text expression (the caller passes that as the type of the call).
SqlValue extremeOf(const FunctionCall& call, bool largest) {
  int best = 0;
  for (int i = 0; i < call.count; ++i) {
    if (call.args[i].isNull()) return SqlValue::null();
    int order = compareValues(call.args[i].text(), call.args[best].text(), call.asText);
    // Of equal values max() takes the last, min() the first.
    if (largest ? order >= 0 : order < 0) best = i;
  }
  return asText(call.args[best]);
}

SqlValue minimumOf(const FunctionCall& call) {
  return extremeOf(call, false);
}
SqlValue maximumOf(const FunctionCall& call) {
  return extremeOf(call, true);
}

SqlValue randomNumber(const FunctionCall& call) {
  static thread_local std::mt19937 fallback = seededGenerator();
  std::mt19937& generator = call.context ? call.context->random : fallback;
  return SqlValue::integer(static_cast<int32_t>(generator()));
}

SqlValue lastInsertRowid(const FunctionCall& call) {
  return SqlValue::integer(call.context ? call.context->lastInsertRowid : 0);
}

SqlValue changeCount(const FunctionCall& call) {
  return SqlValue::integer(call.context ? call.context->changes : 0);
}

SqlValue lastStatementChangeCount(const FunctionCall& call) {
  return SqlValue::integer(call.context ? call.context->lastStatementChanges : 0);
}

// quote(): NULL as the word NULL, a number as it is, any other text in single quotes with
// its quotes doubled.
SqlValue quoteOf(const FunctionCall& call) {
  if (call.args[0].isNull()) return SqlValue::ownedText("NULL");
  std::string_view text = call.args[0].text();
  if (looksLikeNumber(text)) return SqlValue::ownedText(std::string(text));
  std::string quoted = "'";
  for (char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  quoted += '\'';
  return SqlValue::ownedText(std::move(quoted));
}

// like(pattern, text) and glob(pattern, text), as "text LIKE pattern" reads.
SqlValue likeCall(const FunctionCall& call) {
  if (call.args[0].isNull() || call.args[1].isNull()) return SqlValue::null();
  return SqlValue::integer(likeMatches(call.args[0].text(), call.args[1].text()) ? 1 : 0);
}

SqlValue globCall(const FunctionCall& call) {
  if (call.args[0].isNull() || call.args[1].isNull()) return SqlValue::null();
  return SqlValue::integer(globMatches(call.args[0].text(), call.args[1].text()) ? 1 : 0);
}

SqlValue libraryVersion(const FunctionCall&) {
  return SqlValue::borrowedText(SQLITE_VERSION);
}

const ScalarFunction kFunctions[] = {
    {"length", 1, 1, FunctionType::Numeric, lengthOf},
    {"substr", 3, 3, FunctionType::Text, substringOf},
    {"upper", 1, 1, FunctionType::Text, upperOf},
    {"lower", 1, 1, FunctionType::Text, lowerOf},
    {"abs", 1, 1, FunctionType::Numeric, absoluteOf},
    {"round", 1, 2, FunctionType::Numeric, roundOf},
    {"coalesce", 2, -1, FunctionType::FollowsArguments, firstNotNull},
    {"ifnull", 2, 2, FunctionType::FollowsArguments, firstNotNull},
    {"nullif", 2, 2, FunctionType::FollowsArguments, nullIf},
    {"min", 2, -1, FunctionType::FirstArgument, minimumOf},
    {"max", 2, -1, FunctionType::FirstArgument, maximumOf},
    {"random", 0, -1, FunctionType::Numeric, randomNumber},
    {"last_insert_rowid", 0, 0, FunctionType::Numeric, lastInsertRowid},
    {"change_count", 0, 0, FunctionType::Numeric, changeCount},
    {"last_statement_change_count", 0, 0, FunctionType::Numeric, lastStatementChangeCount},
    {"quote", 1, 1, FunctionType::FollowsArguments, quoteOf},
    {"like", 2, 2, FunctionType::Numeric, likeCall},
    {"glob", 2, 2, FunctionType::Numeric, globCall},
    {"sqlite_version", 0, 0, FunctionType::Text, libraryVersion},
};

// The aggregates, for the arity check of a name that is only an aggregate.
bool isAggregateName(std::string_view name) {
  return sameName(name, "count") || sameName(name, "sum") || sameName(name, "avg") ||
         sameName(name, "min") || sameName(name, "max");
}

}  // namespace

const ScalarFunction& findScalarFunction(std::string_view name, int count) {
  if (const ScalarFunction* function = findDateFunction(name)) return *function;
  bool known = isAggregateName(name) || sameName(name, "typeof");
  for (const ScalarFunction& function : kFunctions) {
    if (!sameName(name, function.name)) continue;
    known = true;
    if (count >= function.fewestArguments &&
        (function.mostArguments < 0 || count <= function.mostArguments)) {
      return function;
    }
  }
  if (!known) throw Error(SQLITE_ERROR, "no such function: " + std::string(name));
  throw Error(SQLITE_ERROR, "wrong number of arguments to function " + std::string(name) + "()");
}

bool isAggregateCall(std::string_view name, int count) {
  if (sameName(name, "count")) return count <= 1;
  if (sameName(name, "sum") || sameName(name, "avg")) return count == 1;
  if (sameName(name, "min") || sameName(name, "max")) return count == 1;
  return false;
}

}  // namespace sqlite2
