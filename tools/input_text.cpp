#include "input_text.h"

#include <sys/stat.h>

#include <cstring>

namespace orvalen::tools {

namespace {

constexpr size_t kBlockSize = 1 << 16;

// What is left to read of a regular file, to take room for at once; 0 when unknown (a pipe).
size_t expectedSize(std::FILE* in) {
  struct stat status {};
  if (fstat(fileno(in), &status) != 0 || !S_ISREG(status.st_mode)) return 0;
  const long at = std::ftell(in);
  return status.st_size > at && at >= 0 ? static_cast<size_t>(status.st_size - at) : 0;
}

}  // namespace

std::optional<std::string> readWholeText(std::FILE* in) {
  std::string text;
  text.reserve(expectedSize(in) + 1);
  // Read in blocks and appended, so that growing the text never writes zeros first. The
  // whole stream is read even past a zero byte, so that a writer on the other end of a pipe
  // is never cut off.
  char block[kBlockSize];
  size_t got = 0;
  do {
    got = std::fread(block, 1, sizeof block, in);
    text.append(block, got);
  } while (got == sizeof block);
  if (std::ferror(in)) return std::nullopt;
  text.resize(std::strlen(text.c_str()));
  return text;
}

}  // namespace orvalen::tools
