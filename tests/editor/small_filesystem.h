#pragma once

// A real filesystem that fills up: a tmpfs of a few kilobytes mounted on a fresh directory for
// the life of the object. Mounting needs the right to mount (root, as in CI); without it the
// object says why, and tests that need it skip.

#include <cstddef>
#include <string>

#include "tests/support/temp_dir.h"

namespace orvalen::test {

class SmallFilesystem {
 public:
  explicit SmallFilesystem(std::size_t bytes);
  ~SmallFilesystem();
  SmallFilesystem(const SmallFilesystem&) = delete;
  SmallFilesystem& operator=(const SmallFilesystem&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& why() const { return why_; }
  const std::string& path() const { return dir_.path(); }
  std::string file(const std::string& name) const { return dir_.file(name); }
  // Bytes still free for files.
  std::size_t freeBytes() const;

 private:
  TempDir dir_;
  bool mounted_ = false;
  std::string why_;
};

// Fills the filesystem of path's folder with a file at path until no more than leave bytes are
// free (to the page that the filesystem allocates in).
void FillLeaving(const std::string& path, std::size_t leave, const SmallFilesystem& filesystem);

}  // namespace orvalen::test
