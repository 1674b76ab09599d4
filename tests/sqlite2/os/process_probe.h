#pragma once

// Helpers that look at file locks and permissions from another process. POSIX record locks
// belong to a process, so only a different process can see whether a lock is really held.

#include <sys/types.h>

#include <functional>
#include <string>

namespace orvalen::test {

enum class ProbeLock { kRead, kWrite };

// Forks a child that opens the file and tries a non-blocking whole-file lock of the given kind.
// Returns whether it was granted.
bool otherProcessCanLock(const std::string& path, ProbeLock kind);

// A child process that holds a whole-file lock of the given kind until the object goes away.
class LockHolder {
 public:
  LockHolder(const std::string& path, ProbeLock kind);
  ~LockHolder();
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;
  bool holding() const { return holding_; }

 private:
  pid_t child_ = -1;
  int release_ = -1;  // write end of the pipe the child waits on
  bool holding_ = false;
};

// Runs body in a child process with the privileges of user and group "nobody" (65534), where
// file permission bits apply even when the tests run as root. body returns an empty string
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
