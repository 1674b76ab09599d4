#pragma once

// Helpers that look at file locks and permissions from another process. POSIX record locks
// belong to a process, so only a different process can see whether a lock is really held
// (process_probe_posix.cpp: fcntl locks over the whole file). Windows locks belong to a
// handle, so there another handle of this process serves (process_probe_win.cpp: SQLite 2.8's
// byte-range locks, gate byte first).

#include <cstdint>
#include <functional>
#include <string>

namespace orvalen::test {

enum class ProbeLock { kRead, kWrite };

// Opens the file anew, elsewhere, and tries a non-blocking lock of the given kind as another
// connection would. Returns whether it was granted.
bool otherProcessCanLock(const std::string& path, ProbeLock kind);

// Another connection (a child process on POSIX systems, another handle on Windows) that holds
// a lock of the given kind until the object goes away.
class LockHolder {
 public:
  LockHolder(const std::string& path, ProbeLock kind);
  ~LockHolder();
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;
  bool holding() const { return holding_; }

 private:
  intptr_t holder_ = -1;  // the child's process id, or the holding handle
  int release_ = -1;      // write end of the pipe the child waits on (POSIX)
  bool holding_ = false;
};

// Runs body in a child process with the privileges of user and group "nobody" (65534), where
// file permission bits apply even when the tests run as root. On Windows it does not run: the
// result says why. body returns an empty string
// on success and a description of what went wrong otherwise.
struct UnprivilegedResult {
  bool ran = false;
  std::string skipReason;  // why the body could not run
  std::string failure;     // what body returned
};
UnprivilegedResult runUnprivileged(const std::function<std::string()>& body);

// Makes a directory and the path down to it usable by user "nobody".
void openUpForOthers(const std::string& directory);

}  // namespace orvalen::test
