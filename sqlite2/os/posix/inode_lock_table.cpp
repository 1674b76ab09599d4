#include "os/posix/inode_lock_table.h"

#include <unistd.h>

namespace sqlite2 {

InodeLockTable& InodeLockTable::instance() {
  static InodeLockTable* table = new InodeLockTable;  // never destroyed: used until exit
  return *table;
}

InodeLockTable::Key InodeLockTable::keyOf(const FileIdentity& file) {
  return Key(file.device, file.inode, getpid());
}

InodeLocks& InodeLockTable::attach(const FileIdentity& file) {
  InodeLocks& entry = entries_[keyOf(file)];
  ++entry.users;
  return entry;
}

void InodeLockTable::detach(const FileIdentity& file) {
  auto found = entries_.find(keyOf(file));
  if (found == entries_.end()) return;
  InodeLocks& entry = found->second;
  if (--entry.users == 0 && entry.parkedDescriptors.empty()) entries_.erase(found);
}

}  // namespace sqlite2
