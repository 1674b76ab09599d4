#include "editor/whole_file.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace orvalen {

std::optional<std::string> ReadWholeFile(const std::string& utf8Path) {
  std::ifstream file(std::filesystem::u8path(utf8Path), std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream bytes;
  bytes << file.rdbuf();
  if (file.bad()) return std::nullopt;
  return std::move(bytes).str();
}

}  // namespace orvalen
