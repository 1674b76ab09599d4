#pragma once

// Reads a whole database file the way a reader would, for the bad-input tests and the fuzz
// target: every tree named in the schema (and the schema itself) walked forwards and
// backwards, a seek in each, and the integrity check. Errors are collected, not thrown.

#include <string>
#include <vector>

#include "btree/btree.h"

namespace orvalen::test {

struct FileWalk {
  std::vector<sqlite2::PageNumber> roots;  // the schema root first
  size_t entries = 0;
  std::vector<std::string> problems;  // what the integrity check found
  // Errors met on the way, each with its message (the walk goes on after each).
  std::vector<std::pair<int, std::string>> errors;
};

FileWalk walkDatabase(const std::string& path);
// The same through a b-tree already open on the file (read-only), which must hold no lock.
FileWalk walkDatabase(sqlite2::Btree& btree);

// The root pages named by the schema table's rows (the rootpage column of each record).
std::vector<sqlite2::PageNumber> schemaRoots(sqlite2::Btree& btree);

}  // namespace orvalen::test
