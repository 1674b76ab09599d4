#include "api/result_table.h"

#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace sqlite2::api {
namespace {

struct FreeCells {
  void operator()(char** cells) const { freeResultArray(cells); }
};
using Cells = std::unique_ptr<char*[], FreeCells>;

TEST(ResultTableTest, LaysOutNamesThenRowsInOneBlock) {
  ResultTable table;
  const char* names[] = {"a", "b"};
  const char* first[] = {"1", nullptr};
  const char* second[] = {"", "two"};
  ASSERT_TRUE(table.addRow(2, first, names));
  ASSERT_TRUE(table.addRow(2, second, names));
  Cells cells(table.release());
  ASSERT_TRUE(cells);
  EXPECT_EQ(table.rowCount(), 2);
  EXPECT_EQ(table.columnCount(), 2);
  EXPECT_STREQ(cells[0], "a");
  EXPECT_STREQ(cells[1], "b");
  EXPECT_STREQ(cells[2], "1");
  EXPECT_EQ(cells[3], nullptr);
  EXPECT_STREQ(cells[4], "");
  EXPECT_STREQ(cells[5], "two");
}

TEST(ResultTableTest, RefusesRowsOfAnotherWidth) {
  ResultTable table;
  const char* names[] = {"a", "b"};
  const char* values[] = {"1", "2"};
  ASSERT_TRUE(table.addRow(2, values, names));
  EXPECT_FALSE(table.addRow(1, values, names));
  EXPECT_EQ(table.rowCount(), 1);
  Cells cells(table.release());
  EXPECT_STREQ(cells[3], "2");
}

TEST(ResultTableTest, EmptyResultIsStillAnArray) {
  ResultTable table;
  Cells cells(table.release());
  EXPECT_TRUE(cells);
  EXPECT_EQ(table.rowCount(), 0);
}

TEST(ResultTableTest, KeepsLargeTextsIntact) {
  ResultTable table;
  const std::string big(100000, 'x');
  const char* names[] = {"v"};
  for (int i = 0; i < 50; ++i) {
    const char* values[] = {big.c_str()};
    ASSERT_TRUE(table.addRow(1, values, names));
  }
  Cells cells(table.release());
  for (int i = 1; i <= 50; ++i) EXPECT_EQ(cells[i], big) << i;
}

TEST(ResultTableTest, ManyRowsKeepEveryTextInPlaceAsTheTableGrows) {
  // Far more than one text block and many doublings of the pointer array: every text must
  // still be where its pointer says once the table is handed over.
  ResultTable table;
  const char* names[] = {"id", "name"};
  constexpr int kRows = 30000;
  for (int i = 0; i < kRows; ++i) {
    const std::string id = std::to_string(i);
    const std::string name = "video number " + id;
    const char* values[] = {id.c_str(), i % 7 == 0 ? nullptr : name.c_str()};
    ASSERT_TRUE(table.addRow(2, values, names));
  }
  Cells cells(table.release());
  ASSERT_EQ(table.rowCount(), kRows);
  EXPECT_STREQ(cells[0], "id");
  for (int i = 0; i < kRows; ++i) {
    ASSERT_STREQ(cells[2 + 2 * i], std::to_string(i).c_str());
    if (i % 7 == 0) {
      ASSERT_EQ(cells[3 + 2 * i], nullptr);
    } else {
      ASSERT_EQ(std::string(cells[3 + 2 * i]), "video number " + std::to_string(i));
    }
  }
}

TEST(ResultTableTest, ATableNeverHandedOverFreesItself) {
  // The sanitizer build reports a leak if the rows of an abandoned table stay behind.
  ResultTable table;
  const char* names[] = {"v"};
  const std::string big(70000, 'y');
  for (int i = 0; i < 100; ++i) {
    const char* values[] = {i % 2 ? big.c_str() : "small"};
    ASSERT_TRUE(table.addRow(1, values, names));
  }
  EXPECT_EQ(table.rowCount(), 100);
}

}  // namespace
}  // namespace sqlite2::api
