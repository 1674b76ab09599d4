#include "tests/editor/small_filesystem.h"

#include <sys/mount.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace orvalen::test {

SmallFilesystem::SmallFilesystem(std::size_t bytes) {
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
  if (::mount("orvalen-test", dir_.path().c_str(), "tmpfs", 0, options.c_str()) != 0) {
    why_ = std::string("cannot mount a tmpfs here (") + std::strerror(errno) +
           "); mounting needs root or CAP_SYS_ADMIN";
    return;
  }
  mounted_ = true;
}

SmallFilesystem::~SmallFilesystem() {
  if (mounted_) ::umount2(dir_.path().c_str(), MNT_DETACH);
}

std::size_t SmallFilesystem::freeBytes() const {
  struct statvfs info {};
  if (::statvfs(dir_.path().c_str(), &info) != 0) return 0;
  return static_cast<std::size_t>(info.f_bavail) * info.f_frsize;
}

void FillLeaving(const std::string& path, std::size_t leave, const SmallFilesystem& filesystem) {
  std::FILE* filler = std::fopen(path.c_str(), "wb");
  if (!filler) return;
  const std::string block(512, 'x');
  while (filesystem.freeBytes() > leave) {
    if (std::fwrite(block.data(), 1, block.size(), filler) != block.size()) break;
    if (std::fflush(filler) != 0) break;
  }
  std::fclose(filler);
}

}  // namespace orvalen::test
