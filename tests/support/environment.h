#pragma once

// Changing the process's environment in tests, on every platform.

#include <string>

namespace orvalen::test {

void setEnvironmentVariable(const std::string& name, const std::string& value);
void unsetEnvironmentVariable(const std::string& name);

}  // namespace orvalen::test
