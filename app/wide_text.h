#pragma once

// Windows takes paths as UTF-16; the program holds them as UTF-8.

#include <string>

namespace orvalen::app {

std::wstring toWide(const std::string& utf8);
std::string toUtf8(const std::wstring& wide);

}  // namespace orvalen::app
