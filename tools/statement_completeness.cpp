#include "statement_completeness.h"

#include <cctype>

namespace orvalen::tools {

namespace {

// Returns the position just past a quoted run that opens at text[start], or npos when it is
// not closed. A doubled closing quote stands for the quote itself.
size_t skipQuoted(std::string_view text, size_t start) {
  const char close = text[start] == '[' ? ']' : text[start];
  for (size_t i = start + 1; i < text.size(); ++i) {
    if (text[i] != close) continue;
    if (close != ']' && i + 1 < text.size() && text[i + 1] == close) {
      ++i;
      continue;
    }
    return i + 1;
  }
  return std::string_view::npos;
}

}  // namespace

bool endsWithCompleteStatement(std::string_view text) {
  bool complete = false;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
      const size_t end = text.find('\n', i);
      i = end == std::string_view::npos ? text.size() : end + 1;
    } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      const size_t end = text.find("*/", i + 2);
      if (end == std::string_view::npos) return false;
      i = end + 2;
    } else if (c == '\'' || c == '"' || c == '[' || c == '`') {
      i = skipQuoted(text, i);
      if (i == std::string_view::npos) return false;
      complete = false;
    } else {
      complete = c == ';';
      ++i;
    }
  }
  return complete;
}

}  // namespace orvalen::tools
