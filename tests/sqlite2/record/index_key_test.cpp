#include "record/index_key.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "common/error.h"
#include "record/numeric_text.h"
#include "record/sortable_number.h"
#include "record/table_key.h"
#include "sqlite.h"

namespace sqlite2 {
namespace {

std::string sortable(double r) {
  std::string out;
  appendSortableNumber(out, r);
  return out;
}

TEST(NumericText, AcceptsOnlyWholeNumbers) {
  for (const char* text : {"5", "+5", "05", "5.0", "1e1", "-1", "1E+10", "2.5e-3", "-0"}) {
    EXPECT_TRUE(looksLikeNumber(text)) << text;
  }
  for (const char* text : {"", " 5", "5 ", ".5", "5.", "0x10", "abc", "+", "-", "1e", "1e+", "1.e5",
                           "--1", "5..0", "1e5.0"}) {
    EXPECT_FALSE(looksLikeNumber(text)) << text;
  }
}

TEST(NumericText, ParsesWithoutLocaleAndSaturatesOutOfRange) {
  EXPECT_EQ(numericValue("+5"), 5.0);
  EXPECT_EQ(numericValue("-2.5e-3"), -0.0025);
  EXPECT_EQ(numericValue("1e400"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(numericValue("-1e400"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(numericValue(std::string(400, '9')), std::numeric_limits<double>::infinity());
  EXPECT_EQ(numericValue("1e-400"), 0.0);
  EXPECT_EQ(numericValue("0.000001e-400"), 0.0);
}

// Digits alone are read without the general parse; they must come out as it reads them, the
// sign of a negative zero and the last exact digit included.
TEST(NumericText, ReadsDigitsAloneAsTheGeneralParseDoes) {
  EXPECT_EQ(numericValue("007"), 7.0);
  EXPECT_EQ(numericValue("+12"), 12.0);
  EXPECT_TRUE(std::signbit(numericValue("-0")));
  EXPECT_FALSE(std::signbit(numericValue("0")));
  EXPECT_EQ(numericValue("999999999999999"), 999999999999999.0);
  EXPECT_EQ(numericValue("-999999999999999"), -999999999999999.0);
  EXPECT_EQ(numericValue("12345678901234567"), 12345678901234568.0);  // rounded, as parsed
  EXPECT_EQ(numericValue("12a"), 12.0);                               // the leading number
  EXPECT_EQ(numericValue("-"), 0.0);
}

TEST(SortableNumber, MatchesTheDocumentedExamples) {
  EXPECT_EQ(sortable(3.5), "0G1ZW");
  EXPECT_EQ(sortable(10), "0G1g");
  EXPECT_EQ(sortable(5), "0G1b");
  EXPECT_EQ(sortable(-1), "-F~V");
  EXPECT_EQ(sortable(-2), "-F~U");
  EXPECT_EQ(sortable(0), "000W");
}

TEST(SortableNumber, HandlesTheExtremes) {
  double huge = std::numeric_limits<double>::max();
  double tiny = std::numeric_limits<double>::denorm_min();
  EXPECT_EQ(sortable(std::numeric_limits<double>::infinity()), "0" + std::string(12, '~'));
  // What the reference library stores for '1e400', '-1e400' and '1e-400'.
  EXPECT_EQ(sortable(-std::numeric_limits<double>::infinity()), "-01");
  EXPECT_EQ(sortable(numericValue("1e-400")), "000W");
  for (double r : {huge, -huge, tiny, -tiny, 1e-300, 1e308}) {
    std::string key = sortable(r);
    EXPECT_GE(key.size(), 1u);
    EXPECT_LE(key.size(), 13u);
  }
}

TEST(SortableNumber, ByteOrderEqualsNumericOrder) {
  std::mt19937_64 random(11);
  std::vector<double> numbers = {0,       1,     -1,        0.5,      -0.5,         1e-300,
                                 -1e-300, 1e300, -1e300,    63,       64,           65,
                                 4095,    4096,  1.0 / 128, 1.0 / 64, 2147483647.0, -2147483648.0};
  std::uniform_real_distribution<double> exponent(-300, 300);
  for (int i = 0; i < 3000; ++i) {
    double magnitude = std::pow(10.0, exponent(random));
    numbers.push_back(i % 2 ? magnitude : -magnitude);
    numbers.push_back(static_cast<double>(static_cast<int32_t>(random())));
  }
  std::sort(numbers.begin(), numbers.end());
  for (size_t i = 1; i < numbers.size(); ++i) {
    std::string previous = sortable(numbers[i - 1]);
    std::string current = sortable(numbers[i]);
    if (numbers[i - 1] == numbers[i]) {
      EXPECT_EQ(previous, current);
    } else {
      EXPECT_LE(previous, current) << numbers[i - 1] << " " << numbers[i];
    }
  }
}

TEST(ColumnType, TextTypesAreRecognisedAnywhereInTheName) {
  for (const char* type : {"TEXT", "varchar(10)", "CHARACTER", "nchar", "Blob", "CLOB", "mytext"}) {
    EXPECT_TRUE(isTextColumnType(type)) << type;
  }
  for (const char* type : {"", "INTEGER", "INT", "NUMERIC", "REAL", "DATE", "TEX", "CHA R"}) {
    EXPECT_FALSE(isTextColumnType(type)) << type;
  }
}

TEST(IndexKey, SegmentsFollowTheColumnKind) {
  std::string key = encodeIndexKey({std::nullopt, "+5", "5", " 5"}, {false, false, true, false}, 6);
  std::string expected = std::string("a\0", 2) + "b" + sortable(5) + std::string("\0", 1) +
                         std::string("c5\0", 3) + std::string("c 5\0", 4) + encodeTableKey(6);
  EXPECT_EQ(key, expected);
  EXPECT_EQ(trailingRowNumber(key), 6);
  EXPECT_TRUE(indexKeyHasNull(key));
  EXPECT_FALSE(indexKeyHasNull(encodeIndexKey({"1", "x"}, {false, true}, 1)));
}

TEST(IndexKey, EqualNumbersShareASegmentOnlyInNumericColumns) {
  auto segments = [](const char* text, bool textColumn) {
    std::string key = encodeIndexKey({std::string(text)}, {textColumn}, 1);
    return key.substr(0, key.size() - kTableKeySize);
  };
  EXPECT_EQ(segments("1", false), segments("1.0", false));
  EXPECT_EQ(segments("5", false), segments("05", false));
  EXPECT_NE(segments("1", true), segments("1.0", true));
}

TEST(IndexKey, OrdersNullThenNumbersThenText) {
  std::vector<std::string> keys;
  for (Value v : {Value("abc"), Value("10"), Value(), Value("-1"), Value("9"), Value("")}) {
    keys.push_back(encodeIndexKey({v}, {false}, 1));
  }
  std::sort(keys.begin(), keys.end());
  auto at = [&](size_t i) { return keys[i].substr(0, keys[i].size() - kTableKeySize); };
  EXPECT_EQ(at(0), std::string("a\0", 2));
  EXPECT_EQ(at(1), "b" + sortable(-1) + std::string("\0", 1));
  EXPECT_EQ(at(2), "b" + sortable(9) + std::string("\0", 1));
  EXPECT_EQ(at(3), "b" + sortable(10) + std::string("\0", 1));
  EXPECT_EQ(at(4), std::string("c\0", 2));
  EXPECT_EQ(at(5), std::string("cabc\0", 5));
}

TEST(IndexKey, SizeLimitCountsTheRowNumber) {
  // 'c' + text + terminator + 4 bytes of row number.
  EXPECT_EQ(encodeIndexKey({std::string(1048570, 'x')}, {true}, 1).size(), 1048576u);
  try {
    encodeIndexKey({std::string(1048571, 'x')}, {true}, 1);
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), SQLITE_TOOBIG);
  }
}

TEST(IndexKey, MalformedKeysAreCorrupt) {
  EXPECT_THROW(indexKeyHasNull("ab"), Error);
  EXPECT_THROW(indexKeyHasNull("cabc" + encodeTableKey(1)), Error);
}

}  // namespace
}  // namespace sqlite2
