// Files in both directions between our storage layer and the reference SQLite 2.8: ours must
// open there, check `ok` and return exactly the rows written (also through the indexes); its
// files, in either byte order, must read back exactly through our cursors.

#include <map>
#include <random>

#include <gtest/gtest.h>

#include "btree/btree.h"
#include "btree_test_util.h"
#include "file_walk.h"
#include "record/index_key.h"
#include "record/row_record.h"
#include "record/table_key.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"

namespace sqlite2 {
namespace {

using orvalen::test::integrityProblems;
using orvalen::test::readFile;
using orvalen::test::referenceIntegrity;
using orvalen::test::referenceQuery;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

using Rows = std::map<int32_t, std::vector<Value>>;

std::string referenceRow(int32_t row, const std::vector<Value>& values) {
  std::string text = std::to_string(row);
  for (const Value& value : values) text += "|" + value.value_or("");
  return text;
}

std::vector<std::string> referenceRows(const Rows& rows) {
  std::vector<std::string> out;
  for (const auto& [row, values] : rows) out.push_back(referenceRow(row, values));
  return out;
}

// Writes table t(a, b TEXT) with an index on each column through our layers: 12,000 rows, some
// longer than a page, then about 40% deleted at random and one run of 2,000 deleted outright.
Rows writeOurFile(const std::string& path, std::mt19937& random) {
  auto btree = Btree::open(path, {});
  btree->beginTransaction();
  PageNumber table = btree->createTree();
  PageNumber byB = btree->createTree();
  PageNumber byA = btree->createTree();
  orvalen::test::insertSchemaRow(*btree, 1, "table", "t", "t", table, "CREATE TABLE t(a, b TEXT)");
  orvalen::test::insertSchemaRow(*btree, 2, "index", "ib", "t", byB, "CREATE INDEX ib ON t(b)");
  orvalen::test::insertSchemaRow(*btree, 3, "index", "ia", "t", byA, "CREATE INDEX ia ON t(a)");
  const std::vector<bool> textB = {true};
  const std::vector<bool> numericA = {false};
  Rows rows;
  {
    Cursor tableCursor(*btree, table, true);
    Cursor bCursor(*btree, byB, true);
    Cursor aCursor(*btree, byA, true);
    for (int32_t row = 1; row <= 12000; ++row) {
      Value a = row % 50 == 0 ? Value() : Value(std::to_string((row * 37) % 1000 - 300));
      if (row % 7 == 0) a = std::to_string(row % 13) + ".5";
      Value b = "name" + std::to_string(row);
      if (row % 100 == 0) b = std::to_string(row) + std::string(3000 + row % 700, 'A' + row % 26);
      rows[row] = {a, b};
      tableCursor.insert(encodeTableKey(row), encodeRecord(rows[row]));
      bCursor.insert(encodeIndexKey({b}, textB, row), "");
      aCursor.insert(encodeIndexKey({a}, numericA, row), "");
    }
    auto erase = [&](int32_t row) {
      const std::vector<Value>& values = rows.at(row);
      ASSERT_EQ(tableCursor.seek(encodeTableKey(row)), 0);
      tableCursor.remove();
      ASSERT_EQ(bCursor.seek(encodeIndexKey({values[1]}, textB, row)), 0);
      bCursor.remove();
      ASSERT_EQ(aCursor.seek(encodeIndexKey({values[0]}, numericA, row)), 0);
      aCursor.remove();
      rows.erase(row);
    };
    for (int32_t row = 4001; row <= 6000; ++row) erase(row);
    for (int32_t row = 1; row <= 12000; ++row) {
      if (rows.count(row) && random() % 10 < 4) erase(row);
    }
  }
  MetaValues meta = btree->readMeta();
  meta[1] = 117;  // schema cookie
  meta[2] = 4;    // file format
  btree->writeMeta(meta);
  EXPECT_EQ(integrityProblems(*btree, {kSchemaRoot, table, byB, byA}), "");
  EXPECT_GT(btree->readMeta()[0], 100);  // the deletes freed pages
  btree->commit();
  return rows;
}

TEST(BtreeReference, OurFileOpensInTheReferenceWithEveryRow) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  TempDir dir;
  std::string path = dir.file("ours.db");
  std::mt19937 random(99);
  Rows rows = writeOurFile(path, random);
  ASSERT_GT(rows.size(), 5000u);

  EXPECT_EQ(referenceIntegrity(path), "ok");
  EXPECT_EQ(referenceQuery(path, "SELECT rowid, a, b FROM t"), referenceRows(rows));
  // Through the text index.
  for (int32_t row : {1, 100, 3999, 6001, 11999, 12000}) {
    std::vector<std::string> expected;
    if (rows.count(row)) expected.push_back(referenceRow(row, rows[row]));
    std::string b = rows.count(row) ? *rows[row][1] : "name" + std::to_string(row);
    EXPECT_EQ(referenceQuery(path, "SELECT rowid, a, b FROM t WHERE b = '" + b + "'"), expected);
  }
  // Through the numeric index: '2.5' and '2.50' are the same number there.
  std::vector<std::string> expected;
  for (const auto& [row, values] : rows) {
    if (values[0] && *values[0] == "2.5") expected.push_back(std::to_string(row));
  }
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(referenceQuery(path, "SELECT rowid FROM t WHERE a = 2.50 ORDER BY rowid"), expected);
  EXPECT_EQ(referenceQuery(path, "SELECT count(*) FROM t WHERE a < -250"),
            referenceQuery(path, "SELECT count(*) FROM t WHERE a+0 < -250"));
  // The reference can go on writing the file.
  referenceQuery(path, "INSERT INTO t VALUES(1, 'later'); DELETE FROM t WHERE rowid < 3000;");
  EXPECT_EQ(referenceIntegrity(path), "ok");
}

// A file the reference wrote: an INTEGER PRIMARY KEY table with an index, long rows and
// deletes that free pages.
void writeReferenceFile(const std::string& path) {
  std::string sql =
      "CREATE TABLE r(x INTEGER PRIMARY KEY, y, z TEXT); CREATE INDEX ry ON r(y); BEGIN;";
  for (int row = 1; row <= 10000; ++row) {
    std::string z = row % 97 == 0 ? std::string(2500 + row % 1000, 'z') : "v" + std::to_string(row);
    sql += "INSERT INTO r VALUES(" + std::to_string(row) + ", " + std::to_string(row % 211 - 100) +
           ", '" + z + "');";
  }
  sql += "COMMIT; DELETE FROM r WHERE x % 3 = 0; DELETE FROM r WHERE x > 7000 AND x < 8500;";
  referenceQuery(path, sql);
}

// Reads back table r and index ry through our cursors and compares them with the reference.
void expectReferenceFileReadsBack(const std::string& path) {
  std::vector<std::string> expected = referenceQuery(path, "SELECT x, NULL, y, z FROM r");
  ASSERT_GT(expected.size(), 5000u);
  auto btree = Btree::open(path, {});
  std::vector<PageNumber> roots = orvalen::test::schemaRoots(*btree);
  ASSERT_EQ(roots.size(), 2u);
  std::vector<std::string> ours;
  std::vector<std::string> expectedKeys;
  for (const auto& [key, data] : orvalen::test::treeEntries(*btree, roots[0])) {
    int32_t row = decodeTableKey(key);
    std::vector<Value> values = RecordView(data).values();
    ours.push_back(referenceRow(row, values));
    expectedKeys.push_back(encodeIndexKey({values[1]}, {false}, row));
  }
  EXPECT_EQ(ours, expected);
  std::sort(expectedKeys.begin(), expectedKeys.end());
  std::vector<std::string> indexKeys;
  for (const auto& entry : orvalen::test::treeEntries(*btree, roots[1])) {
    EXPECT_EQ(entry.second, "");
    indexKeys.push_back(entry.first);
  }
  EXPECT_EQ(indexKeys, expectedKeys);
  EXPECT_EQ(btree->readMeta()[2], 4);
  EXPECT_GT(btree->readMeta()[0], 0);
  EXPECT_EQ(integrityProblems(*btree, {kSchemaRoot, roots[0], roots[1]}), "");
}

TEST(BtreeReference, ReferenceFilesReadBackExactly) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  TempDir dir;
  std::string path = dir.file("reference.db");
  writeReferenceFile(path);
  std::string before = readFile(path);
  expectReferenceFileReadsBack(path);
  EXPECT_EQ(readFile(path), before);
}

// Swaps the structural integers of a little-endian file, as a big-endian host writes them.
class ByteSwapper {
 public:
  explicit ByteSwapper(const std::string& file) : source_(file), out_(file) {}

  std::string run(const std::vector<PageNumber>& roots) {
    swap32(48);
    for (size_t offset = 52; offset < 96; offset += 4) swap32(offset);
    for (PageNumber trunk = u32(52); trunk != 0; trunk = u32(at(trunk))) {
      size_t base = at(trunk);
      uint32_t leaves = u32(base + 4);
      swap32(base);
      swap32(base + 4);
      for (uint32_t i = 0; i < leaves; ++i) swap32(base + 8 + 4 * i);
    }
    for (PageNumber root : roots) swapTree(root);
    return out_;
  }

 private:
  static size_t at(PageNumber page) { return size_t{page - 1} * kPageSize; }
  uint32_t u32(size_t offset) const {
    const auto* b = reinterpret_cast<const uint8_t*>(source_.data() + offset);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (uint32_t{b[3]} << 24);
  }
  uint16_t u16(size_t offset) const {
    const auto* b = reinterpret_cast<const uint8_t*>(source_.data() + offset);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
  }
  void swap32(size_t offset) {
    std::swap(out_[offset], out_[offset + 3]);
    std::swap(out_[offset + 1], out_[offset + 2]);
  }
  void swap16(size_t offset) { std::swap(out_[offset], out_[offset + 1]); }

  void swapTree(PageNumber page) {
    size_t base = at(page);
    PageNumber rightChild = u32(base);
    swap32(base);
    swap16(base + 4);
    swap16(base + 6);
    for (size_t cell = u16(base + 4); cell != 0; cell = u16(base + cell + 6)) {
      size_t c = base + cell;
      PageNumber leftChild = u32(c);
      size_t payload = (u16(c + 4) | (size_t{uint8_t(source_[c + 8])} << 16)) +
                       (u16(c + 10) | (size_t{uint8_t(source_[c + 9])} << 16));
      swap32(c);
      swap16(c + 4);
      swap16(c + 6);
      swap16(c + 10);
      if (payload > 236) {
        swap32(c + 12 + 236);
        for (PageNumber next = u32(c + 12 + 236); next != 0; next = u32(at(next))) {
          swap32(at(next));
        }
      }
      if (leftChild) swapTree(leftChild);
    }
    for (size_t block = u16(base + 6); block != 0; block = u16(base + block + 2)) {
      swap16(base + block);
      swap16(base + block + 2);
    }
    if (rightChild) swapTree(rightChild);
  }

  const std::string source_;
  std::string out_;
};

TEST(BtreeReference, BigEndianFilesReadBackAndStayBigEndianWhenChanged) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  TempDir dir;
  std::string path = dir.file("big.db");
  writeReferenceFile(path);
  std::vector<PageNumber> roots = {kSchemaRoot};
  {
    auto btree = Btree::open(path, {});
    for (PageNumber root : orvalen::test::schemaRoots(*btree)) roots.push_back(root);
  }
  std::string little = readFile(path);
  std::string big = ByteSwapper(little).run(roots);
  ASSERT_NE(big, little);
  writeFile(path, big);
  EXPECT_EQ(referenceIntegrity(path), "ok");
  expectReferenceFileReadsBack(path);

  auto btree = Btree::open(path, {});
  btree->beginTransaction();
  {
    Cursor table(*btree, roots[1], true);
    Cursor index(*btree, roots[2], true);
    for (int32_t row = 20001; row <= 20400; ++row) {
      std::vector<Value> values = {std::nullopt, "7", std::string(row % 5 ? 10 : 2000, 'q')};
      table.insert(encodeTableKey(row), encodeRecord(values));
      index.insert(encodeIndexKey({values[1]}, {false}, row), "");
    }
  }
  btree->commit();
  btree.reset();
  std::string changed = readFile(path);
  EXPECT_EQ(changed.substr(48, 4), std::string("\xDA\xE3\x75\x28", 4));
  EXPECT_EQ(referenceIntegrity(path), "ok");
  EXPECT_EQ(referenceQuery(path, "SELECT count(*) FROM r WHERE x > 20000 AND y = 7"),
            std::vector<std::string>{"400"});
}

}  // namespace
}  // namespace sqlite2
