#include <sys/stat.h>
#include <unistd.h>

#include "file_system.h"

namespace orvalen::app {

bool pathExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

bool isRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void removeFile(const std::string& path) {
  ::unlink(path.c_str());
}

}  // namespace orvalen::app
