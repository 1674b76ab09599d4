#include "os/file_system.h"

#include <windows.h>

#include <vector>

#include "common/error.h"
#include "os/win/system_error.h"
#include "os/win/wide_path.h"
#include "sqlite.h"

namespace sqlite2 {

// By its attributes, as SQLite 2.8 asks: a journal that a live writer holds open, shared
// with nobody, still exists although it cannot be opened.
bool fileExists(const std::string& path) {
  return GetFileAttributesW(widePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void deleteFile(const std::string& path) {
  if (!faultInjected(FileOperation::kDelete) && DeleteFileW(widePath(path).c_str())) return;
  const DWORD error = GetLastError();
  if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) throw Error(SQLITE_IOERR);
}

// The system's full path name: SQLite 2.8 names the journal after it, so both engines must
// make the same name for the same file.
std::string absolutePath(const std::string& path) {
  const std::wstring wide = widePath(path);
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD length =
        GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0) throw Error(SQLITE_CANTOPEN);
    if (length < buffer.size()) return utf8Path(std::wstring(buffer.data(), length));
    buffer.resize(length + 1);
  }
}

std::string directoryOf(const std::string& absolutePath) {
  const size_t separator = absolutePath.find_last_of("\\/");
  if (separator == std::string::npos) return ".";
  return absolutePath.substr(0, separator);
}

// Windows keeps a directory's entries on its own; there is no call to make them durable. The
// fault hook is still asked, so that the layers above meet the same primitives everywhere.
void syncDirectory(const std::string&) {
  if (faultInjected(FileOperation::kDirectorySync)) throw Error(SQLITE_IOERR);
}

}  // namespace sqlite2
