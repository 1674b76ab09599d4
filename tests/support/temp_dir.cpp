#include "support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace orvalen::test {

namespace fs = std::filesystem;

namespace {

// $TMPDIR where it is set, else the system's temporary folder (/tmp, or %TEMP% on Windows).
fs::path temporaryBase() {
  const char* base = std::getenv("TMPDIR");
  return base && *base ? fs::u8path(base) : fs::temp_directory_path();
}

}  // namespace

TempDir::TempDir() {
  const fs::path base = temporaryBase();
  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<int> letter(0, 25);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = "orvalen-test-";
    for (int i = 0; i < 8; ++i) name += static_cast<char>('a' + letter(random));
    std::error_code error;
    if (fs::create_directory(base / name, error)) {
      fs::permissions(base / name, fs::perms::owner_all, error);  // the tests' own
      path_ = (base / name).u8string();
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder in " + base.u8string());
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Tests make folders read-only to provoke failures; give the permissions back first.
  const fs::path root = fs::u8path(path_);
  for (auto it = fs::recursive_directory_iterator(root, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored)) fs::permissions(it->path(), fs::perms::owner_all, ignored);
  }
  fs::permissions(root, fs::perms::owner_all, ignored);
  fs::remove_all(root, ignored);
}

std::string TempDir::file(const std::string& name) const {
  return path_ + static_cast<char>(fs::path::preferred_separator) + name;
}

std::string readFile(const std::string& path) {
  std::ifstream in(fs::u8path(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(fs::u8path(path), std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool fileExists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(fs::u8path(path), ignored);
}

}  // namespace orvalen::test
