#include "os/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "common/error.h"
#include "os/fault_injection.h"
#include "os/file_system.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

// A disk, quota or file-size limit that is reached means the database cannot grow: full.
[[noreturn]] void throwWriteError(int error) {
  bool full = error == ENOSPC || error == EDQUOT || error == EFBIG;
  throw Error(full ? SQLITE_FULL : SQLITE_IOERR);
}

int openRetrying(const std::string& path, int flags, mode_t mode, FileOperation operation) {
  int descriptor;
  do {
    descriptor =
        callUnlessFaulted(operation, [&] { return ::open(path.c_str(), flags | O_CLOEXEC, mode); });
  } while (descriptor < 0 && errno == EINTR);
  return descriptor;
}

// Only regular files hold databases and journals; a directory opens read-only on Linux and
// would fail later with a confusing error.
bool isRegularFile(int descriptor) {
  struct stat info;
  return fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
}

bool isPermissionError(int error) {
  return error == EACCES || error == EPERM || error == EROFS || error == ETXTBSY;
}

}  // namespace

File File::adoptRegular(int descriptor, bool readOnly) {
  if (descriptor < 0) throw Error(SQLITE_CANTOPEN);
  if (!isRegularFile(descriptor)) {
    ::close(descriptor);
    throw Error(SQLITE_CANTOPEN);
  }
  return File(descriptor, readOnly);
}

File File::openReadWrite(const std::string& path) {
  int descriptor = openRetrying(path, O_RDWR | O_CREAT, 0644, FileOperation::kOpen);
  if (descriptor < 0 && isPermissionError(errno)) return openReadOnly(path);
  return adoptRegular(descriptor, false);
}

File File::openReadOnly(const std::string& path) {
  return adoptRegular(openRetrying(path, O_RDONLY, 0, FileOperation::kOpen), true);
}

File File::openExisting(const std::string& path) {
  return adoptRegular(openRetrying(path, O_RDWR, 0, FileOperation::kOpen), false);
}

File File::createExclusive(const std::string& path) {
  int descriptor =
      openRetrying(path, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0600, FileOperation::kCreate);
  if (descriptor < 0) throw Error(SQLITE_CANTOPEN);
  return File(descriptor, false);
}

File File::createTemporary() {
  std::string pattern = pathInFolder(temporaryFolder(), "orvalen-XXXXXX");
  int descriptor = callUnlessFaulted(FileOperation::kCreate,
                                     [&] { return mkostemp(pattern.data(), O_CLOEXEC); });
  if (descriptor < 0) throw Error(SQLITE_CANTOPEN);
  unlink(pattern.c_str());
  return File(descriptor, false);
}

FileIdentity File::identity() const {
  struct stat info;
  if (callUnlessFaulted(FileOperation::kFileSize, [&] { return fstat(descriptor_, &info); }) != 0)
    throw Error(SQLITE_IOERR);
  return FileIdentity{info.st_dev, info.st_ino};
}

size_t File::readAt(uint64_t offset, void* buffer, size_t length) const {
  auto* bytes = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < length) {
    ssize_t got = callUnlessFaulted(FileOperation::kRead, [&] {
      return pread(descriptor_, bytes + done, length - done, static_cast<off_t>(offset + done));
    });
    if (got < 0) {
      if (errno == EINTR) continue;
      throw Error(SQLITE_IOERR);
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

size_t File::readVectorAt(uint64_t offset, const struct iovec* buffers, int count) const {
  size_t expected = 0;
  for (int i = 0; i < count; ++i) expected += buffers[i].iov_len;
  ssize_t got;
  do {
    got = callUnlessFaulted(FileOperation::kRead, [&] {
      return preadv(descriptor_, buffers, count, static_cast<off_t>(offset));
    });
  } while (got < 0 && errno == EINTR);
  if (got < 0) throw Error(SQLITE_IOERR);
  size_t done = static_cast<size_t>(got);
  if (done == expected || done == 0) return done;
  // A short read: the end of the file, or a signal. Finish buffer by buffer, which tells them
  // apart.
  size_t skip = done;
  uint64_t position = offset;
  for (int i = 0; i < count; ++i) {
    size_t length = buffers[i].iov_len;
    size_t already = skip < length ? skip : length;
    skip -= already;
    if (already < length) {
      auto* base = static_cast<uint8_t*>(buffers[i].iov_base);
      size_t more = readAt(position + already, base + already, length - already);
      done += more;
      if (already + more < length) break;
    }
    position += length;
  }
  return done;
}

void File::writeAt(uint64_t offset, const void* buffer, size_t length) {
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  size_t done = 0;
  while (done < length) {
    ssize_t put = callUnlessFaulted(FileOperation::kWrite, [&] {
      return pwrite(descriptor_, bytes + done, length - done, static_cast<off_t>(offset + done));
    });
    if (put < 0) {
      if (errno == EINTR) continue;
      throwWriteError(errno);
    }
    if (put == 0) throwWriteError(ENOSPC);
    done += static_cast<size_t>(put);
  }
}

void File::writeVectorAt(uint64_t offset, const struct iovec* buffers, int count) {
  while (count > 0) {
    int batch = count < IOV_MAX ? count : IOV_MAX;
    size_t expected = 0;
    for (int i = 0; i < batch; ++i) expected += buffers[i].iov_len;
    ssize_t put = callUnlessFaulted(FileOperation::kWrite, [&] {
      return pwritev(descriptor_, buffers, batch, static_cast<off_t>(offset));
    });
    if (put < 0 && errno != EINTR) throwWriteError(errno);
    if (put < 0 || static_cast<size_t>(put) != expected) {
      // Interrupted or partial: finish this batch buffer by buffer, which handles both.
      size_t skip = put < 0 ? 0 : static_cast<size_t>(put);
      uint64_t position = offset;
      for (int i = 0; i < batch; ++i) {
        size_t length = buffers[i].iov_len;
        size_t already = skip < length ? skip : length;
        skip -= already;
        const auto* base = static_cast<const uint8_t*>(buffers[i].iov_base);
        if (already < length) writeAt(position + already, base + already, length - already);
        position += length;
      }
    }
    offset += expected;
    buffers += batch;
    count -= batch;
  }
}

void File::sync() {
  while (callUnlessFaulted(FileOperation::kSync, [&] { return fsync(descriptor_); }) != 0) {
    if (errno != EINTR) throw Error(SQLITE_IOERR);
  }
}

void File::truncate(uint64_t size) {
  while (callUnlessFaulted(FileOperation::kTruncate,
                           [&] { return ftruncate(descriptor_, static_cast<off_t>(size)); }) != 0) {
    if (errno != EINTR) throwWriteError(errno);
  }
}

uint64_t File::size() const {
  struct stat info;
  if (callUnlessFaulted(FileOperation::kFileSize, [&] { return fstat(descriptor_, &info); }) != 0)
    throw Error(SQLITE_IOERR);
  return static_cast<uint64_t>(info.st_size);
}

void File::close() {
  if (descriptor_ >= 0) {
    ::close(descriptor_);
    descriptor_ = -1;
  }
}

void File::closeAndDelete(const std::string& path) {
  deleteFile(path);
  close();
}

int File::release() {
  int descriptor = descriptor_;
  descriptor_ = -1;
  return descriptor;
}

}  // namespace sqlite2
