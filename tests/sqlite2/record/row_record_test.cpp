#include "record/row_record.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "sqlite.h"
#include "sqlite2/error_code_of.h"

namespace sqlite2 {
namespace {

using orvalen::test::errorCodeOf;

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

TEST(RowRecord, MatchesTheDocumentedExampleRow) {
  // (6,'al',NULL,'10',NULL) with the integer key column stored as NULL.
  std::string record = encodeRecord({std::nullopt, "al", std::nullopt, "10", std::nullopt});
  EXPECT_EQ(record, bytes({6, 6, 9, 9, 12, 12}) + std::string("al\0"
                                                              "10\0",
                                                              6));
}

TEST(RowRecord, MatchesTheSchemaRowOfAFreshTable) {
  std::string record = encodeRecord({"table", "t", "t", "3", "create table t(a,b)"});
  ASSERT_EQ(record.size(), 38u);
  EXPECT_EQ(record.substr(0, 6), bytes({6, 12, 14, 16, 18, 38}));
  RecordView view(record);
  EXPECT_EQ(view.fieldCount(), 5u);
  EXPECT_EQ(*view.field(4), "create table t(a,b)");
}

TEST(RowRecord, EmptyStringTakesOneByteAndNullNone) {
  std::string record = encodeRecord({"", std::nullopt});
  EXPECT_EQ(record, bytes({3, 4, 4, 0}));
  RecordView view(record);
  ASSERT_TRUE(view.field(0).has_value());
  EXPECT_EQ(*view.field(0), "");
  EXPECT_FALSE(view.field(1).has_value());
}

// The writer's width is the smallest whose offsets address the whole record; the reader
// derives it from the length alone, and both must agree at every boundary.
TEST(RowRecord, OffsetWidthChangesExactlyAtTheBoundaries) {
  struct Case {
    size_t textLength;
    size_t width;
  };
  // One column: length = width * 2 + text + 1.
  for (Case c : {Case{252, 1}, Case{253, 2}, Case{65530, 2}, Case{65531, 3}}) {
    std::string record = encodeRecord({std::string(c.textLength, 'x')});
    EXPECT_EQ(record.size(), c.width * 2 + c.textLength + 1) << c.textLength;
    EXPECT_EQ(recordOffsetWidth(record.size()), c.width) << c.textLength;
    RecordView view(record);
    EXPECT_EQ(view.field(0)->size(), c.textLength);
  }
  EXPECT_EQ(encodeRecord({std::string(252, 'x')}).size(), 255u);
  EXPECT_EQ(encodeRecord({std::string(253, 'x')}).size(), 258u);
  EXPECT_EQ(encodeRecord({std::string(65530, 'x')}).size(), 65535u);
  EXPECT_EQ(encodeRecord({std::string(65531, 'x')}).size(), 65538u);
}

TEST(RowRecord, ManyColumnsRoundTripAcrossWidths) {
  for (size_t valueLength : {0, 3, 40, 700}) {
    std::vector<Value> values;
    for (int i = 0; i < 120; ++i) {
      if (i % 7 == 3) {
        values.push_back(std::nullopt);
      } else {
        values.push_back(std::string(valueLength + i % 5, static_cast<char>('a' + i % 26)));
      }
    }
    std::string record = encodeRecord(values);
    EXPECT_EQ(RecordView(record).values(), values) << valueLength;
  }
}

TEST(RowRecord, SizeLimitIsExactlyOneMebibyte) {
  // One column: 3-byte offsets, record = 6 + text + 1.
  EXPECT_EQ(encodeRecord({std::string(1048569, 'x')}).size(), 1048576u);
  EXPECT_EQ(errorCodeOf([] { encodeRecord({std::string(1048570, 'x')}); }), SQLITE_TOOBIG);
  try {
    encodeRecord({std::string(2000000, 'x')});
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "too much data for one table row");
  }
}

TEST(RowRecord, EmptyRecordIsNullInEveryColumn) {
  RecordView view("");
  EXPECT_EQ(view.fieldCount(), 0u);
  EXPECT_FALSE(view.field(7).has_value());
  EXPECT_TRUE(locateField("", 0, 3).isNull());
}

TEST(RowRecord, LocatesOneFieldFromThePrefixAlone) {
  std::vector<Value> values = {"first", std::string(70000, 'b'), "third", std::nullopt};
  std::string record = encodeRecord(values);
  for (size_t column = 0; column < values.size(); ++column) {
    size_t prefix = recordPrefixNeeded(record.size(), column);
    EXPECT_EQ(prefix, 3 * (column + 2));
    FieldLocation where =
        locateField(std::string_view(record).substr(0, prefix), record.size(), column);
    std::optional<std::string_view> value =
        fieldValue(std::string_view(record).substr(where.offset, where.size));
    EXPECT_EQ(value.has_value(), values[column].has_value());
    if (value) {
      EXPECT_EQ(*value, *values[column]);
    }
  }
}

TEST(RowRecord, RejectsInconsistentHeaders) {
  std::string good = encodeRecord({"ab", "cd"});  // 03 06 09 "ab\0" "cd\0"
  auto corrupted = [&](size_t at, int value) {
    std::string record = good;
    record[at] = static_cast<char>(value);
    return record;
  };
  // A column beyond the header.
  EXPECT_EQ(errorCodeOf([&] { RecordView(good).field(2); }), SQLITE_CORRUPT);
  // Header longer than the record, offsets decreasing or past the end, missing terminator.
  EXPECT_EQ(errorCodeOf([&] { RecordView(corrupted(0, 200)); }), SQLITE_CORRUPT);
  EXPECT_EQ(errorCodeOf([&] { RecordView(corrupted(1, 2)).field(0); }), SQLITE_CORRUPT);
  EXPECT_EQ(errorCodeOf([&] { RecordView(corrupted(2, 50)).field(1); }), SQLITE_CORRUPT);
  EXPECT_EQ(errorCodeOf([&] { RecordView(corrupted(5, 'x')).field(0); }), SQLITE_CORRUPT);
  EXPECT_EQ(errorCodeOf([&] { locateField(good.substr(0, 2), good.size(), 1); }), SQLITE_CORRUPT);
  EXPECT_EQ(errorCodeOf([&] { RecordView(good).field(1); }), SQLITE_OK);
}

TEST(RowRecord, ReadsUpToTheFirstTerminator) {
  std::string record = bytes({3, 6, 9}) + std::string("a\0b\0c\0", 6);
  EXPECT_EQ(*RecordView(record).field(0), "a");
}

// The C string of a field is what field() reads; a field with no terminator at all is
// corrupt, even when its last byte is not one but an earlier byte is.
TEST(RowRecord, FieldTextIsTheFieldAsACString) {
  std::string record = encodeRecord({"ab", std::nullopt, ""});
  EXPECT_STREQ(RecordView(record).fieldText(0), "ab");
  EXPECT_EQ(RecordView(record).fieldText(1), nullptr);
  EXPECT_STREQ(RecordView(record).fieldText(2), "");
  EXPECT_EQ(RecordView("").fieldText(3), nullptr);
  std::string early = bytes({3, 7, 8}) + std::string("a\0bcd", 5);  // terminator not last
  EXPECT_STREQ(RecordView(early).fieldText(0), "a");
  std::string unterminated = bytes({3, 6, 8}) + std::string("abc\0\0", 5);
  EXPECT_EQ(errorCodeOf([&] { RecordView(unterminated).fieldText(0); }), SQLITE_CORRUPT);
  EXPECT_EQ(errorCodeOf([&] { RecordView(record).fieldText(3); }), SQLITE_CORRUPT);
}

}  // namespace
}  // namespace sqlite2
