#include "statement_completeness.h"

#include <cctype>

namespace orvalen::tools {

size_t StatementScanner::step(std::string_view text, size_t at) {
  const char c = text[at];
  switch (state_) {
    case State::kLineComment:
      if (c == '\n') state_ = State::kNormal;
      return at + 1;
    case State::kBlockComment:
      if (c == '*' && at + 1 < text.size() && text[at + 1] == '/') {
        state_ = State::kNormal;
        return at + 2;
      }
      return at + 1;
    case State::kQuoted:
      // A doubled closing quote stands for the quote itself: it closes and opens again.
      if (c == closingQuote_) state_ = State::kNormal;
      return at + 1;
    case State::kNormal:
      break;
  }
  if (std::isspace(static_cast<unsigned char>(c))) return at + 1;
  if (c == '-' && at + 1 < text.size() && text[at + 1] == '-') {
    state_ = State::kLineComment;
    return at + 2;
  }
  if (c == '/' && at + 1 < text.size() && text[at + 1] == '*') {
    state_ = State::kBlockComment;
    return at + 2;
  }
  endsWithSemicolon_ = c == ';';
  partial_ = c != ';';
  if (c == '\'' || c == '"' || c == '[' || c == '`') {
    state_ = State::kQuoted;
    closingQuote_ = c == '[' ? ']' : c;
  }
  return at + 1;
}

void StatementScanner::feed(std::string_view text) {
  for (size_t at = 0; at < text.size();) at = step(text, at);
}

bool endsWithCompleteStatement(std::string_view text) {
  StatementScanner scanner;
  scanner.feed(text);
  return scanner.complete();
}

}  // namespace orvalen::tools
