#pragma once

// The OS layer's vectored reads and writes take POSIX buffer descriptions on every platform;
// Windows has no <sys/uio.h>, so this folder, on the engine's include path only when building
// for Windows, provides the one type and its limit.

#include <stddef.h>

struct iovec {
  void* iov_base;
  size_t iov_len;
};

#ifndef IOV_MAX
#define IOV_MAX 1024
#endif
