#include "executable_path.h"

#include <unistd.h>

#include <vector>

namespace orvalen::app {

std::string executablePath() {
  // readlink does not say whether it truncated, so grow the buffer until the link fits.
  for (std::size_t size = 256; size <= 1 << 20; size *= 2) {
    std::vector<char> buffer(size);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < buffer.size())
      return {buffer.data(), buffer.data() + length};
  }
  return {};
}

std::string directoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash + 1);
}

}  // namespace orvalen::app
