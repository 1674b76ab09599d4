#include "statement_completeness.h"

#include <cctype>

namespace orvalen::tools {

namespace {

// Past the words that could make a statement a CREATE TRIGGER.
constexpr int kPastTheStart = 3;

bool isWordCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool sameWord(std::string_view text, std::string_view upperCaseWord) {
  if (text.size() != upperCaseWord.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(text[i])) != upperCaseWord[i]) return false;
  }
  return true;
}

}  // namespace

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
  if (isWordCharacter(c)) {
    size_t end = at + 1;
    while (end < text.size() && isWordCharacter(text[end])) ++end;
    word(text.substr(at, end - at));
    return end;
  }
  if (c == ';') {
    semicolon();
    return at + 1;
  }
  endsWithSemicolon_ = false;
  lastWordWasEnd_ = false;
  partial_ = true;
  if (c == '\'' || c == '"' || c == '[' || c == '`') {
    state_ = State::kQuoted;
    closingQuote_ = c == '[' ? ']' : c;
  }
  return at + 1;
}

// A word is not split between two pieces of text in practice: the pieces are lines.
void StatementScanner::word(std::string_view text) {
  endsWithSemicolon_ = false;
  partial_ = true;
  lastWordWasEnd_ = sameWord(text, "END");
  if (wordsSeen_ >= kPastTheStart) return;
  const int position = wordsSeen_++;
  const bool trigger = sameWord(text, "TRIGGER");
  if (position == 0 && !sameWord(text, "CREATE")) wordsSeen_ = kPastTheStart;
  if (position == 1 && !sameWord(text, "TEMP") && !sameWord(text, "TEMPORARY")) {
    inTrigger_ = trigger;
    wordsSeen_ = kPastTheStart;
  }
  if (position == 2) {
    inTrigger_ = trigger;
    wordsSeen_ = kPastTheStart;
  }
}

void StatementScanner::semicolon() {
  endsWithSemicolon_ = true;
  if (inTrigger_ && !lastWordWasEnd_) {
    partial_ = true;  // the end of a statement inside the trigger's body
    endsWithSemicolon_ = false;
    return;
  }
  partial_ = false;
  wordsSeen_ = 0;
  inTrigger_ = false;
  lastWordWasEnd_ = false;
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
