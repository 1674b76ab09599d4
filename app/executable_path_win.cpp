#include <windows.h>

#include <vector>

#include "executable_path.h"
#include "wide_text.h"

namespace orvalen::app {

std::string executablePath() {
  // The result says nothing about truncation except by filling the buffer, so grow it until
  // the path fits (long paths can exceed MAX_PATH).
  for (DWORD size = MAX_PATH; size <= 1 << 16; size *= 2) {
    std::vector<wchar_t> buffer(size);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
    if (length == 0) return {};
    if (length < size) return toUtf8(std::wstring(buffer.data(), length));
  }
  return {};
}

std::string directoryOf(const std::string& path) {
  const auto separator = path.find_last_of("\\/");
  if (separator == std::string::npos) return {};
  return path.substr(0, separator + 1);
}

}  // namespace orvalen::app
