#include "statement_completeness.h"

#include <array>
#include <cctype>

namespace orvalen::tools {

namespace {

// Past the words that could make a statement a CREATE TRIGGER.
constexpr int kPastTheStart = 3;

// The engine's own classes of characters, whatever the locale: bytes of multi-byte characters
// belong to words.
bool isWordCharacter(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
         (byte >= '0' && byte <= '9') || byte == '_' || byte >= 0x80;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == '\v';
}

// Within a statement past its first words, outside a trigger, the characters that can change
// what the scanner knows: they open a quote or a comment, or end the statement. A table, as
// most of a dump's bytes are looked up in it.
constexpr std::array<bool, 256> kEndsPlainText = [] {
  std::array<bool, 256> table{};
  for (const unsigned char c : std::string_view("'\"[`-/;")) table[c] = true;
  return table;
}();

bool endsPlainText(char c) {
  return kEndsPlainText[static_cast<unsigned char>(c)];
}

// The position after the first `wanted` at or after `at`; the text's end when there is none.
size_t pastNext(std::string_view text, char wanted, size_t at, bool* found) {
  const size_t position = text.find(wanted, at);
  *found = position != std::string_view::npos;
  return *found ? position + 1 : text.size();
}

bool sameWord(std::string_view text, std::string_view upperCaseWord) {
  if (text.size() != upperCaseWord.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(text[i])) != upperCaseWord[i]) return false;
  }
  return true;
}

}  // namespace

// Quoted text and comments are skipped with one search each: a dump is mostly string literals.
size_t StatementScanner::step(std::string_view text, size_t at) {
  bool found = false;
  switch (state_) {
    case State::kLineComment: {
      const size_t end = pastNext(text, '\n', at, &found);
      if (found) state_ = State::kNormal;
      return end;
    }
    case State::kBlockComment:
      for (size_t end; (end = pastNext(text, '*', at, &found)) < text.size(); at = end) {
        if (text[end] == '/') {
          state_ = State::kNormal;
          return end + 1;
        }
      }
      return text.size();
    case State::kQuoted: {
      // A doubled closing quote stands for the quote itself: it closes and opens again.
      const size_t end = pastNext(text, closingQuote_, at, &found);
      if (found) state_ = State::kNormal;
      return end;
    }
    case State::kNormal:
      break;
  }
  if (wordsSeen_ >= kPastTheStart && !inTrigger_) {
    // Words, numbers and operators here leave the statement as it is: unfinished.
    while (at < text.size() && !endsPlainText(text[at])) ++at;
    if (at == text.size()) return at;
  }
  const char c = text[at];
  if (isBlank(c)) {
    while (++at < text.size() && isBlank(text[at])) {
    }
    return at;
  }
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
