#include "line_reader.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#if ORVALEN_HAVE_READLINE
#include <readline/history.h>
#include <readline/readline.h>
#endif

namespace orvalen::tools {

#if ORVALEN_HAVE_READLINE

LineReader::LineReader(std::string historyFile) : historyFile_(std::move(historyFile)) {
  using_history();
  if (!historyFile_.empty()) read_history(historyFile_.c_str());
}

LineReader::~LineReader() {
  if (!historyFile_.empty()) write_history(historyFile_.c_str());
  clear_history();
}

std::optional<std::string> LineReader::readLine(const char* prompt) {
  char* line = readline(prompt);
  if (!line) return std::nullopt;
  std::string copy = line;
  std::free(line);
  return copy;
}

void LineReader::addToHistory(const std::string& entry) {
  if (!entry.empty()) add_history(entry.c_str());
}

#else

LineReader::LineReader(std::string historyFile) : historyFile_(std::move(historyFile)) {}

LineReader::~LineReader() = default;

std::optional<std::string> LineReader::readLine(const char* prompt) {
  std::fputs(prompt, stdout);
  std::fflush(stdout);
  std::string line;
  if (!std::getline(std::cin, line)) return std::nullopt;
  return line;
}

void LineReader::addToHistory(const std::string& /*entry*/) {}

#endif

}  // namespace orvalen::tools
