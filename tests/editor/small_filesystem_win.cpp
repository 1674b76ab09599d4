#include "tests/editor/small_filesystem.h"

namespace orvalen::test {

// A filesystem of a few kilobytes is mounted with Linux's tmpfs; Windows has none to mount.
SmallFilesystem::SmallFilesystem(std::size_t) : why_("Windows mounts no small tmpfs") {}

SmallFilesystem::~SmallFilesystem() = default;

std::size_t SmallFilesystem::freeBytes() const {
  return 0;
}

}  // namespace orvalen::test
