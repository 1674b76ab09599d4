#include "console.h"

namespace orvalen::tools {

std::vector<std::string> utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void showUtf8OnConsole() {}

}  // namespace orvalen::tools
