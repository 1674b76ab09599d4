#pragma once

// The private database of one connection that holds its temporary tables, indexes and views
// (in its own sqlite_temp_master): a file in the system's temporary folder, made when the
// first temporary object is, and removed with its journal when the connection closes.

#include <functional>
#include <memory>
#include <string>

#include "btree/btree.h"

namespace sqlite2 {

class TemporaryDatabase {
 public:
  TemporaryDatabase() = default;
  ~TemporaryDatabase();
  TemporaryDatabase(const TemporaryDatabase&) = delete;
  TemporaryDatabase& operator=(const TemporaryDatabase&) = delete;

  // Null until the first temporary object.
  Btree* btree() const { return btree_.get(); }
  // Makes the file when there is none yet; onOpened then brings the new b-tree into the
  // transaction under way.
  Btree& open();
  std::function<void(Btree&)> onOpened;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::unique_ptr<Btree> btree_;
};

}  // namespace sqlite2
