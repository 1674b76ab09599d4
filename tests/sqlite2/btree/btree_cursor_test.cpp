// Cursors: keeping their place while other cursors change the tree, deleting while scanning,
// reading parts of long data.

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "btree/btree.h"
#include "btree_test_util.h"
#include "record/table_key.h"
#include "sqlite.h"
#include "sqlite2/error_code_of.h"
#include "support/temp_dir.h"

namespace sqlite2 {
namespace {

using orvalen::test::errorCodeOf;
using orvalen::test::integrityProblems;
using orvalen::test::TempDir;

class BtreeCursorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    btree_ = Btree::open(dir_.file("cursor.db"), {});
    btree_->beginTransaction();
    root_ = btree_->createTree();
  }
  void fill(int32_t from, int32_t to, size_t dataSize = 60) {
    Cursor writer(*btree_, root_, true);
    for (int32_t row = from; row <= to; ++row) {
      writer.insert(encodeTableKey(row), std::string(dataSize, static_cast<char>('a' + row % 26)));
    }
  }
  static int32_t rowOf(Cursor& cursor) { return decodeTableKey(cursor.key()); }

  TempDir dir_;
  std::unique_ptr<Btree> btree_;
  PageNumber root_ = 0;
};

TEST_F(BtreeCursorTest, ReaderKeepsItsPlaceWhileAnotherCursorRestructuresTheTree) {
  fill(1, 2000);
  Cursor reader(*btree_, root_, false);
  Cursor writer(*btree_, root_, true);
  ASSERT_EQ(reader.seek(encodeTableKey(1000)), 0);
  // Enough changes on both sides to split and merge the pages around the reader.
  for (int32_t row = 2001; row <= 4000; ++row) writer.insert(encodeTableKey(row), "x");
  for (int32_t row = 1; row < 1000; ++row) {
    ASSERT_EQ(writer.seek(encodeTableKey(row)), 0);
    writer.remove();
  }
  EXPECT_EQ(rowOf(reader), 1000);
  ASSERT_TRUE(reader.next());
  EXPECT_EQ(rowOf(reader), 1001);
  ASSERT_TRUE(reader.previous());
  EXPECT_FALSE(reader.previous());  // everything before 1000 is gone
  EXPECT_EQ(integrityProblems(*btree_, {kSchemaRoot, root_}), "");
}

TEST_F(BtreeCursorTest, InsertsRightAfterASeekOrLastGoWhereTheirKeysBelong) {
  fill(1, 3000, 100);
  Cursor cursor(*btree_, root_, true);
  Cursor other(*btree_, root_, true);
  std::vector<int32_t> expected;
  for (int32_t row = 1; row <= 3000; ++row) expected.push_back(row);
  auto insert = [&](int32_t row) {
    cursor.insert(encodeTableKey(row), "new");
    expected.insert(std::lower_bound(expected.begin(), expected.end(), row), row);
    EXPECT_EQ(rowOf(cursor), row);
  };
  // Sought keys: the one inserted, another one, and one sought before the other cursor split
  // the pages on the way to it.
  ASSERT_EQ(cursor.seek(encodeTableKey(5000)), -1);
  insert(5000);
  ASSERT_EQ(cursor.seek(encodeTableKey(6000)), -1);
  insert(4000);
  ASSERT_EQ(cursor.seek(encodeTableKey(3500)), 1);  // on 4000
  for (int32_t row = 3001; row <= 3400; ++row) other.insert(encodeTableKey(row), "other");
  for (int32_t row = 3001; row <= 3400; ++row) expected.insert(expected.end() - 2, row);
  insert(3500);
  // After last(): a key above every entry, and one below the last.
  ASSERT_TRUE(cursor.last());
  insert(7000);
  ASSERT_TRUE(cursor.last());
  insert(6500);
  ASSERT_TRUE(cursor.last());
  insert(0);
  // Standing on the last entry, a seek after it stays there; once another cursor has added
  // entries after it, seeks and last() find those.
  ASSERT_TRUE(cursor.last());
  EXPECT_EQ(cursor.seek(encodeTableKey(7500)), -1);
  EXPECT_EQ(rowOf(cursor), 7000);
  other.insert(encodeTableKey(8000), "other");
  expected.push_back(8000);
  EXPECT_EQ(cursor.seek(encodeTableKey(9000)), -1);
  EXPECT_EQ(rowOf(cursor), 8000);
  ASSERT_TRUE(cursor.seek(encodeTableKey(7000)) == 0);
  other.insert(encodeTableKey(8500), "other");
  expected.push_back(8500);
  ASSERT_TRUE(cursor.last());
  EXPECT_EQ(rowOf(cursor), 8500);

  std::vector<int32_t> rows;
  Cursor reader(*btree_, root_, false);
  for (bool on = reader.first(); on; on = reader.next()) rows.push_back(rowOf(reader));
  EXPECT_EQ(rows, expected);
  EXPECT_EQ(integrityProblems(*btree_, {kSchemaRoot, root_}), "");
}

TEST_F(BtreeCursorTest, ReaderWhoseEntryWasDeletedMovesToItsNeighbours) {
  fill(1, 500);
  Cursor forward(*btree_, root_, false);
  Cursor backward(*btree_, root_, false);
  Cursor writer(*btree_, root_, true);
  ASSERT_EQ(forward.seek(encodeTableKey(250)), 0);
  ASSERT_EQ(backward.seek(encodeTableKey(250)), 0);
  for (int32_t row = 240; row <= 260; ++row) {
    ASSERT_EQ(writer.seek(encodeTableKey(row)), 0);
    writer.remove();
  }
  ASSERT_TRUE(forward.next());
  EXPECT_EQ(rowOf(forward), 261);
  ASSERT_TRUE(backward.previous());
  EXPECT_EQ(rowOf(backward), 239);
}

TEST_F(BtreeCursorTest, ClearingTheTreeLeavesOtherCursorsWithoutAnEntry) {
  fill(1, 300);
  Cursor reader(*btree_, root_, false);
  ASSERT_TRUE(reader.last());
  btree_->clearTree(root_);
  EXPECT_FALSE(reader.valid());
  EXPECT_FALSE(reader.next());
  EXPECT_EQ(errorCodeOf([&] { reader.key(); }), SQLITE_MISUSE);
}

TEST_F(BtreeCursorTest, RemovingWhileScanningVisitsEveryEntryOnce) {
  fill(1, 3000);
  Cursor cursor(*btree_, root_, true);
  int32_t expected = 1;
  for (bool on = cursor.first(); on; ++expected) {
    ASSERT_EQ(rowOf(cursor), expected);
    if (expected % 3 != 0) {
      cursor.remove();
    }
    on = cursor.next();
  }
  EXPECT_EQ(expected, 3001);
  EXPECT_EQ(integrityProblems(*btree_, {kSchemaRoot, root_}), "");
  int32_t row = 3;
  for (bool on = cursor.first(); on; on = cursor.next(), row += 3) EXPECT_EQ(rowOf(cursor), row);
  EXPECT_EQ(row, 3003);
  // The same backwards, removing everything.
  for (bool on = cursor.last(); on; on = cursor.previous()) cursor.remove();
  EXPECT_FALSE(cursor.first());
  EXPECT_EQ(integrityProblems(*btree_, {kSchemaRoot, root_}), "");
}

TEST_F(BtreeCursorTest, InsertingAnExistingKeyReplacesItsData) {
  fill(1, 400, 100);
  Cursor cursor(*btree_, root_, true);
  std::string longData(5000, 'L');
  for (int32_t row = 1; row <= 400; row += 7) cursor.insert(encodeTableKey(row), longData);
  for (int32_t row = 1; row <= 400; row += 14) cursor.insert(encodeTableKey(row), "short");
  EXPECT_EQ(integrityProblems(*btree_, {kSchemaRoot, root_}), "");
  size_t count = 0;
  for (bool on = cursor.first(); on; on = cursor.next(), ++count) {
    int32_t row = rowOf(cursor);
    std::string expected = (row - 1) % 14 == 0 ? "short"
                           : (row - 1) % 7 == 0
                               ? longData
                               : std::string(100, static_cast<char>('a' + row % 26));
    ASSERT_EQ(cursor.data(), expected) << row;
  }
  EXPECT_EQ(count, 400u);
}

TEST_F(BtreeCursorTest, PartialReadsCrossOverflowPages) {
  Cursor cursor(*btree_, root_, true);
  std::string key(300, 'k');  // a key that itself overflows
  std::string data;
  for (int i = 0; i < 70000; ++i) data += static_cast<char>(i * 7 + i / 256);
  cursor.insert(key, data);
  ASSERT_EQ(cursor.seek(key), 0);
  EXPECT_EQ(cursor.keySize(), 300u);
  EXPECT_EQ(cursor.dataSize(), 70000u);
  EXPECT_EQ(cursor.key(), key);
  for (size_t offset : {0, 1, 235, 236, 1019, 1020, 1021, 30000, 69990}) {
    EXPECT_EQ(cursor.data(offset, 10), data.substr(offset, 10)) << offset;
  }
  EXPECT_EQ(cursor.data(), data);
  EXPECT_EQ(cursor.compareKey(std::string(299, 'k')), 1);
  EXPECT_EQ(cursor.compareKey(std::string(300, 'k')), 0);
  EXPECT_EQ(cursor.compareKey(std::string(298, 'k'), 2), 0);
  EXPECT_EQ(cursor.compareKey(std::string(301, 'k')), -1);
  EXPECT_EQ(errorCodeOf([&] { cursor.data(69995, 10); }), SQLITE_CORRUPT);
}

TEST_F(BtreeCursorTest, DataIsReadInPlaceOnlyWhenTheWholeEntryIsOnItsPage) {
  Cursor cursor(*btree_, root_, true);
  // 4 key bytes + 232 data bytes is the most a page holds; one byte more overflows.
  cursor.insert(encodeTableKey(1), std::string(232, 'a'));
  cursor.insert(encodeTableKey(2), std::string(233, 'b'));
  cursor.insert(encodeTableKey(3), "");
  std::string_view view;
  PageRef page;
  ASSERT_EQ(cursor.seek(encodeTableKey(1)), 0);
  ASSERT_TRUE(cursor.localData(view, page));
  EXPECT_EQ(view, std::string(232, 'a'));
  ASSERT_TRUE(cursor.next());
  EXPECT_FALSE(cursor.localData(view, page)) << "an entry with an overflow page is not all there";
  std::string copy = "left over from before";
  cursor.readData(copy);
  EXPECT_EQ(copy, std::string(233, 'b'));
  ASSERT_TRUE(cursor.next());
  ASSERT_TRUE(cursor.localData(view, page));
  EXPECT_TRUE(view.empty());
  cursor.readData(copy);
  EXPECT_TRUE(copy.empty());
}

TEST_F(BtreeCursorTest, AnInPlaceViewOutlivesTheCursorsPlaceAndHeavyWorkOnAnotherTree) {
  btree_->commit();
  // A cache of a few pages: writing the other tree pushes every unused page out.
  PagerOptions tiny;
  tiny.cachePages = 8;
  btree_ = Btree::open(dir_.file("cursor.db"), tiny);
  btree_->beginTransaction();
  fill(1, 300, 90);
  PageNumber other = btree_->createTree();
  Cursor reader(*btree_, root_, false);
  ASSERT_EQ(reader.seek(encodeTableKey(150)), 0);
  std::string_view view;
  PageRef page;
  ASSERT_TRUE(reader.localData(view, page));
  const std::string expected(90, static_cast<char>('a' + 150 % 26));
  ASSERT_EQ(view, expected);
  // The cursor goes elsewhere, so only `page` keeps the entry's page in memory while every
  // other page of the cache is pushed out.
  ASSERT_TRUE(reader.last());
  {
    Cursor writer(*btree_, other, true);
    for (int32_t row = 1; row <= 3000; ++row) {
      writer.insert(encodeTableKey(row), std::string(120, 'z'));
    }
  }
  EXPECT_EQ(view, expected);
  EXPECT_EQ(rowOf(reader), 300);
}

}  // namespace
}  // namespace sqlite2
