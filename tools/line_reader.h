#pragma once

// Reads typed lines with a prompt, line editing and history (GNU readline when the build has
// it; plain standard input otherwise).

#include <optional>
#include <string>

namespace orvalen::tools {

class LineReader {
 public:
  // historyFile: where history is loaded from and saved to; empty for none.
  explicit LineReader(std::string historyFile);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The next line without its newline; nullopt at end of input.
  std::optional<std::string> readLine(const char* prompt);

  void addToHistory(const std::string& entry);

 private:
  std::string historyFile_;
};

}  // namespace orvalen::tools
