#include "os/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

#include "common/error.h"
#include "os/fault_injection.h"
#include "sqlite.h"

namespace sqlite2 {

bool fileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

void deleteFile(const std::string& path) {
  if (callUnlessFaulted(FileOperation::kDelete, [&] { return unlink(path.c_str()); }) != 0 &&
      errno != ENOENT)
    throw Error(SQLITE_IOERR);
}

std::string absolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::vector<char> buffer(PATH_MAX);
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) throw Error(SQLITE_CANTOPEN);
    buffer.resize(buffer.size() * 2);
  }
  return std::string(buffer.data()) + "/" + path;
}

std::string directoryOf(const std::string& absolutePath) {
  size_t slash = absolutePath.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : absolutePath.substr(0, slash);
}

void syncDirectory(const std::string& directory) {
  int descriptor = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;  // nothing to sync through; the file data itself is synced
  int result;
  do {
    result = callUnlessFaulted(FileOperation::kDirectorySync, [&] { return fsync(descriptor); });
  } while (result != 0 && errno == EINTR);
  int error = errno;
  close(descriptor);
  if (result != 0 && error != EINVAL && error != EROFS) throw Error(SQLITE_IOERR);
}

}  // namespace sqlite2
