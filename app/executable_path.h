#pragma once

#include <string>

namespace orvalen::app {

// The full path of the running executable, read from /proc/self/exe; empty when it cannot be
// read.
std::string executablePath();

// Everything up to and including the last '/' of path; empty when path has no '/'.
std::string directoryOf(const std::string& path);

}  // namespace orvalen::app
