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

}  // namespace orvalen::app
