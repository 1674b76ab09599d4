#include <wx/app.h>

#include "command_line.h"

namespace orvalen::app {
namespace {

std::vector<std::string>& arguments() {
  static std::vector<std::string> kept;
  return kept;
}

}  // namespace

const std::vector<std::string>& commandLineArguments() {
  return arguments();
}

}  // namespace orvalen::app

// The arguments are kept before the toolkit sees them: it converts them in the locale's
// encoding, which may not be that of the file names.
int main(int argc, char** argv) {
  orvalen::app::arguments().assign(argv + 1, argv + argc);
  return wxEntry(argc, argv);
}
