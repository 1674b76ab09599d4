#pragma once

#include <string>

namespace orvalen::app {

// The full path of the running executable: the module file name on Windows, /proc/self/exe
// on Linux. Empty when it cannot be read.
std::string executablePath();

// Everything up to and including the last directory separator of path ('/' on Linux, '\' or
// '/' on Windows); empty when path has none.
std::string directoryOf(const std::string& path);

}  // namespace orvalen::app
