#pragma once

// Fills a statement text's placeholders: %d with a number in decimal, %s (which the
// statement texts always enclose in single quotes) with a text already in the file's code
// page, every single quote in it doubled so that the text is stored exactly as given and can
// never end its literal. The statement grows as needed: no text is cut for length.

#include <initializer_list>
#include <string>
#include <string_view>

class StatementValue {
 public:
  StatementValue(int number) : isNumber_(true), number_(number) {}
  StatementValue(std::string_view text) : isNumber_(false), text_(text) {}
  StatementValue(const std::string& text) : StatementValue(std::string_view(text)) {}

  bool isNumber() const { return isNumber_; }
  int number() const { return number_; }
  std::string_view text() const { return text_; }

 private:
  bool isNumber_;
  int number_ = 0;
  std::string_view text_;
};

// A text between single quotes, each quote in it doubled; raises as formatStatement does for a
// NUL byte.
std::string quotedText(std::string_view text);

// Raises CPPSQLITE_ERROR for a text holding a NUL byte, which the library would read as the
// end of the statement. The placeholders must match the values in number and kind.
std::string formatStatement(std::string_view pattern, std::initializer_list<StatementValue> values);
