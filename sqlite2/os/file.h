#pragma once

// An open file with positioned reads and writes: a descriptor on POSIX systems (os/posix/),
// a handle on Windows (os/win/, where a handle fits the same int). Every failure throws
// sqlite2::Error: SQLITE_CANTOPEN when a file cannot be opened, SQLITE_FULL when the disk is
// full, SQLITE_IOERR for any other failing system call. Each operation asks the fault hook
// (os/fault_injection.h) first, so that tests can make it fail as the system call would.
// Paths are UTF-8.
//
// On Windows files are opened as SQLite 2.8 opens them there, so that its programs and ours
// share them: a database shares reading and writing with other handles, a journal or
// temporary file shares nothing; sync() flushes the file's buffers.

#include <sys/uio.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace sqlite2 {

// Identifies a file independently of the path it was opened by.
struct FileIdentity {
  uint64_t device = 0;  // the volume on Windows
  uint64_t inode = 0;   // the file index on Windows
  bool operator<(const FileIdentity& other) const {
    return device != other.device ? device < other.device : inode < other.inode;
  }
  bool operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode;
  }
};

class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens a regular file for reading and writing, creating it with mode 0644 (before the
  // umask) when it does not exist. When it cannot be opened for writing, it is opened
  // read-only instead; isReadOnly() tells which happened.
  static File openReadWrite(const std::string& path);
  static File openReadOnly(const std::string& path);
  // Opens an existing file for reading and writing without a read-only fallback.
  static File openExisting(const std::string& path);
  // Creates a new file with mode 0600, failing when anything exists at the path, a symbolic
  // link included.
  static File createExclusive(const std::string& path);
  // Creates a file for scratch data that disappears when closed: in $TMPDIR (or /tmp), mode
  // 0600 and without a name on POSIX systems; in the temporary folder, deleted on close, on
  // Windows. Throws Error(SQLITE_CANTOPEN) when none can be made.
  static File createTemporary();

  bool isOpen() const { return descriptor_ >= 0; }
  bool isReadOnly() const { return readOnly_; }
  int descriptor() const { return descriptor_; }
  FileIdentity identity() const;

  // Reads up to length bytes at offset; fewer only at the end of the file. Returns the count.
  size_t readAt(uint64_t offset, void* buffer, size_t length) const;
  // Reads into the buffers one after another starting at offset, as readAt does: the count
  // falls short of their total only at the end of the file. At most IOV_MAX buffers.
  size_t readVectorAt(uint64_t offset, const struct iovec* buffers, int count) const;
  void writeAt(uint64_t offset, const void* buffer, size_t length);
  // Writes the buffers one after another starting at offset.
  void writeVectorAt(uint64_t offset, const struct iovec* buffers, int count);
  void sync();
  void truncate(uint64_t size);
  uint64_t size() const;
  // Closes the descriptor now; errors on close are not reported (the data was synced before).
  void close();
  // Deletes the file, which this object made at path with createExclusive(), and closes it. When
  // the file cannot be deleted, throws Error(SQLITE_IOERR) and leaves it open and usable. (Windows
  // deletes a file that is open and shared with nobody only through its own handle.)
  void closeAndDelete(const std::string& path);
  // Gives up ownership of the descriptor without closing it.
  int release();

 private:
  File(int descriptor, bool readOnly) : descriptor_(descriptor), readOnly_(readOnly) {}
  // Takes over a descriptor from open(2); throws SQLITE_CANTOPEN when the open failed or the
  // file is not a regular file.
  static File adoptRegular(int descriptor, bool readOnly);
  int descriptor_ = -1;
  bool readOnly_ = false;
};

}  // namespace sqlite2
