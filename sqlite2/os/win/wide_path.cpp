#include "os/win/wide_path.h"

#include <windows.h>

#include "common/error.h"
#include "sqlite.h"

namespace sqlite2 {

std::wstring widePath(const std::string& path) {
  if (path.empty()) return {};
  const int length = static_cast<int>(path.size());
  const int units =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), length, nullptr, 0);
  if (units <= 0) throw Error(SQLITE_CANTOPEN);
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), length, wide.data(), units);
  return wide;
}

std::string utf8Path(const std::wstring& path) {
  if (path.empty()) return {};
  const int length = static_cast<int>(path.size());
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, path.data(), length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, path.data(), length, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

}  // namespace sqlite2
