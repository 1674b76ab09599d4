#pragma once

// The SQL text of a batch run, read from a stream. A regular file (a dump given as standard
// input) is mapped into memory instead of copied: a load of many megabytes would otherwise
// spend much of its time reading. Anything else (a pipe) is read in large blocks.

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>

namespace orvalen::tools {

class InputText {
 public:
  // Everything left in the stream; nullopt when reading fails (errno says why).
  static std::optional<InputText> read(std::FILE* in);
  ~InputText();
  InputText(InputText&& other) noexcept;
  InputText& operator=(InputText&& other) = delete;
  InputText(const InputText&) = delete;
  InputText& operator=(const InputText&) = delete;

  // The text, ending at its first zero byte: the library reads a text no further.
  const char* c_str() const { return mapped_ ? mapped_ : read_.c_str(); }

 private:
  InputText() = default;
  bool map(std::FILE* in);

  std::string read_;
  const char* mapped_ = nullptr;  // inside mapping_, zero-terminated
  void* mapping_ = nullptr;
  size_t mappingSize_ = 0;
};

// Whether the stream reads a regular file (rather than a pipe, a terminal or a device).
bool readsRegularFile(std::FILE* in);

// Everything left in the stream, up to (not including) its first zero byte; nullopt when
// reading fails.
std::optional<std::string> readWholeText(std::FILE* in);

}  // namespace orvalen::tools
