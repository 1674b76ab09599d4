#include "os/file.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "common/error.h"
#include "common/temporary_name.h"
#include "os/file_system.h"
#include "os/win/system_error.h"
#include "os/win/wide_path.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

// A kernel handle keeps its meaning when cut to 32 bits and sign-extended back, which is
// how Windows passes handles between 32- and 64-bit processes; INVALID_HANDLE_VALUE is -1.
HANDLE handleOf(int descriptor) {
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(descriptor));
}

int descriptorOf(HANDLE handle) {
  return static_cast<int>(reinterpret_cast<intptr_t>(handle));
}

struct OpenRequest {
  DWORD access;
  DWORD share;
  DWORD disposition;
  DWORD attributes = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS;
};

// A database is shared for reading and writing with every other handle; a journal with none.
constexpr DWORD kShareDatabase = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kShareNothing = 0;

HANDLE openHandle(const std::wstring& path, const OpenRequest& request, FileOperation operation) {
  if (faultInjected(operation)) return INVALID_HANDLE_VALUE;
  return CreateFileW(path.c_str(), request.access, request.share, nullptr, request.disposition,
                     request.attributes, nullptr);
}

// Only files on disk hold databases and journals (not consoles, pipes or devices).
int adoptDiskFile(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE) throw Error(SQLITE_CANTOPEN);
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    throw Error(SQLITE_CANTOPEN);
  }
  return descriptorOf(handle);
}

OVERLAPPED at(uint64_t offset) {
  OVERLAPPED position = {};
  position.Offset = static_cast<DWORD>(offset);
  position.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return position;
}

// Reads into buffer at offset; 0 bytes at the end of the file.
DWORD readSome(HANDLE handle, uint64_t offset, uint8_t* buffer, size_t length) {
  if (faultInjected(FileOperation::kRead)) throw Error(SQLITE_IOERR);
  OVERLAPPED position = at(offset);
  DWORD got = 0;
  const DWORD asked = static_cast<DWORD>(std::min<size_t>(length, 1u << 30));
  if (!ReadFile(handle, buffer, asked, &got, &position)) {
    if (GetLastError() == ERROR_HANDLE_EOF) return 0;
    throw Error(SQLITE_IOERR);
  }
  return got;
}

}  // namespace

File File::adoptRegular(int descriptor, bool readOnly) {
  return File(adoptDiskFile(handleOf(descriptor)), readOnly);
}

// Read and write, shared, opened or created; failing that, read-only, shared for reading.
File File::openReadWrite(const std::string& path) {
  const std::wstring wide = widePath(path);
  HANDLE handle = openHandle(wide, {GENERIC_READ | GENERIC_WRITE, kShareDatabase, OPEN_ALWAYS},
                             FileOperation::kOpen);
  if (handle != INVALID_HANDLE_VALUE) return adoptRegular(descriptorOf(handle), false);
  handle = openHandle(wide, {GENERIC_READ, FILE_SHARE_READ, OPEN_ALWAYS}, FileOperation::kOpen);
  return adoptRegular(descriptorOf(handle), true);
}

File File::openReadOnly(const std::string& path) {
  HANDLE handle = openHandle(widePath(path), {GENERIC_READ, kShareDatabase, OPEN_EXISTING},
                             FileOperation::kOpen);
  return adoptRegular(descriptorOf(handle), true);
}

// Journals are reopened for playback only while nobody else may have them open.
File File::openExisting(const std::string& path) {
  HANDLE handle =
      openHandle(widePath(path), {GENERIC_READ | GENERIC_WRITE, kShareNothing, OPEN_EXISTING},
                 FileOperation::kOpen);
  return adoptRegular(descriptorOf(handle), false);
}

// A journal: shared with nobody while it is open, and never over a file that is there
// already. DELETE access lets closeAndDelete() delete it through this handle.
File File::createExclusive(const std::string& path) {
  HANDLE handle =
      openHandle(widePath(path), {GENERIC_READ | GENERIC_WRITE | DELETE, kShareNothing, CREATE_NEW},
                 FileOperation::kCreate);
  return adoptRegular(descriptorOf(handle), false);
}

File File::createTemporary() {
  const std::string folder = temporaryFolder();
  const OpenRequest request{
      GENERIC_READ | GENERIC_WRITE, kShareNothing, CREATE_NEW,
      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_RANDOM_ACCESS | FILE_FLAG_DELETE_ON_CLOSE};
  for (int attempt = 0; attempt < 10; ++attempt) {
    HANDLE handle = openHandle(widePath(pathInFolder(folder, temporaryFileName())), request,
                               FileOperation::kCreate);
    if (handle != INVALID_HANDLE_VALUE) return adoptRegular(descriptorOf(handle), false);
    if (GetLastError() != ERROR_FILE_EXISTS) break;
  }
  throw Error(SQLITE_CANTOPEN);
}

FileIdentity File::identity() const {
  BY_HANDLE_FILE_INFORMATION information;
  if (faultInjected(FileOperation::kFileSize) ||
      !GetFileInformationByHandle(handleOf(descriptor_), &information))
    throw Error(SQLITE_IOERR);
  return FileIdentity{information.dwVolumeSerialNumber,
                      uint64_t(information.nFileIndexHigh) << 32 | information.nFileIndexLow};
}

size_t File::readAt(uint64_t offset, void* buffer, size_t length) const {
  auto* bytes = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < length) {
    DWORD got = readSome(handleOf(descriptor_), offset + done, bytes + done, length - done);
    if (got == 0) break;
    done += got;
  }
  return done;
}

// One read into a buffer of the whole length, then shared out: one call instead of many.
size_t File::readVectorAt(uint64_t offset, const struct iovec* buffers, int count) const {
  size_t total = 0;
  for (int i = 0; i < count; ++i) total += buffers[i].iov_len;
  std::vector<uint8_t> whole(total);
  const size_t got = readAt(offset, whole.data(), total);
  size_t from = 0;
  for (int i = 0; i < count && from < got; ++i) {
    const size_t part = std::min(buffers[i].iov_len, got - from);
    std::copy_n(whole.data() + from, part, static_cast<uint8_t*>(buffers[i].iov_base));
    from += part;
  }
  return got;
}

void File::writeAt(uint64_t offset, const void* buffer, size_t length) {
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  size_t done = 0;
  while (done < length) {
    if (faultInjected(FileOperation::kWrite)) throwWriteError();
    OVERLAPPED position = at(offset + done);
    DWORD put = 0;
    const DWORD asked = static_cast<DWORD>(std::min<size_t>(length - done, 1u << 30));
    if (!WriteFile(handleOf(descriptor_), bytes + done, asked, &put, &position)) throwWriteError();
    // Nothing written without an error: the disk took no more.
    if (put == 0) throw Error(SQLITE_FULL);
    done += put;
  }
}

void File::writeVectorAt(uint64_t offset, const struct iovec* buffers, int count) {
  std::vector<uint8_t> whole;
  for (int i = 0; i < count; ++i) {
    const auto* part = static_cast<const uint8_t*>(buffers[i].iov_base);
    whole.insert(whole.end(), part, part + buffers[i].iov_len);
  }
  writeAt(offset, whole.data(), whole.size());
}

void File::sync() {
  if (faultInjected(FileOperation::kSync) || !FlushFileBuffers(handleOf(descriptor_)))
    throw Error(SQLITE_IOERR);
}

void File::truncate(uint64_t size) {
  if (faultInjected(FileOperation::kTruncate)) throwWriteError();
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  HANDLE handle = handleOf(descriptor_);
  if (!SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) || !SetEndOfFile(handle))
    throwWriteError();
}

uint64_t File::size() const {
  LARGE_INTEGER size;
  if (faultInjected(FileOperation::kFileSize) || !GetFileSizeEx(handleOf(descriptor_), &size))
    throw Error(SQLITE_IOERR);
  return static_cast<uint64_t>(size.QuadPart);
}

void File::close() {
  if (descriptor_ != -1) {
    CloseHandle(handleOf(descriptor_));
    descriptor_ = -1;
  }
}

// Marked for deletion through the handle, which then closes: the file is never shared, so
// no other handle could delete it, and until the mark is set it stays the journal it was.
void File::closeAndDelete(const std::string&) {
  FILE_DISPOSITION_INFO disposition = {};
  disposition.DeleteFile = TRUE;
  if (faultInjected(FileOperation::kDelete) ||
      !SetFileInformationByHandle(handleOf(descriptor_), FileDispositionInfo, &disposition,
                                  sizeof disposition))
    throw Error(SQLITE_IOERR);
  close();
}

int File::release() {
  int descriptor = descriptor_;
  descriptor_ = -1;
  return descriptor;
}

}  // namespace sqlite2
