#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

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

std::string absolutePath(const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  char* folder = ::getcwd(nullptr, 0);
  if (!folder) return path;
  std::string absolute = std::string(folder) + "/" + path;
  ::free(folder);
  return absolute;
}

}  // namespace orvalen::app
