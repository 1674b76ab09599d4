// libFuzzer target: the input is a database file. It is opened read-only with our b-tree,
// every tree named by the schema is walked both ways and the integrity check runs. Any error
// must be a clean sqlite2::Error (collected by the walk); crashes, hangs, leaks and
// out-of-range accesses are what the fuzzer and the sanitizers look for.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "file_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/orvalen-btree-fuzz-" + std::to_string(getpid()) + ".db";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);
  orvalen::test::walkDatabase(path);
  return 0;
}
