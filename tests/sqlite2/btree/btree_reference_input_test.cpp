// Files that are not sound databases give the reference library's code and text, where the
// reference itself behaves soundly.

#include <gtest/gtest.h>

#include "btree/btree.h"
#include "btree_test_util.h"
#include "file_walk.h"
#include "sqlite.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"

namespace sqlite2 {
namespace {

using orvalen::test::readFile;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

// The reference's open (and first read) message for the file, "" when it reads it.
std::string referenceFailure(const std::string& path) {
  try {
    orvalen::test::referenceQuery(path, "SELECT count(*) FROM sqlite_master");
    return "";
  } catch (const std::runtime_error& error) {
    std::string text = error.what();
    return text.substr(text.find(": ") + 2);
  }
}

std::string ourFailure(const std::string& path) {
  orvalen::test::FileWalk walk = orvalen::test::walkDatabase(path);
  return walk.errors.empty() ? "" : walk.errors.front().second;
}

TEST(BtreeReferenceInput, RandomBytesAndSqlite3FilesAreNotDatabasesInBoth) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  TempDir dir;
  std::string path = dir.file("bad.db");
  std::string random(8192, '\0');
  uint32_t state = 777;
  for (char& c : random) {
    state = state * 1664525 + 1013904223;
    c = static_cast<char>(state >> 24);
  }
  std::string sqlite3 = std::string("SQLite format 3", 16);
  sqlite3 += std::string("\x04\x00\x01\x01\x00\x40\x20\x20", 8);
  sqlite3.resize(4096, '\0');
  sqlite3[100] = 0x0D;  // an empty table leaf on page 1
  for (const std::string& content : {random, sqlite3}) {
    writeFile(path, content);
    EXPECT_EQ(referenceFailure(path), "file is encrypted or is not a database");
    writeFile(path, content);
    EXPECT_EQ(ourFailure(path), "file is encrypted or is not a database");
    EXPECT_EQ(readFile(path), content);
  }
}

TEST(BtreeReferenceInput, SwappedMagicOverLittleEndianContentIsCorruptInBoth) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  TempDir dir;
  std::string path = dir.file("swapped.db");
  orvalen::test::referenceQuery(path, "CREATE TABLE t(a); INSERT INTO t VALUES(1);");
  std::string file = readFile(path);
  std::swap(file[48], file[51]);
  std::swap(file[49], file[50]);
  writeFile(path, file);
  EXPECT_EQ(referenceFailure(path), "database disk image is malformed");
  writeFile(path, file);
  EXPECT_EQ(ourFailure(path), "database disk image is malformed");
  EXPECT_EQ(readFile(path), file);
}

}  // namespace
}  // namespace sqlite2
