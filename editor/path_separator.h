#pragma once

#include <string>

namespace orvalen {

// The position of the last directory separator in a path, or npos when there is none. On
// Windows that is the backslash, or the slash that Windows takes as well; on Linux the
// slash. The root item is named after what follows it.
std::string::size_type lastDirectorySeparator(const std::string& path);

}  // namespace orvalen
