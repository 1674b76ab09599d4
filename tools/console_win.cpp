#include <windows.h>

#include <shellapi.h>

#include <string_view>

#include "console.h"
#include "text/utf16.h"

namespace orvalen::tools {
namespace {

// A wchar_t is a UTF-16 unit on Windows.
std::string toUtf8(const wchar_t* wide) {
  const std::wstring_view units(wide);
  return text::utf8FromUtf16(std::u16string(units.begin(), units.end()));
}

}  // namespace

std::vector<std::string> utf8Arguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(toUtf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

void showUtf8OnConsole() {
  SetConsoleOutputCP(CP_UTF8);
}

}  // namespace orvalen::tools
