// How tightly the engine fills pages, against the reference library on the same statements:
// rows appended in key order (a dump being loaded, a log growing) must take no more pages
// than in the reference's file, and rows in random order no more either. Our files must
// stay sound for the reference.

#include <sys/stat.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "twin_databases.h"

namespace orvalen::test {
namespace {

long pagesOf(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? static_cast<long>(status.st_size / 1024) : -1;
}

// One transaction inserting the rows in the order given; each row's text is `width` bytes.
std::string insertsOf(const std::vector<int>& ids, size_t width) {
  std::string sql = "BEGIN;";
  for (int id : ids) {
    std::string text = std::to_string(id);
    text += std::string(width > text.size() ? width - text.size() : 0, 'x');
    sql += "INSERT INTO t VALUES(" + std::to_string(id) + ", '" + text + "', " +
           std::to_string(id * 7) + ");";
  }
  return sql + "COMMIT;";
}

std::vector<int> ascending(int count) {
  std::vector<int> ids(count);
  std::iota(ids.begin(), ids.end(), 1);
  return ids;
}

class PagePacking : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    reference_ = referenceEngine(&why);
    if (!reference_) GTEST_SKIP() << "reference engine unavailable: " << why;
  }

  // Runs the schema and the inserts in both engines; returns {ours, reference} page counts,
  // after the reference found our file sound and holding the same rows.
  std::pair<long, long> pagesAfter(const std::string& schema, const std::string& inserts) {
    TwinDatabases twins(reference_);
    twins.same(schema);
    EXPECT_EQ(twins.ours(inserts).code, 0);
    EXPECT_EQ(twins.theirs(inserts).code, 0);
    twins.same("SELECT * FROM t");
    EXPECT_EQ(twins.referenceCheckOfOurFile(), "ok");
    return {pagesOf(twins.ourPath()), pagesOf(twins.theirPath())};
  }

  const sqlite2_reference* reference_ = nullptr;
};

TEST_F(PagePacking, AppendsInKeyOrderTakeNoMorePagesThanTheReference) {
  // Narrow rows (dozens a page), middling ones, and rows only four of which fit a page.
  for (size_t width : {10, 100, 200}) {
    SCOPED_TRACE("row text of " + std::to_string(width) + " bytes");
    const auto [ours, reference] = pagesAfter("CREATE TABLE t(id INTEGER PRIMARY KEY, b, c)",
                                              insertsOf(ascending(12000), width));
    EXPECT_LE(ours, reference);
    // Full pages: the table alone would need this many at its least.
    const long leastPages = static_cast<long>(12000 * (12 + 4 + 4 + width + 8) / 1016);
    EXPECT_LT(ours, leastPages * 115 / 100);
  }
}

TEST_F(PagePacking, RowNumbersChosenByTheEngineAndAnAscendingIndexPackToo) {
  // No row number given: each row goes after the largest; the index on c grows at its end.
  std::string inserts = "BEGIN;";
  for (int i = 1; i <= 8000; ++i) {
    inserts += "INSERT INTO t(b, c) VALUES('name " + std::to_string(i) + "', " +
               std::to_string(i * 3) + ");";
  }
  inserts += "COMMIT;";
  const auto [ours, reference] =
      pagesAfter("CREATE TABLE t(b, c); CREATE INDEX tc ON t(c)", inserts);
  EXPECT_LE(ours, reference);
}

TEST_F(PagePacking, RandomOrderTakesNoMorePagesThanTheReference) {
  std::vector<int> ids = ascending(12000);
  std::shuffle(ids.begin(), ids.end(), std::mt19937(7));
  const auto [ours, reference] =
      pagesAfter("CREATE TABLE t(id INTEGER PRIMARY KEY, b, c)", insertsOf(ids, 60));
  EXPECT_LE(ours, reference);
}

}  // namespace
}  // namespace orvalen::test
