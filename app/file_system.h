#pragma once

// The few questions start-up asks of the file system, for paths in UTF-8.

#include <string>

namespace orvalen::app {

// Whether anything is at path, a link that leads nowhere included.
bool pathExists(const std::string& path);
// Whether path names a regular file (following links).
bool isRegularFile(const std::string& path);
// Removes the file at path if there is one; failures are ignored.
void removeFile(const std::string& path);
// The path from the root, for one given relative to the current folder (on the command line);
// an absolute path, or one that cannot be resolved, as it is.
std::string absolutePath(const std::string& path);

}  // namespace orvalen::app
