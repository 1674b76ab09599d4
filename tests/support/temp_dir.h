#pragma once

#include <string>

namespace orvalen::test {

// A fresh directory under $TMPDIR (or the system's temporary folder), removed with everything
// in it when the object goes away. Paths are UTF-8, joined with the system's separator.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // The path of a file inside the directory.
  std::string file(const std::string& name) const;

 private:
  std::string path_;
};

// Whole-file helpers for tests. fileExists() is true for anything at the path (a dangling
// symbolic link is not counted).
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);

}  // namespace orvalen::test
