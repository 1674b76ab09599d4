#include <windows.h>

#include <cstdlib>
#include <filesystem>

#include "support/environment.h"

namespace orvalen::test {

// Both the C runtime's copy (getenv) and the process's own (GetEnvironmentVariable, which
// the system calls read, GetTempPath for one).
void setEnvironmentVariable(const std::string& name, const std::string& value) {
  _putenv_s(name.c_str(), value.c_str());
  SetEnvironmentVariableW(std::filesystem::u8path(name).wstring().c_str(),
                          std::filesystem::u8path(value).wstring().c_str());
}

void unsetEnvironmentVariable(const std::string& name) {
  _putenv_s(name.c_str(), "");
  SetEnvironmentVariableW(std::filesystem::u8path(name).wstring().c_str(), nullptr);
}

}  // namespace orvalen::test
