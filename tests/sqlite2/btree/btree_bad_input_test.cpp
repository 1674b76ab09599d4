// Damaged files: every byte of a small database changed in turn, and the file cut short. Each
// read must end in a clean error (or succeed), never crash, hang or write.

#include <algorithm>

#include <gtest/gtest.h>

#include "btree/btree.h"
#include "btree_test_util.h"
#include "common/error.h"
#include "file_walk.h"
#include "record/index_key.h"
#include "record/row_record.h"
#include "record/table_key.h"
#include "sqlite.h"
#include "sqlite2/error_code_of.h"
#include "support/temp_dir.h"

namespace sqlite2 {
namespace {

using orvalen::test::FileWalk;
using orvalen::test::readFile;
using orvalen::test::TempDir;
using orvalen::test::walkDatabase;
using orvalen::test::writeFile;

// A table with an index, one row with overflow pages and one free page.
std::string smallDatabase(const std::string& path) {
  auto btree = Btree::open(path, {});
  btree->beginTransaction();
  PageNumber table = btree->createTree();
  PageNumber index = btree->createTree();
  orvalen::test::insertSchemaRow(*btree, 1, "table", "t", "t", table, "CREATE TABLE t(a, b)");
  orvalen::test::insertSchemaRow(*btree, 2, "index", "i", "t", index, "CREATE INDEX i ON t(a)");
  Cursor rows(*btree, table, true);
  Cursor keys(*btree, index, true);
  for (int32_t row = 1; row <= 12; ++row) {
    std::vector<Value> values = {std::to_string(row * 7), row == 5 ? std::string(900, 'v') : "w"};
    rows.insert(encodeTableKey(row), encodeRecord(values));
    keys.insert(encodeIndexKey({values[0]}, {false}, row), "");
  }
  PageNumber spare = btree->createTree();
  btree->dropTree(spare);
  btree->commit();
  return readFile(path);
}

void expectCleanOutcome(const FileWalk& walk, const std::string& context) {
  for (const auto& [code, message] : walk.errors) {
    EXPECT_TRUE(code == SQLITE_CORRUPT || code == SQLITE_NOTADB) << context << ": " << code;
    EXPECT_EQ(message, resultCodeText(code)) << context;
  }
}

TEST(BtreeBadInput, TheUndamagedFileIsSound) {
  TempDir dir;
  std::string path = dir.file("small.db");
  std::string original = smallDatabase(path);
  EXPECT_EQ(original.size(), 6u * kPageSize);  // with one overflow page
  FileWalk walk = walkDatabase(path);
  EXPECT_TRUE(walk.errors.empty());
  EXPECT_TRUE(walk.problems.empty());
  EXPECT_EQ(walk.roots, (std::vector<PageNumber>{2, 3, 4}));
  EXPECT_EQ(walk.entries, 2u * (2 + 12 + 12));
}

TEST(BtreeBadInput, EveryDamagedByteGivesACleanErrorAndNoWrite) {
  TempDir dir;
  std::string path = dir.file("small.db");
  const std::string original = smallDatabase(path);
  // One b-tree for all the variants: between walks it holds no lock, so it must take each
  // rewritten file afresh, as it must for changes made by other processes.
  PagerOptions readOnly;
  readOnly.readOnly = true;
  auto btree = Btree::open(path, readOnly);
  for (size_t offset = 0; offset < original.size(); ++offset) {
    auto byte = static_cast<uint8_t>(original[offset]);
    for (uint8_t value : {uint8_t{0}, static_cast<uint8_t>(byte ^ 0xA5)}) {
      if (value == byte) continue;
      std::string damaged = original;
      damaged[offset] = static_cast<char>(value);
      writeFile(path, damaged);
      FileWalk walk = walkDatabase(*btree);
      std::string context = "byte " + std::to_string(offset) + " = " + std::to_string(value);
      expectCleanOutcome(walk, context);
      if (offset < 52) {
        ASSERT_FALSE(walk.errors.empty()) << context;
        EXPECT_EQ(walk.errors.front().first, SQLITE_NOTADB) << context;
      }
      // The file header and the page headers of the trees are never damaged unnoticed.
      size_t page = offset / kPageSize + 1;
      bool header = offset < 60 || (page >= 2 && page <= 4 && offset % kPageSize < 8);
      bool noticed = !walk.errors.empty() || !walk.problems.empty();
      if (header) {
        EXPECT_TRUE(noticed) << context;
      }
      ASSERT_EQ(readFile(path), damaged) << context;
    }
  }
}

TEST(BtreeBadInput, AFileCutShortIsCorruptNotEmpty) {
  TempDir dir;
  std::string path = dir.file("small.db");
  const std::string original = smallDatabase(path);
  for (size_t size = kPageSize; size < original.size(); size += kPageSize / 2) {
    std::string cut = original.substr(0, size);
    writeFile(path, cut);
    FileWalk walk = walkDatabase(path);
    expectCleanOutcome(walk, "size " + std::to_string(size));
    bool corrupt = !walk.problems.empty();
    for (const auto& error : walk.errors) corrupt |= error.first == SQLITE_CORRUPT;
    EXPECT_TRUE(corrupt) << "size " << size;
    // A cut file is never taken for a new one and formatted.
    auto btree = Btree::open(path, {});
    int code = orvalen::test::errorCodeOf([&] { btree->beginTransaction(); });
    if (size < 2 * kPageSize) {
      EXPECT_EQ(code, SQLITE_CORRUPT) << "size " << size;
    }
    if (btree->inTransaction()) btree->rollback();
    btree.reset();
    EXPECT_EQ(readFile(path), cut);
  }
}

TEST(BtreeBadInput, AnEmptyFileIsANewDatabase) {
  TempDir dir;
  std::string path = dir.file("empty.db");
  writeFile(path, "");
  FileWalk walk = walkDatabase(path);
  EXPECT_TRUE(walk.errors.empty());
  EXPECT_TRUE(walk.problems.empty());
  EXPECT_EQ(walk.entries, 0u);
  EXPECT_EQ(readFile(path), "");
}

}  // namespace
}  // namespace sqlite2

namespace sqlite2 {
namespace {

// An overflow chain that leads into another tree must not get that tree's page freed.
TEST(BtreeBadInput, DroppingADamagedTreeFreesNothing) {
  TempDir dir;
  std::string path = dir.file("chain.db");
  PageNumber root = 0;
  {
    auto btree = Btree::open(path, {});
    btree->beginTransaction();
    root = btree->createTree();
    Cursor cursor(*btree, root, true);
    cursor.insert(encodeTableKey(1), std::string(3000, 'o'));
    btree->commit();
  }
  std::string file = readFile(path);
  // The only cell sits at offset 8; its chain pointer follows the local payload.
  size_t pointer = (root - 1) * kPageSize + 8 + 12 + 236;
  file[pointer] = static_cast<char>(kSchemaRoot);
  file[pointer + 1] = file[pointer + 2] = file[pointer + 3] = 0;
  writeFile(path, file);

  auto btree = Btree::open(path, {});
  btree->beginTransaction();
  int32_t freeBefore = btree->readMeta()[0];
  EXPECT_EQ(orvalen::test::errorCodeOf([&] { btree->dropTree(root); }), SQLITE_CORRUPT);
  EXPECT_EQ(btree->readMeta()[0], freeBefore);
  btree->rollback();
  btree.reset();
  EXPECT_EQ(readFile(path), file);
}

}  // namespace
}  // namespace sqlite2

namespace sqlite2 {
namespace {

void put32(std::string& file, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) file[offset + i] = static_cast<char>(value >> (8 * i));
}
void put16(std::string& file, size_t offset, uint16_t value) {
  file[offset] = static_cast<char>(value);
  file[offset + 1] = static_cast<char>(value >> 8);
}

// Pages 3..33 each hold one entry and send both of their children to the next page, so a
// walk would meet 2^30 entries: such a walk must end as corrupt, and soon.
TEST(BtreeBadInput, TreesSharingPagesBetweenBranchesDoNotWalkForever) {
  TempDir dir;
  std::string path = dir.file("shared.db");
  {
    auto btree = Btree::open(path, {});
    btree->beginTransaction();
    btree->commit();
  }
  std::string file = readFile(path);
  const PageNumber first = 3;
  const PageNumber leaf = 33;
  file.resize(leaf * kPageSize, '\0');
  for (PageNumber page = first; page <= leaf; ++page) {
    size_t base = (page - 1) * kPageSize;
    PageNumber child = page == leaf ? 0 : page + 1;
    put32(file, base, child);      // right child
    put16(file, base + 4, 8);      // first cell
    put16(file, base + 6, 24);     // first free block
    put32(file, base + 8, child);  // the cell's left child
    put16(file, base + 12, 4);     // key size
    std::string key = encodeTableKey(static_cast<int32_t>(page));
    file.replace(base + 20, 4, key);
    put16(file, base + 24, kPageSize - 24);
  }
  writeFile(path, file);
  auto btree = Btree::open(path, {});
  Cursor cursor(*btree, first, false);
  EXPECT_EQ(orvalen::test::errorCodeOf([&] {
              for (bool on = cursor.first(); on; on = cursor.next()) {
              }
            }),
            SQLITE_CORRUPT);
  EXPECT_EQ(orvalen::test::errorCodeOf([&] {
              for (bool on = cursor.last(); on; on = cursor.previous()) {
              }
            }),
            SQLITE_CORRUPT);
  std::vector<std::string> problems = btree->checkIntegrity({first});
  EXPECT_NE(std::find(problems.begin(), problems.end(),
                      "On page 3 at right child: 2nd reference to page 4"),
            problems.end());
}

}  // namespace
}  // namespace sqlite2
