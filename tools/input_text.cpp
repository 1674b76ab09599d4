#include "input_text.h"

#include <cstring>

namespace orvalen::tools {

namespace {

constexpr size_t kBlockSize = 1 << 16;

}  // namespace

std::optional<std::string> readWholeText(std::FILE* in) {
  std::string text;
  size_t used = 0;
  size_t got = 0;
  // The whole stream is read even past a zero byte, so that a writer on the other end of a
  // pipe is never cut off.
  do {
    text.resize(used + kBlockSize);
    got = std::fread(&text[used], 1, kBlockSize, in);
    used += got;
  } while (got == kBlockSize);
  if (std::ferror(in)) return std::nullopt;
  const void* zero = std::memchr(text.data(), '\0', used);
  text.resize(zero ? static_cast<size_t>(static_cast<const char*>(zero) - text.data()) : used);
  return text;
}

}  // namespace orvalen::tools
