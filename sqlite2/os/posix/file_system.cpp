#include "os/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
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

void deleteFileIfPossible(const std::string& path) noexcept {
  try {
    deleteFile(path);
  } catch (const Error&) {
    // Left behind: a stray file in its folder is all that comes of it.
  }
}

namespace {

// A read that fails as a directory's does is the end of data, as the reference library's
// COPY finds it.
ssize_t readSome(int descriptor, char* buffer, size_t size) {
  ssize_t got;
  do {
    got = callUnlessFaulted(FileOperation::kRead, [&] { return ::read(descriptor, buffer, size); });
  } while (got < 0 && errno == EINTR);
  if (got < 0 && errno == EISDIR) return 0;
  return got;
}

}  // namespace

std::string readWholeFile(const std::string& path) {
  int descriptor;
  do {
    descriptor = callUnlessFaulted(FileOperation::kOpen,
                                   [&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); });
  } while (descriptor < 0 && errno == EINTR);
  if (descriptor < 0) throw Error(SQLITE_CANTOPEN);
  std::string bytes;
  char buffer[1 << 16];
  ssize_t got;
  while ((got = readSome(descriptor, buffer, sizeof buffer)) > 0) {
    bytes.append(buffer, static_cast<size_t>(got));
  }
  close(descriptor);
  if (got < 0) throw Error(SQLITE_IOERR);
  return bytes;
}

std::string temporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  std::string path = folder && *folder ? folder : "/tmp";
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string pathInFolder(const std::string& folder, const std::string& name) {
  return folder == "/" ? folder + name : folder + "/" + name;
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

uint32_t currentProcessId() {
  return static_cast<uint32_t>(getpid());
}

}  // namespace sqlite2
