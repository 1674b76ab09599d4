#include "editor/path_separator.h"

namespace orvalen {

std::string::size_type lastDirectorySeparator(const std::string& path) {
  return path.find_last_of("\\/");
}

}  // namespace orvalen
