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

}  // namespace orvalen::app
