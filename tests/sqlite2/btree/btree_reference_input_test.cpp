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

namespace sqlite2 {
namespace {

// Our integrity report in the reference's output form.
std::string ourIntegrity(const std::string& path) {
  auto btree = Btree::open(path, {});
  std::vector<PageNumber> roots = {kSchemaRoot};
  for (PageNumber root : orvalen::test::schemaRoots(*btree)) roots.push_back(root);
  std::string problems = orvalen::test::integrityProblems(*btree, roots);
  return problems.empty() ? "ok" : "*** in database main ***\n" + problems;
}

std::string patched(std::string file, size_t offset, std::initializer_list<int> bytes) {
  for (int b : bytes) file[offset++] = static_cast<char>(b);
  return file;
}

TEST(BtreeReferenceInput, IntegrityReportsMatchTheReferenceWording) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  TempDir dir;
  std::string path = dir.file("check.db");
  // Table root 3 with children, and a free-list trunk holding several leaves.
  std::string sql = "CREATE TABLE t(a); BEGIN;";
  for (int i = 1; i <= 300; ++i) {
    sql += "INSERT INTO t VALUES('" + std::string(40, 'x') + std::to_string(i) + "');";
  }
  sql += "COMMIT; DELETE FROM t WHERE rowid > 100 AND rowid < 200;";
  orvalen::test::referenceQuery(path, sql);
  const std::string file = readFile(path);
  auto u32 = [&](size_t offset) {
    const auto* b = reinterpret_cast<const uint8_t*>(file.data() + offset);
    return size_t{b[0]} | size_t{b[1]} << 8 | size_t{b[2]} << 16 | size_t{b[3]} << 24;
  };
  const size_t trunk = (u32(52) - 1) * kPageSize;
  ASSERT_GT(u32(trunk + 4), 1u);
  const size_t root = 2 * kPageSize;
  ASSERT_NE(u32(root), 0u);  // an interior root
  int freeCount = static_cast<int>(u32(56));
  std::vector<std::string> damaged = {
      file,
      patched(file, 56, {freeCount + 1}),       // free list short of its count
      patched(file, trunk + 8, {3, 0, 0, 0}),   // a tree root on the free list
      patched(file, trunk + 8, {99, 0, 0, 0}),  // a free page past the end
      patched(file, root + 8, {99, 0, 0, 0}),   // a first cell's child past the end
      patched(file, root, {99, 0, 0, 0}),       // right child past the end
      patched(file, root + 6, {0, 0}),          // free blocks lost: bad page
  };
  for (size_t i = 0; i < damaged.size(); ++i) {
    writeFile(path, damaged[i]);
    std::string expected = orvalen::test::referenceIntegrity(path);
    writeFile(path, damaged[i]);
    EXPECT_EQ(ourIntegrity(path), expected) << "case " << i;
  }

  // Overflow chains: one cut short, one leading back into the tree.
  orvalen::test::referenceQuery(
      path + "2", "CREATE TABLE t(a); INSERT INTO t VALUES('" + std::string(3000, 'y') + "');");
  const std::string overflow = readFile(path + "2");
  for (int next : {0, 3}) {
    writeFile(path, patched(overflow, 3 * kPageSize, {next}));
    std::string expected = orvalen::test::referenceIntegrity(path);
    writeFile(path, patched(overflow, 3 * kPageSize, {next}));
    EXPECT_EQ(ourIntegrity(path), expected) << "next " << next;
  }
}

}  // namespace
}  // namespace sqlite2
