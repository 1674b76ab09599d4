#pragma once

// Windows' file calls take paths as UTF-16; the engine holds them as UTF-8.

#include <string>

namespace sqlite2 {

// Throws Error(SQLITE_CANTOPEN) when path is not valid UTF-8.
std::wstring widePath(const std::string& path);
std::string utf8Path(const std::wstring& path);

}  // namespace sqlite2
