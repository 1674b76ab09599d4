#include <cstdlib>

#include "support/environment.h"

namespace orvalen::test {

void setEnvironmentVariable(const std::string& name, const std::string& value) {
  setenv(name.c_str(), value.c_str(), 1);
}

void unsetEnvironmentVariable(const std::string& name) {
  unsetenv(name.c_str());
}

}  // namespace orvalen::test
