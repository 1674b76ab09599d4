#include "db/failure_kind.h"

#include "sqlite.h"

FailureKind failureKindOfCode(int code) {
  switch (code) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return FailureKind::kBusy;
    // A statement meets "cannot open" when the journal beside the file cannot be made: the
    // folder is not writable.
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
      return FailureKind::kReadOnly;
    case SQLITE_FULL:
      return FailureKind::kDiskFull;
    case SQLITE_CORRUPT:
      return FailureKind::kCorrupt;
    case SQLITE_NOTADB:
      return FailureKind::kNotPluginFile;
    default:
      return FailureKind::kOther;
  }
}
