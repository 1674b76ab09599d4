#include "sql/run/partial_record.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/error.h"
#include "record/row_record.h"

namespace sqlite2 {
namespace {

TEST(PartialRecord, ReadsTheColumnsItsPrefixHolds) {
  std::string record = encodeRecord({Value(), Value("12"), Value("a longer text value")});
  PartialRecord prefix(std::string_view(record).substr(0, 9), record.size());
  EXPECT_TRUE(prefix.covers(0));
  EXPECT_TRUE(prefix.covers(1));
  EXPECT_FALSE(prefix.covers(2));
  EXPECT_FALSE(prefix.field(0).has_value());
  EXPECT_EQ(prefix.field(1), "12");
  PartialRecord whole(record, record.size());
  EXPECT_TRUE(whole.covers(2));
  EXPECT_EQ(whole.field(2), "a longer text value");
}

TEST(PartialRecord, HeaderLongerThanThePrefixCoversNothingPastIt) {
  std::vector<Value> values(10, Value("x"));
  std::string record = encodeRecord(values);
  PartialRecord prefix(std::string_view(record).substr(0, 5), record.size());
  EXPECT_FALSE(prefix.covers(4));
  // Records of 256 bytes and more have wider offsets.
  std::string wide = encodeRecord({Value("7"), Value(std::string(300, 'y'))});
  PartialRecord widePrefix(std::string_view(wide).substr(0, 15), wide.size());
  EXPECT_TRUE(widePrefix.covers(0));
  EXPECT_EQ(widePrefix.field(0), "7");
  EXPECT_FALSE(widePrefix.covers(1));
}

TEST(PartialRecord, EmptyRecordIsNullEverywhereAndBadHeadersAreCorrupt) {
  PartialRecord empty(std::string_view(), 0);
  EXPECT_TRUE(empty.covers(3));
  EXPECT_FALSE(empty.field(3).has_value());
  std::string broken = encodeRecord({Value("1"), Value("2")});
  broken[1] = static_cast<char>(200);  // second field starts past the record's end
  PartialRecord corrupt(broken, broken.size());
  EXPECT_THROW(corrupt.field(0), Error);
}

}  // namespace
}  // namespace sqlite2
