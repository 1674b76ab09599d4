#pragma once

// Operations on paths rather than on open files. Deleting and syncing a directory ask the
// fault hook (os/fault_injection.h) first, as the operations on open files do.

#include <string>

namespace sqlite2 {

// Whether something exists at the path, following symbolic links.
bool fileExists(const std::string& path);

// Deletes the file; throws Error(SQLITE_IOERR) when it exists and cannot be deleted.
void deleteFile(const std::string& path);

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

}  // namespace sqlite2
