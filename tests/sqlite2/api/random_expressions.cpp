#include "random_expressions.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <vector>

namespace orvalen::test {

namespace {

constexpr int kDeepest = 3;

std::string parenthesized(const std::string& text) {
  return "(" + text + ")";
}

// The number a literal stands for where the whole of it (quotes aside) reads as one.
std::optional<double> literalNumber(std::string text) {
  if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'') {
    text = text.substr(1, text.size() - 2);
  }
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return std::nullopt;
  char* end = nullptr;
  double number = std::strtod(text.c_str(), &end);
  if (*end != '\0') return std::nullopt;
  return number;
}

}  // namespace

std::string RandomExpressions::column(const Scope& scope) {
  if (scope.empty()) return values_.any();
  return random_.oneOf(scope).sql;
}

std::string RandomExpressions::value(const Scope& scope, int depth) {
  if (depth >= kDeepest) return random_.chance(60) ? column(scope) : values_.any();
  const int pick = random_.below(100);
  if (pick < 25) return column(scope);
  if (pick < 38) return values_.any();
  if (pick < 46) return narrowArithmetic(scope, depth + 1);
  if (pick < 52 && !exclusions_.avoid(Exclusion::WideIntegers)) {
    return wideArithmetic(scope, depth + 1);
  }
  if (pick < 58) return value(scope, depth + 1) + " || " + value(scope, depth + 1);
  if (pick < 70) return function(scope, depth + 1);
  if (pick < 76) return dateFunction(scope, depth + 1);
  if (pick < 82) return caseExpression(scope, depth + 1, false);
  if (pick < 92) return parenthesized(condition(scope, depth + 1));
  if (pick < 96 && subqueries_) return parenthesized(subqueries_->scalarSubquery(depth + 1));
  return parenthesized(value(scope, depth + 1));
}

std::string RandomExpressions::narrowValue(const Scope& scope, int depth) {
  if (depth >= kDeepest) return random_.chance(60) ? column(scope) : values_.any();
  const int pick = random_.below(100);
  if (pick < 40) return column(scope);
  if (pick < 65) return values_.any();
  if (pick < 75) return narrowArithmetic(scope, depth + 1);
  if (pick < 80) return column(scope) + " || " + values_.shortText();
  if (pick < 90) return function(scope, depth + 1);
  if (pick < 95) return caseExpression(scope, depth + 1, true);
  if (subqueries_) return parenthesized(subqueries_->scalarSubquery(depth + 1));
  return column(scope);
}

// Sums and differences with small numbers, bit operations, and division by small numbers:
// none takes an integer far from where it started.
std::string RandomExpressions::narrowArithmetic(const Scope& scope, int depth) {
  const char* const smallOperands[] = {"1", "2", "3", "7", "-2", "0", "0.5", "'3'", "NULL"};
  std::string left = random_.chance(70) ? column(scope) : narrowValue(scope, depth);
  // Arithmetic on 123456789012345678 gives a real of 18 digits (Exclusion::LongRealInIndex).
  const std::string wide = "123456789012345678";
  for (size_t at; avoidsLongReals() && (at = left.find(wide)) != std::string::npos;) {
    left.replace(at, wide.size(), "12345678");
  }
  switch (random_.below(7)) {
    case 0:
      return left + " + " + random_.oneOf(smallOperands);
    case 1:
      return left + " - " + random_.oneOf(smallOperands);
    case 2:
      return narrowBitOperand(left) + (random_.chance(50) ? " & " : " | ") +
             narrowBitOperand(narrowValue(scope, depth));
    case 3:
      return left + (avoidsLongReals() ? " * " : " / ") + random_.oneOf(smallOperands);
    case 4:
      return left + " % " + random_.oneOf(smallOperands);
    case 5:
      // A space before a negative number: "--" would start a comment.
      return (left.front() == '-' ? "- " : "-") + left;
    default:
      return (random_.chance(50) ? "+" : "~") + column(scope);
  }
}

// A bit operation takes its operands as 32-bit integers, so a wide literal becomes an integer
// near the limits, which 2.8 then compares wrongly (Exclusion::WideIntegers). Such literals are
// written as narrow ones instead; the text is changed, not drawn again, to keep the draws.
std::string RandomExpressions::narrowBitOperand(std::string operand) const {
  if (!exclusions_.avoid(Exclusion::WideIntegers)) return operand;
  const std::pair<const char*, const char*> narrower[] = {{"123456789012345678", "12345678"},
                                                          {"2147483648", "1073741823"},
                                                          {"1e308", "1e3"},
                                                          {"1e10", "1e1"}};
  for (const auto& [wide, narrow] : narrower) {
    const std::string from = wide;
    for (size_t at = 0; (at = operand.find(from, at)) != std::string::npos;) {
      operand.replace(at, from.size(), narrow);
      at += std::string(narrow).size();
    }
  }
  return operand;
}

std::string RandomExpressions::wideArithmetic(const Scope& scope, int depth) {
  const char* const operators[] = {" * ", " << ", " >> ", " + ", " - "};
  return value(scope, depth) + random_.oneOf(operators) + value(scope, depth);
}

std::string RandomExpressions::condition(const Scope& scope, int depth) {
  if (depth >= kDeepest) return comparison(scope, depth);
  const int pick = random_.below(100);
  if (pick < 30) return comparison(scope, depth + 1);
  if (pick < 40) return condition(scope, depth + 1) + " AND " + condition(scope, depth + 1);
  if (pick < 48) {
    return parenthesized(condition(scope, depth + 1) + " OR " + condition(scope, depth + 1));
  }
  if (pick < 53) return "NOT " + parenthesized(condition(scope, depth + 1));
  if (pick < 61) {
    const char* const tests[] = {" IS NULL", " ISNULL", " NOTNULL", " IS NOT NULL", " NOT NULL"};
    return narrowValue(scope, depth + 1) + random_.oneOf(tests);
  }
  if (pick < 70) return likeOrGlob(scope, depth + 1);
  if (pick < 79) return between(scope, depth + 1);
  if (pick < 94) return inList(scope, depth + 1);
  return column(scope);
}

std::string RandomExpressions::comparison(const Scope& scope, int depth) {
  const char* const operators[] = {" = ", " == ", " <> ", " != ", " < ", " <= ", " > ", " >= "};
  if (!scope.empty() && random_.chance(40)) {
    // A column against a literal, the form the planner answers through indexes.
    const ColumnRef& column = random_.oneOf(scope);
    std::string literal = values_.any();
    if (column.integerKey && exclusions_.avoid(Exclusion::RowNumberNullBound)) {
      literal = std::to_string(random_.below(60) - 20);
    }
    std::string op = random_.oneOf(operators);
    return random_.chance(80) ? column.sql + op + literal : literal + op + column.sql;
  }
  std::string left = narrowValue(scope, depth);
  std::string right = narrowValue(scope, depth);
  // Excluded: a row number against what may be NULL (Exclusion::RowNumberNullBound).
  auto rowNumber = [&](const std::string& side) {
    return std::any_of(scope.begin(), scope.end(), [&](const ColumnRef& column) {
      return column.integerKey && column.sql == side;
    });
  };
  if (exclusions_.avoid(Exclusion::RowNumberNullBound)) {
    if (rowNumber(left)) right = std::to_string(random_.below(60) - 20);
    if (rowNumber(right)) left = std::to_string(random_.below(60) - 20);
  }
  return left + random_.oneOf(operators) + right;
}

std::string RandomExpressions::pattern(bool glob) {
  const char* const pieces[] = {"a", "B", "5", "0", "1", "x y", "\xc4\xe3", "\xe4\xbd\xa0",
                                "'", "."};
  std::string text = "'";
  for (int i = 1 + random_.below(3); i > 0; --i) {
    const int kind = random_.below(10);
    if (kind < 3) {
      text += glob ? "*" : "%";
    } else if (kind < 5) {
      text += glob ? "?" : "_";
    } else if (glob && kind == 5) {
      text += random_.chance(50) ? "[a-c5]" : "[^0-9]";
    } else {
      const std::string piece = random_.oneOf(pieces);
      text += piece == "'" ? "''" : piece;
    }
  }
  return text + "'";
}

std::string RandomExpressions::likeOrGlob(const Scope& scope, int depth) {
  const bool glob = random_.chance(40);
  std::string pattern = random_.chance(85) ? this->pattern(glob) : narrowValue(scope, depth);
  return narrowValue(scope, depth) + (random_.chance(25) ? " NOT" : "") +
         (glob ? " GLOB " : " LIKE ") + pattern;
}

// BETWEEN, and BETWEEN whose upper bound is followed by another operator of its level.
std::string RandomExpressions::between(const Scope& scope, int depth) {
  std::string text = narrowValue(scope, depth) + (random_.chance(25) ? " NOT" : "") + " BETWEEN " +
                     narrowValue(scope, depth) + " AND " + narrowValue(scope, depth);
  switch (random_.below(8)) {
    case 0:
      return text + " IN (" + listItems(random_.below(3)) + ")";
    case 1:
      return text + " = " + narrowValue(scope, depth);
    case 2:
      return text + " LIKE " + pattern(false);
    default:
      return text;
  }
}

std::string RandomExpressions::listItems(int count) {
  std::string items;
  std::vector<double> numbers;
  for (int i = 0; i < count; ++i) {
    std::string item = values_.any();
    if (item == "NULL" && exclusions_.avoid(Exclusion::NullInList)) item = "7";
    std::optional<double> number = literalNumber(item);
    if (number && exclusions_.avoid(Exclusion::RepeatedLookup)) {
      if (std::find(numbers.begin(), numbers.end(), *number) != numbers.end()) continue;
      numbers.push_back(*number);
    }
    items += (items.empty() ? "" : ", ") + item;
  }
  return items;
}

std::string RandomExpressions::inList(const Scope& scope, int depth) {
  std::string left = narrowValue(scope, depth) + (random_.chance(30) ? " NOT IN " : " IN ");
  if (subqueries_ && random_.chance(25)) {
    return left + parenthesized(subqueries_->columnSubquery(depth));
  }
  std::string items = listItems(random_.below(5));
  if (orderShown_ && exclusions_.avoid(Exclusion::LookupOrderInTriggers)) {
    items = items.substr(0, items.find(", "));
  }
  return left + parenthesized(items);
}

std::string RandomExpressions::caseExpression(const Scope& scope, int depth, bool narrow) {
  auto result = [&] { return narrow ? narrowValue(scope, depth) : value(scope, depth); };
  std::string text = "CASE";
  const bool withOperand = random_.chance(50);
  if (withOperand) text += " " + narrowValue(scope, depth);
  for (int i = 1 + random_.below(2); i > 0; --i) {
    text += " WHEN " + (withOperand ? narrowValue(scope, depth) : condition(scope, depth)) +
            " THEN " + result();
  }
  if (random_.chance(60)) text += " ELSE " + result();
  return text + " END";
}

// The functions whose answers do not depend on the moment or on chance. substr's position
// and length are numbers: the library crashes on a NULL there.
std::string RandomExpressions::function(const Scope& scope, int depth) {
  auto any = [&] { return narrowValue(scope, depth); };
  switch (random_.below(17)) {
    case 0:
      return "length(" + any() + ")";
    case 1:
      return (random_.chance(50) ? "upper(" : "lower(") + any() + ")";
    case 2:
      return "substr(" + any() + ", " + std::to_string(random_.below(7) - 3) + ", " +
             std::to_string(random_.below(5) - 1) + ")";
    case 3:
      return "abs(" + any() + ")";
    case 4: {
      // Excluded: a number too long for the buffer SQLite 2.8 prints round()'s answer into.
      std::string argument = any();
      if (exclusions_.avoid(Exclusion::RoundOfHugeNumber)) {
        argument = random_.chance(50) ? "length(" + argument + ")" : values_.number();
        if (argument == "1e308") argument = "1e30";
      }
      return "round(" + argument +
             (random_.chance(50) ? ", " + std::to_string(random_.below(4)) : "") + ")";
    }
    case 5:
      return "coalesce(" + any() + ", " + any() + (random_.chance(30) ? ", " + any() : "") + ")";
    case 6:
      return "ifnull(" + any() + ", " + any() + ")";
    case 7:
      return "nullif(" + any() + ", " + any() + ")";
    case 8:
      return (random_.chance(50) ? "min(" : "max(") + any() + ", " + any() + ")";
    case 9:
      return "quote(" + any() + ")";
    case 10:
      return "typeof(" + value(scope, depth) + ")";
    case 11:
      return "like(" + pattern(false) + ", " + any() + ")";
    case 12:
      return "glob(" + pattern(true) + ", " + any() + ")";
    case 13:
      if (writingRows_ && exclusions_.avoid(Exclusion::ChangeCountsLive)) return "sqlite_version()";
      return "last_insert_rowid()";
    case 14: {
      const bool total = random_.chance(50);
      if ((total ? writingRows_ : copied_) && exclusions_.avoid(Exclusion::ChangeCountsLive)) {
        return "sqlite_version()";
      }
      return total ? "change_count()" : "last_statement_change_count()";
    }
    case 15:
      return "sqlite_version()";
    default:
      return "coalesce(" + any() + ", NULL)";
  }
}

// Dates with and without a time, with modifiers now and then.
std::string RandomExpressions::dateFunction(const Scope& scope, int depth) {
  const char* const names[] = {"date", "time", "datetime", "julianday"};
  const char* const modifiers[] = {
      "'+1 day'",       "'-2 months'",   "'+1 year'",       "'start of month'", "'start of year'",
      "'start of day'", "'+90 minutes'", "'-3661 seconds'", "'weekday 3'",      "'+1.5 days'"};
  // Excluded: the values 2.8 misreads (Exclusion::DateQuirks), which a column may hold.
  const bool plainDates = exclusions_.avoid(Exclusion::DateQuirks);
  std::string argument =
      plainDates || random_.chance(60) ? values_.date() : narrowValue(scope, depth);
  const bool bareDate = argument.size() == 12 && argument[5] == '-';
  std::string modifierList;
  for (int i = random_.below(3); i > 0; --i) {
    std::string modifier = random_.oneOf(modifiers);
    if (!(plainDates && bareDate && modifier == "'weekday 3'")) modifierList += ", " + modifier;
  }
  if (random_.chance(15)) {
    const char* const formats[] = {"'%Y-%m-%d'", "'%H:%M:%f'", "'%j %w %W'", "'%s'", "'%J %%'"};
    std::string format = random_.oneOf(formats);
    if (plainDates && format == "'%s'" && argument == "'1970-01-01'") format = "'%J %%'";
    return "strftime(" + format + ", " + argument + modifierList + ")";
  }
  std::string name = random_.oneOf(names);
  if (plainDates && bareDate && modifierList.empty() && (name == "time" || name == "datetime")) {
    name = "date";
  }
  return name + "(" + argument + modifierList + ")";
}

std::string RandomExpressions::aggregate(const Scope& scope, int depth) {
  const char* const names[] = {"count", "sum", "avg", "min", "max"};
  if (random_.chance(15)) return "count(*)";
  std::string argument = random_.chance(75) ? column(scope) : narrowValue(scope, depth + 1);
  std::string name = random_.oneOf(names);
  if ((name == "avg" || name == "sum") && avoidsLongReals()) name = "max";
  return name + "(" + argument + ")";
}

}  // namespace orvalen::test
