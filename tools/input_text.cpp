#include "input_text.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <utility>

#if !defined(_WIN32)
#include <sys/mman.h>
#endif

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

bool readsRegularFile(std::FILE* in) {
  struct stat status {};
  return fstat(fileno(in), &status) == 0 && S_ISREG(status.st_mode);
}

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

std::optional<InputText> InputText::read(std::FILE* in) {
  InputText text;
  if (text.map(in)) return text;
  std::optional<std::string> read = readWholeText(in);
  if (!read) return std::nullopt;
  text.read_ = std::move(*read);
  return text;
}

InputText::InputText(InputText&& other) noexcept
    : read_(std::move(other.read_)),
      mapped_(std::exchange(other.mapped_, nullptr)),
      mapping_(std::exchange(other.mapping_, nullptr)),
      mappingSize_(std::exchange(other.mappingSize_, 0)) {}

#if defined(_WIN32)

InputText::~InputText() = default;

bool InputText::map(std::FILE*) {
  return false;
}

#else

InputText::~InputText() {
  if (mapping_) munmap(mapping_, mappingSize_);
}

// Maps what is left of a regular file, from the stream's position to its end, followed by a
// zero byte: the file's last page reads as zeros past its end, and when the file fills that
// page exactly, a blank page follows the mapping. False (nothing mapped) for anything else.
bool InputText::map(std::FILE* in) {
  const int descriptor = fileno(in);
  struct stat status {};
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) return false;
  const off_t at = std::ftell(in);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (at < 0 || pageSize <= 0 || at > status.st_size) return false;
  const off_t base = at - at % pageSize;  // mappings start on a page
  const size_t fileBytes = static_cast<size_t>(status.st_size - base);
  const size_t size = (fileBytes / pageSize + 1) * static_cast<size_t>(pageSize);
  void* area = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (area == MAP_FAILED) return false;
  if (fileBytes > 0 &&
      mmap(area, fileBytes, PROT_READ, MAP_PRIVATE | MAP_FIXED, descriptor, base) == MAP_FAILED) {
    munmap(area, size);
    return false;
  }
  mapping_ = area;
  mappingSize_ = size;
  mapped_ = static_cast<const char*>(area) + (at - base);
  // The input is used up, as if it had been read.
  std::fseek(in, 0, SEEK_END);
  return true;
}

#endif

}  // namespace orvalen::tools
