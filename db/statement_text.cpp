#include "db/statement_text.h"

#include <stdexcept>

#include "db/exception.h"

namespace {

void appendQuotedText(std::string& statement, std::string_view text) {
  if (text.find('\0') != std::string_view::npos) {
    throw CppSQLiteException(FailureKind::kTextNotRepresentable,
                             "a text holding a NUL character cannot be stored");
  }
  for (char c : text) {
    statement += c;
    if (c == '\'') statement += '\'';
  }
}

}  // namespace

std::string quotedText(std::string_view text) {
  std::string quoted = "'";
  appendQuotedText(quoted, text);
  return quoted + "'";
}

std::string formatStatement(std::string_view pattern,
                            std::initializer_list<StatementValue> values) {
  std::string statement;
  statement.reserve(pattern.size());
  const StatementValue* value = values.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') {
      statement += pattern[i];
      continue;
    }
    char kind = i + 1 < pattern.size() ? pattern[++i] : '\0';
    bool wantsNumber = kind == 'd';
    if ((kind != 'd' && kind != 's') || value == values.end() || value->isNumber() != wantsNumber) {
      throw std::logic_error("statement values do not match " + std::string(pattern));
    }
    if (wantsNumber) {
      statement += std::to_string(value->number());
    } else {
      appendQuotedText(statement, value->text());
    }
    ++value;
  }
  if (value != values.end()) {
    throw std::logic_error("more values than placeholders in " + std::string(pattern));
  }
  return statement;
}
