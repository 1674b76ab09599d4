#pragma once

// How the Windows layer turns failed calls, real or injected, into result codes.

#include "os/fault_injection.h"

namespace sqlite2 {

// True when the fault hook fails this operation; GetLastError() then gives the error that
// the fault stands for (ERROR_IO_DEVICE or ERROR_DISK_FULL) and the call is not to be made.
bool faultInjected(FileOperation operation);

// Whether a Windows error code means the disk, or the user's quota, is full.
bool isDiskFull(unsigned long error);

// Throws SQLITE_FULL when the last error means a full disk, SQLITE_IOERR otherwise.
[[noreturn]] void throwWriteError();

}  // namespace sqlite2
