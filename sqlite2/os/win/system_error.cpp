#include "os/win/system_error.h"

#include <windows.h>

#include "common/error.h"
#include "sqlite.h"

namespace sqlite2 {

bool faultInjected(FileOperation operation) {
  switch (injectedFault(operation)) {
    case InjectedFault::kNone:
      return false;
    case InjectedFault::kIoError:
      SetLastError(ERROR_IO_DEVICE);
      return true;
    case InjectedFault::kDiskFull:
      SetLastError(ERROR_DISK_FULL);
      return true;
  }
  return false;
}

namespace {
// ERROR_DISK_QUOTA_EXCEEDED, which MinGW's headers lack.
constexpr DWORD kDiskQuotaExceeded = 1295;
}  // namespace

bool isDiskFull(unsigned long error) {
  return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ||
         error == kDiskQuotaExceeded || error == ERROR_FILE_TOO_LARGE;
}

void throwWriteError() {
  throw Error(isDiskFull(GetLastError()) ? SQLITE_FULL : SQLITE_IOERR);
}

}  // namespace sqlite2
