#pragma once

// POSIX record locks belong to a process and an inode, not to a descriptor: a second
// connection of the same process would silently share or upgrade the first one's lock, and
// closing any descriptor of the file drops them all. This table keeps, for each open file
// of this process, what the process's connections hold, so that the locks can be counted and
// descriptors kept open while any connection still holds a lock.

#include <sys/types.h>

#include <map>
#include <mutex>
#include <tuple>
#include <vector>

#include "os/file.h"

namespace sqlite2 {

struct InodeLocks {
  int readers = 0;      // connections holding the shared lock
  bool writer = false;  // one connection holds the exclusive lock
  int users = 0;        // connections attached to this entry
  // Descriptors whose connection went away while others still held a lock; closing them
  // then would have dropped the process's lock.
  std::vector<int> parkedDescriptors;

  bool anyLockHeld() const { return readers > 0 || writer; }
};

class InodeLockTable {
 public:
  static InodeLockTable& instance();

  // Every access to an entry happens under this mutex.
  std::mutex& mutex() { return mutex_; }

  // The entry for the file, created on first use. Call with the mutex held.
  InodeLocks& attach(const FileIdentity& file);
  // Drops a connection from the entry and removes the entry when nobody uses it.
  // Call with the mutex held.
  void detach(const FileIdentity& file);

 private:
  // The process id is part of the key: a child made by fork() starts with none of the
  // parent's locks although it inherits this table.
  using Key = std::tuple<dev_t, ino_t, pid_t>;
  static Key keyOf(const FileIdentity& file);

  std::mutex mutex_;
  std::map<Key, InodeLocks> entries_;
};

}  // namespace sqlite2
