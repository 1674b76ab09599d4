#include "process_probe.h"

#include <windows.h>

#include <filesystem>
#include <stdexcept>

namespace orvalen::test {

namespace {

// SQLite 2.8's lock region on Windows: the gate byte and the range after it.
constexpr DWORD kGateByte = 0xFFFFD800;
constexpr DWORD kRangeStart = kGateByte + 1;
constexpr DWORD kRangeLength = 10239;

HANDLE openShared(const std::string& path) {
  HANDLE handle = CreateFileW(std::filesystem::u8path(path).wstring().c_str(),
                              GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw std::runtime_error("lock probe cannot open " + path);
  return handle;
}

bool lockBytes(HANDLE handle, DWORD offset, DWORD length, bool exclusive) {
  OVERLAPPED position = {};
  position.Offset = offset;
  DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  return LockFileEx(handle, flags, 0, length, 0, &position) != 0;
}

void unlockBytes(HANDLE handle, DWORD offset, DWORD length) {
  OVERLAPPED position = {};
  position.Offset = offset;
  UnlockFileEx(handle, 0, length, 0, &position);
}

// Takes a lock the way SQLite 2.8 does: through the gate byte, which it lets go at once.
bool lockAsSqlite(HANDLE handle, ProbeLock kind) {
  if (!lockBytes(handle, kGateByte, 1, true)) return false;
  bool held = lockBytes(handle, kRangeStart, kRangeLength, kind == ProbeLock::kWrite);
  unlockBytes(handle, kGateByte, 1);
  return held;
}

}  // namespace

bool otherProcessCanLock(const std::string& path, ProbeLock kind) {
  HANDLE handle = openShared(path);
  bool held = lockAsSqlite(handle, kind);
  CloseHandle(handle);
  return held;
}

LockHolder::LockHolder(const std::string& path, ProbeLock kind) {
  HANDLE handle = openShared(path);
  holder_ = reinterpret_cast<intptr_t>(handle);
  holding_ = lockAsSqlite(handle, kind);
}

LockHolder::~LockHolder() {
  CloseHandle(reinterpret_cast<HANDLE>(holder_));
}

UnprivilegedResult runUnprivileged(const std::function<std::string()>&) {
  UnprivilegedResult result;
  result.skipReason = "file permission bits and user nobody are POSIX; Windows has neither";
  return result;
}

void openUpForOthers(const std::string&) {}

}  // namespace orvalen::test
