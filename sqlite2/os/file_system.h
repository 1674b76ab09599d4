#pragma once

// Operations on paths rather than on open files. Deleting, reading a whole file and syncing a
// directory ask the fault hook (os/fault_injection.h) first, as the operations on open files
// do. Paths are UTF-8 (wide on Windows underneath).

#include <cstdint>
#include <string>

namespace sqlite2 {

// Whether something exists at the path, following symbolic links.
bool fileExists(const std::string& path);

// Deletes the file; throws Error(SQLITE_IOERR) when it exists and cannot be deleted.
void deleteFile(const std::string& path);
// Deletes the file if it can: for clean-ups that have nobody to report a failure to.
void deleteFileIfPossible(const std::string& path) noexcept;

// Every byte of the file, read from its start to its end: a pipe or a device too, and a
// directory (where the system lets one be opened) reads as empty. Throws
// Error(SQLITE_CANTOPEN) when it cannot be opened and Error(SQLITE_IOERR) when reading fails.
std::string readWholeFile(const std::string& path);

// The folder for temporary files, without a trailing separator: $TMPDIR, or /tmp when it is
// not set; on Windows the system's (GetTempPathW, which follows TMP and TEMP).
std::string temporaryFolder();
// A path in the temporary folder at which nothing exists yet, named as SQLite 2.8 names its
// temporary files. Throws Error(SQLITE_CANTOPEN) when no free name turns up.
std::string freshTemporaryPath();

// The name of the file in the folder.
std::string pathInFolder(const std::string& folder, const std::string& name);

// The path made absolute by prefixing the current directory and "/" to a relative one; it is
// not otherwise normalised. On Windows it is the system's full path name (GetFullPathNameW).
std::string absolutePath(const std::string& path);

// The directory part of an absolute path ("/" for a file in the root; on Windows up to the
// last backslash or slash).
std::string directoryOf(const std::string& absolutePath);

// Makes the directory's entries durable (a file just created or deleted in it). File systems
// that cannot sync a directory are tolerated; other failures throw Error(SQLITE_IOERR).
// Windows has no such call: nothing is done there.
void syncDirectory(const std::string& directory);

// This process's identifier.
uint32_t currentProcessId();

}  // namespace sqlite2
