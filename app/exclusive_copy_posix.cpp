#include "exclusive_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "executable_path.h"

namespace orvalen::app {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now, reporting whether the last buffered write made it.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool copyContents(int from, int to) {
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    const ssize_t got = ::read(from, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!writeAll(to, buffer.data(), static_cast<std::size_t>(got))) return false;
  }
}

// mkstemp makes the file readable by its owner only; the copy should get the permissions any
// newly created file gets.
void giveUsualPermissions(int fd) {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
}

// Fills a fresh temporary file in the target's folder with the source's bytes and returns its
// path, or an empty string (and no file) when that fails.
std::string writeTemporaryCopy(int source, const std::string& target) {
  std::string pattern = directoryOf(target) + ".orvalen-copy-XXXXXX";
  if (directoryOf(target).empty()) pattern = ".orvalen-copy-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  FileDescriptor temporary(::mkstemp(name.data()));
  if (!temporary.valid()) return {};
  giveUsualPermissions(temporary.get());
  const bool written = copyContents(source, temporary.get()) && ::fsync(temporary.get()) == 0;
  if (!temporary.close() || !written) {
    ::unlink(name.data());
    return {};
  }
  return name.data();
}

// Some file systems have no hard links; there the target is created exclusively and filled,
// and removed again if filling it fails.
CopyOutcome copyIntoExclusiveTarget(const std::string& temporary, const std::string& target) {
  FileDescriptor from(::open(temporary.c_str(), O_RDONLY | O_CLOEXEC));
  FileDescriptor to(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!to.valid())
    return errno == EEXIST ? CopyOutcome::kTargetExists : CopyOutcome::kTargetUnwritable;
  const bool copied = from.valid() && copyContents(from.get(), to.get()) && ::fsync(to.get()) == 0;
  if (!to.close() || !copied) {
    ::unlink(target.c_str());
    return CopyOutcome::kTargetUnwritable;
  }
  return CopyOutcome::kCopied;
}

}  // namespace

CopyOutcome copyToNewFile(const std::string& source, const std::string& target) {
  FileDescriptor from(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (!from.valid()) return CopyOutcome::kSourceUnreadable;
  struct stat info {};
  if (::fstat(from.get(), &info) != 0 || !S_ISREG(info.st_mode))
    return CopyOutcome::kSourceUnreadable;
  if (::lstat(target.c_str(), &info) == 0) return CopyOutcome::kTargetExists;

  const std::string temporary = writeTemporaryCopy(from.get(), target);
  if (temporary.empty()) return CopyOutcome::kTargetUnwritable;
  CopyOutcome outcome = CopyOutcome::kCopied;
  if (::link(temporary.c_str(), target.c_str()) != 0) {
    outcome =
        errno == EEXIST ? CopyOutcome::kTargetExists : copyIntoExclusiveTarget(temporary, target);
  }
  ::unlink(temporary.c_str());
  return outcome;
}

}  // namespace orvalen::app
