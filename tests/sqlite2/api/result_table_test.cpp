#include "api/result_table.h"

#include <cstdlib>
#include <memory>

#include <gtest/gtest.h>

namespace sqlite2::api {
namespace {

struct FreeCells {
  void operator()(char** cells) const { std::free(cells); }
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

}  // namespace
}  // namespace sqlite2::api
