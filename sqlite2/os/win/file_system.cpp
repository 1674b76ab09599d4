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

void deleteFileIfPossible(const std::string& path) noexcept {
  try {
    deleteFile(path);
  } catch (const Error&) {
    // Left behind: a stray file in its folder is all that comes of it.
  }
}

namespace {

// Reads the next piece; 0 at the end (of a file, or of a pipe whose writer closed it).
DWORD readSome(HANDLE handle, char* buffer, DWORD size) {
  DWORD got = 0;
  if (faultInjected(FileOperation::kRead)) throw Error(SQLITE_IOERR);
  if (ReadFile(handle, buffer, size, &got, nullptr)) return got;
  if (GetLastError() == ERROR_BROKEN_PIPE || GetLastError() == ERROR_HANDLE_EOF) return 0;
  throw Error(SQLITE_IOERR);
}

}  // namespace

// Shared with readers and writers, as a C runtime's fopen opens a file.
std::string readWholeFile(const std::string& path) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  if (!faultInjected(FileOperation::kOpen)) {
    handle = CreateFileW(widePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  }
  if (handle == INVALID_HANDLE_VALUE) throw Error(SQLITE_CANTOPEN);
  std::string bytes;
  try {
    char buffer[1 << 16];
    while (DWORD got = readSome(handle, buffer, sizeof buffer)) bytes.append(buffer, got);
  } catch (...) {
    CloseHandle(handle);
    throw;
  }
  CloseHandle(handle);
  return bytes;
}

// Without trailing backslashes, as SQLite 2.8 names the folder.
std::string temporaryFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) throw Error(SQLITE_CANTOPEN);
  std::wstring folder(buffer, length);
  while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  return utf8Path(folder);
}

std::string pathInFolder(const std::string& folder, const std::string& name) {
  const bool separated = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
  return separated ? folder + name : folder + "\\" + name;
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

uint32_t currentProcessId() {
  return GetCurrentProcessId();
}

}  // namespace sqlite2
