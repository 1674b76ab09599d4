#pragma once

// Where SQL statements end in typed or read input, so that the shell knows when to run what
// it has and whether a line starting with '.' is one of its commands (it is only between
// statements, never inside a string or an unfinished statement).

#include <string_view>

namespace orvalen::tools {

// Follows SQL text fed to it in pieces (lines), outside string literals, quoted names and
// comments. A CREATE TRIGGER statement holds statements of its own, each ending with a
// semicolon: it ends only at the semicolon after its END.
class StatementScanner {
 public:
  void feed(std::string_view text);

  // The last token fed is a semicolon (and no quote or comment is open).
  bool complete() const { return outsideQuotes() && endsWithSemicolon_; }

  // Nothing fed since the last semicolon but blanks and comments.
  bool betweenStatements() const { return outsideQuotes() && !partial_; }

  void reset() { *this = StatementScanner(); }

 private:
  enum class State { kNormal, kQuoted, kLineComment, kBlockComment };

  // A line comment ends with its line, so text can end inside one.
  bool outsideQuotes() const { return state_ == State::kNormal || state_ == State::kLineComment; }

  // Returns the position after the piece of text that starts at text[at].
  size_t step(std::string_view text, size_t at);
  // A word of the statement (a keyword or a name outside quotes) has ended.
  void word(std::string_view text);
  void semicolon();

  State state_ = State::kNormal;
  char closingQuote_ = 0;
  bool endsWithSemicolon_ = false;
  bool partial_ = false;  // a statement has begun and not ended
  // How many of the statement's first words, CREATE [TEMP | TEMPORARY] TRIGGER, were seen.
  int wordsSeen_ = 0;
  bool inTrigger_ = false;
  bool lastWordWasEnd_ = false;  // the last token is the word END
};

// True when the text's last token, outside string literals, quoted names and comments, is a
// semicolon.
bool endsWithCompleteStatement(std::string_view text);

}  // namespace orvalen::tools
