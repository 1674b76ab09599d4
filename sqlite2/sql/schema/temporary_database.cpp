#include "sql/schema/temporary_database.h"

#include "os/file_system.h"
#include "pager/pager.h"

namespace sqlite2 {

TemporaryDatabase::~TemporaryDatabase() {
  if (!btree_) return;
  btree_.reset();
  deleteFileIfPossible(path_);
  deleteFileIfPossible(path_ + "-journal");
}

Btree& TemporaryDatabase::open() {
  if (btree_) return *btree_;
  path_ = freshTemporaryPath();
  btree_ = Btree::open(path_, PagerOptions{});
  if (onOpened) onOpened(*btree_);
  return *btree_;
}

}  // namespace sqlite2
