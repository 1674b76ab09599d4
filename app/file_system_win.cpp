#include <windows.h>

#include "file_system.h"
#include "wide_text.h"

namespace orvalen::app {

bool pathExists(const std::string& path) {
  return GetFileAttributesW(toWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isRegularFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(toWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void removeFile(const std::string& path) {
  DeleteFileW(toWide(path).c_str());
}

std::string absolutePath(const std::string& path) {
  const std::wstring wide = toWide(path);
  const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (path.empty() || length == 0) return path;
  std::wstring absolute(length, L'\0');
  const DWORD written = GetFullPathNameW(wide.c_str(), length, absolute.data(), nullptr);
  if (written == 0 || written >= length) return path;
  absolute.resize(written);
  return toUtf8(absolute);
}

}  // namespace orvalen::app
