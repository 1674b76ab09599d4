// The bytes the b-tree writes: a new file's first pages, the documented example file, meta
// values, and the refusal to touch files that are not databases.

#include <gtest/gtest.h>

#include "btree/btree.h"
#include "btree_test_util.h"
#include "record/row_record.h"
#include "record/table_key.h"
#include "sqlite.h"
#include "sqlite2/error_code_of.h"
#include "support/temp_dir.h"

namespace sqlite2 {
namespace {

using orvalen::test::errorCodeOf;
using orvalen::test::readFile;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

std::string page(const std::string& file, size_t number) {
  return file.substr((number - 1) * kPageSize, kPageSize);
}

const std::string kHeader = std::string("** This file contains an SQLite 2.1 database **") +
                            std::string(1, '\0') + bytes({0x28, 0x75, 0xE3, 0xDA});

TEST(BtreeFormat, AnEmptyTransactionFormatsANewFile) {
  TempDir dir;
  std::string path = dir.file("new.db");
  auto btree = Btree::open(path, {});
  {
    Cursor schema(*btree, kSchemaRoot, false);
    EXPECT_FALSE(schema.first());
  }
  btree->beginTransaction();
  btree->commit();
  std::string file = readFile(path);
  ASSERT_EQ(file.size(), 2048u);
  EXPECT_EQ(file.substr(0, 52), kHeader);
  EXPECT_EQ(file.substr(52, 1024 - 52), std::string(1024 - 52, '\0'));
  // rightChild 0, no cells, one free block of 1016 bytes at offset 8.
  EXPECT_EQ(page(file, 2).substr(0, 12), bytes({0, 0, 0, 0, 0, 0, 8, 0, 0xF8, 3, 0, 0}));
}

// Two pages of the example file of the format notes: the schema row and one table row.
TEST(BtreeFormat, WritesTheDocumentedExampleByteForByte) {
  TempDir dir;
  std::string path = dir.file("example.db");
  auto btree = Btree::open(path, {});
  btree->beginTransaction();
  PageNumber root = btree->createTree();
  ASSERT_EQ(root, 3u);
  orvalen::test::insertSchemaRow(*btree, 1, "table", "t", "t", root, "create table t(a,b)");
  {
    Cursor table(*btree, root, true);
    table.insert(encodeTableKey(1), encodeRecord({"1", "x"}));
  }
  MetaValues meta = btree->readMeta();
  meta[1] = 0x55;
  meta[2] = 4;
  btree->writeMeta(meta);
  btree->commit();

  std::string file = readFile(path);
  ASSERT_EQ(file.size(), 3072u);
  EXPECT_EQ(file.substr(0, 68),
            kHeader + bytes({0, 0, 0, 0, 0, 0, 0, 0, 0x55, 0, 0, 0, 4, 0, 0, 0}));
  std::string schema = page(file, 2);
  EXPECT_EQ(schema.substr(0, 24), bytes({0, 0, 0, 0, 8, 0, 0x40, 0, 0,    0, 0, 0,
                                         4, 0, 0, 0, 0, 0, 0x26, 0, 0x80, 0, 0, 1}));
  EXPECT_EQ(schema.substr(24, 38),
            bytes({6, 0x0C, 0x0E, 0x10, 0x12, 0x26}) + std::string("table\0t\0t\0"
                                                                   "3\0create table t(a,b)\0",
                                                                   32));
  EXPECT_EQ(schema.substr(64, 4), bytes({0xC0, 3, 0, 0}));
  std::string table = page(file, 3);
  EXPECT_EQ(table.substr(0, 31), bytes({0, 0, 0, 0, 8, 0, 0x20, 0, 0, 0, 0, 0, 4, 0,
                                        0, 0, 0, 0, 7, 0, 0x80, 0, 0, 1, 3, 5, 7}) +
                                     std::string("1\0x\0", 4));
  EXPECT_EQ(table.substr(32, 4), bytes({0xE0, 3, 0, 0}));
}

TEST(BtreeFormat, MetaValuesRoundTripAndSurviveReopening) {
  TempDir dir;
  std::string path = dir.file("meta.db");
  {
    auto btree = Btree::open(path, {});
    EXPECT_EQ(btree->readMeta(), MetaValues{});
    btree->beginTransaction();
    MetaValues meta{};
    for (size_t i = 0; i < meta.size(); ++i) meta[i] = static_cast<int32_t>(i * 1000) - 3000;
    btree->writeMeta(meta);
    btree->commit();
  }
  auto btree = Btree::open(path, {});
  MetaValues meta = btree->readMeta();
  EXPECT_EQ(meta[0], 0);  // the free count is the b-tree's own
  for (size_t i = 1; i < meta.size(); ++i)
    EXPECT_EQ(meta[i], static_cast<int32_t>(i * 1000) - 3000);
}

TEST(BtreeFormat, ChangesOutsideATransactionAreRefused) {
  TempDir dir;
  auto btree = Btree::open(dir.file("x.db"), {});
  EXPECT_EQ(errorCodeOf([&] { btree->createTree(); }), SQLITE_MISUSE);
  btree->beginTransaction();
  btree->commit();
  Cursor cursor(*btree, kSchemaRoot, true);
  EXPECT_EQ(errorCodeOf([&] { cursor.insert("k", "v"); }), SQLITE_MISUSE);
  btree->beginTransaction();
  Cursor readOnly(*btree, kSchemaRoot, false);
  EXPECT_EQ(errorCodeOf([&] { readOnly.insert("k", "v"); }), SQLITE_MISUSE);
  btree->rollback();
}

void expectNotADatabase(const std::string& content) {
  TempDir dir;
  std::string path = dir.file("bad.db");
  writeFile(path, content);
  auto btree = Btree::open(path, {});
  std::string message;
  EXPECT_EQ(errorCodeOf([&] { Cursor(*btree, kSchemaRoot, false); }, &message), SQLITE_NOTADB);
  EXPECT_EQ(message, "file is encrypted or is not a database");
  EXPECT_EQ(errorCodeOf([&] { btree->beginTransaction(); }), SQLITE_NOTADB);
  EXPECT_FALSE(btree->inTransaction());
  EXPECT_EQ(readFile(path), content);
}

TEST(BtreeFormat, FilesThatAreNotDatabasesAreRefusedAndLeftAlone) {
  std::string random;
  uint32_t state = 12345;
  for (int i = 0; i < 4096; ++i) {
    state = state * 1103515245 + 12345;
    random += static_cast<char>(state >> 16);
  }
  expectNotADatabase(random);
  std::string sqlite3 = std::string("SQLite format 3", 16) + bytes({4, 0, 1, 1, 0, 64, 32, 32});
  sqlite3.resize(2048, '\0');
  expectNotADatabase(sqlite3);
  // Shorter than a page but not empty: never taken for a new database.
  expectNotADatabase(random.substr(0, 500));
  expectNotADatabase(kHeader);
  // The right text with a wrong magic.
  std::string wrongMagic = kHeader;
  wrongMagic[50] = 0;
  wrongMagic.resize(2048, '\0');
  expectNotADatabase(wrongMagic);
}

}  // namespace
}  // namespace sqlite2
