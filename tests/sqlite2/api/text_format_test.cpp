#include "common/text_format.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace sqlite2 {
namespace {

TEST(TextFormatTest, QuotingConversions) {
  EXPECT_EQ(formatText("%q", "it's"), "it''s");
  EXPECT_EQ(formatText("%Q", "it's"), "'it''s'");
  EXPECT_EQ(formatText("%q|%Q|%s", nullptr, nullptr, nullptr), "(NULL)|NULL|");
  EXPECT_EQ(formatText("%q", "''"), "''''");
  EXPECT_EQ(formatText("%Q", ""), "''");
  // A precision cuts the escaped and quoted output, not the argument.
  EXPECT_EQ(formatText("%.2q", "abc'"), "ab");
  EXPECT_EQ(formatText("%.3Q", "abcdef"), "'ab");
  EXPECT_EQ(formatText("%.4q", "a''b"), "a'''");
  EXPECT_EQ(formatText("%.1Q|%.0Q", "a'b", "x"), "'|");
  EXPECT_EQ(formatText("%10q|%-10Q|", "a'b", "a'b"), "      a''b|'a''b'    |");
  EXPECT_EQ(formatText("%5.3q|", "a'b'c"), "  a''|");
}

TEST(TextFormatTest, StringsAndCharacters) {
  EXPECT_EQ(formatText("%s|%5s|%-5s|%.2s|%.s", "abc", "abc", "abc", "abc", "abc"),
            "abc|  abc|abc  |ab|");
  EXPECT_EQ(formatText("%05s|%+5s|", "ab", "ab"), "   ab|   ab|");
  EXPECT_EQ(formatText("%c%5c|%-5c|", 'x', 'A', 'B'), "x    A|B    |");
  // A precision on %c repeats the character.
  EXPECT_EQ(formatText("%.3c|%.0c|", 'x', 'x'), "xxx||");
  EXPECT_EQ(formatText("%5%|%-5%|%%"), "    %|%    |%");
  EXPECT_EQ(formatText("%s", std::string(5000, 'z').c_str()).size(), 5000u);
}

TEST(TextFormatTest, SignedIntegers) {
  // %ld takes a C long: 64 bits on Linux, 32 on Windows, as the library's printf does there.
  const long bigLong = std::numeric_limits<long>::min() / 3;
  EXPECT_EQ(formatText("%d|%i|%ld", -5, 9, bigLong), "-5|9|" + std::to_string(bigLong));
  EXPECT_EQ(formatText("%5d|%-5d|%05d", 42, 42, 42), "   42|42   |00042");
  EXPECT_EQ(formatText("%+d|% d|% +d", 5, 5, 5), "+5| 5|+5");
  EXPECT_EQ(formatText("%.3d|%.0d|%08.3d", 7, 0, 7), "007|0|00000007");
  // Zero padding wins over left justification for integers.
  EXPECT_EQ(formatText("%-05d|%+05d|% 05d", 7, 7, -7), "00007|+0007|-0007");
  EXPECT_EQ(formatText("%d|%ld", std::numeric_limits<int>::min(), std::numeric_limits<long>::min()),
            "-2147483648|" + std::to_string(std::numeric_limits<long>::min()));
  EXPECT_EQ(formatText("%.10ld|", -5L), "-0000000005|");
}

TEST(TextFormatTest, UnsignedIntegersWidenIntsWithTheirSign) {
  // An int widens to a C long first: 64 bits on Linux, 32 on Windows.
  const bool longHas64Bits = sizeof(long) == 8;
  EXPECT_EQ(formatText("%u", -1), longHas64Bits ? "18446744073709551615" : "4294967295");
  EXPECT_EQ(formatText("%x|%X|%o", -1, 255, 8),
            longHas64Bits ? "ffffffffffffffff|FF|10" : "ffffffff|FF|10");
  EXPECT_EQ(formatText("%lu|%lx", 4294967295ul, 255L), "4294967295|ff");
  EXPECT_EQ(formatText("%+u|% x", 5, 5), "5|5");
  EXPECT_EQ(formatText("%#x|%#X|%#o|%#x|%#o", 255, 255, 8, 0, 0), "0xff|0XFF|010|0|0");
  // The 0x prefix comes on top of zero padding; an octal 0 prefix only when needed.
  EXPECT_EQ(formatText("%#05x|%#08o|%#.3x", 1, 1, 1), "0x00001|00000001|0x001");
  EXPECT_EQ(formatText("%p|%010p", reinterpret_cast<void*>(255), reinterpret_cast<void*>(1)),
            "255|0000000001");
}

TEST(TextFormatTest, StarWidthAndPrecision) {
  EXPECT_EQ(formatText("%*d|%-*d|%*d|", 5, 1, 5, 2, -5, 3), "    1|2    |3    |");
  EXPECT_EQ(formatText("%.*f|%.*f|%.*s", 2, 3.14159, -2, 3.14159, -1, "abcdef"), "3.14|3.14|a");
  EXPECT_EQ(formatText("%*.*f|%0*d", 8, 2, 3.14159, 5, 3), "    3.14|00003");
}

TEST(TextFormatTest, OversizedWidthsAndPrecisionsAreCut) {
  EXPECT_EQ(formatText("%1200d", 1).size(), 990u);
  EXPECT_EQ(formatText("%989d", 1).size(), 989u);
  EXPECT_EQ(formatText("%.1200d", 1).size(), 960u);
  EXPECT_EQ(formatText("%.1200f", 1.0).size(), 962u);
  EXPECT_EQ(formatText("%.1200s", std::string(3000, 'a').c_str()).size(), 960u);
  // Saturating, not wrapping around to a small or negative number.
  EXPECT_EQ(formatText("%4294967297d", 1).size(), 990u);
  EXPECT_EQ(formatText("%99999999999d", 1).size(), 990u);
  EXPECT_EQ(formatText("%.2147483648d", 1).size(), 960u);
  EXPECT_EQ(formatText("%-*d|", std::numeric_limits<int>::min(), 1).size(), 991u);
  EXPECT_EQ(formatText("%.*d", std::numeric_limits<int>::min(), 1).size(), 960u);
}

TEST(TextFormatTest, HugeFixedRealsAreWrittenWhole) {
  // More integer digits than the library's conversion buffer holds.
  std::string text = formatText("%.960f", 1e308);
  ASSERT_EQ(text.size(), 309u + 1 + 960);
  EXPECT_EQ(text.substr(0, 16), "1000000000000001");
  EXPECT_EQ(text.find_first_not_of("0", 16), 309u);
}

TEST(TextFormatTest, UnknownConversionsEndTheOutput) {
  EXPECT_EQ(formatText("a%zb"), "a%");
  EXPECT_EQ(formatText("a%wb|a%rb|a%bb"), "a%");
  EXPECT_EQ(formatText("a%lldb", 5LL), "a%");
  EXPECT_EQ(formatText("%1$d", 5), "%");
  EXPECT_EQ(formatText("%hd|%Lf|%T|%S"), "%");
  EXPECT_EQ(formatText("ab%5zcd"), "ab%");
  // A format that ends inside a directive keeps the '%' and its width in blanks.
  EXPECT_EQ(formatText("abc%"), "abc%");
  EXPECT_EQ(formatText("abc%3"), "abc%   ");
  EXPECT_EQ(formatText("abc%.3"), "abc%");
  EXPECT_EQ(formatText("ab%5l"), "ab%     ");
}

TEST(TextFormatTest, CountConversionStoresTheLengthSoFar) {
  int count = -1;
  EXPECT_EQ(formatText("abc%n%d", &count, 7), "abc7");
  EXPECT_EQ(count, 3);
  EXPECT_EQ(formatText("x%n!", static_cast<int*>(nullptr)), "x!");
}

TEST(TextFormatTest, Reals) {
  EXPECT_EQ(formatText("%f|%e|%E", 1.5, 1.5, 12345.678), "1.500000|1.500000e+00|1.234568E+04");
  EXPECT_EQ(formatText("%g|%g|%G|%g", 0.0001, 0.00001, 1e-10, 1e20), "0.0001|1e-05|1E-10|1e+20");
  EXPECT_EQ(formatText("%g|%g|%g|%g", 100000.0, 1000000.0, 123456.0, 1234567.0),
            "100000|1e+06|123456|1.23457e+06");
  EXPECT_EQ(formatText("%.2f|%.2f|%.0f|%#.0f", 0.125, 0.135, 2.5, 2.5), "0.13|0.14|3|3.");
  EXPECT_EQ(formatText("%#g|%#.3g|%#.0g|%#.0e", 1.0, 1.0, 5.0, 1.0), "1.00000|1.00|5.|1.e+00");
  EXPECT_EQ(formatText("%10.3f|%-10.3f|%010.3f|%+.1f|% .1f", 3.14159, 3.14159, -3.14159, 1.0, 1.0),
            "     3.142|3.142     |-00003.142|+1.0| 1.0");
  EXPECT_EQ(formatText("%05.1f|%-05.1f|%+06.1f|%05g", 1.0, 1.0, 1.0, -1.5),
            "001.0|1.0  |+001.0|-01.5");
  EXPECT_EQ(formatText("%e|%g|%f|%#g", 0.0, 0.0, 0.0, 0.0), "0.000000e+00|0|0.000000|0.00000");
  EXPECT_EQ(formatText("%e|%e|%.0e|%.1g", 1e100, 1e-100, 15.0, 15.0),
            "1.000000e+100|1.000000e-100|2e+01|2e+01");
  EXPECT_EQ(formatText("%g|%g|%g", 1e-300, 5e-324, 1.7976931348623157e308),
            "1e-300|4.94066e-324|1.79769e+308");
  EXPECT_EQ(formatText("%g|%.2g|%.3e", 999999.5, 99.5, 9.9996), "1e+06|1e+02|1.000e+01");
  // Digits past the sixteenth significant one are zeros.
  EXPECT_EQ(formatText("%.20f|%.20e", 0.1, 1.0 / 3),
            "0.10000000000000000000|3.33333333333333300000e-01");
  EXPECT_EQ(formatText("%f", 1e300).substr(0, 20), "10000000000000010000");
}

TEST(TextFormatTest, InfinityAndNaN) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(formatText("%f|%e|%g|%E", inf, -inf, inf, inf), "NaN|NaN|NaN|NaN");
  // The infinite text is never signed or zero padded.
  EXPECT_EQ(formatText("%+10f|%010f|%-5g|", inf, -inf, inf), "       NaN|       NaN|NaN  |");
  // A NaN comes out as zero digits.
  EXPECT_EQ(formatText("%f|%e|%g|%-5G|", nan, nan, nan, nan), "0.000000|0.000000e+00|0|0    |");
  EXPECT_EQ(formatReal(inf), "NaN");
  EXPECT_EQ(formatReal(-inf), "NaN");
}

// The text of computed reals in results.
TEST(TextFormatTest, FormatRealWritesFifteenSignificantDigits) {
  EXPECT_EQ(formatReal(0.1 + 0.2), "0.3");
  EXPECT_EQ(formatReal(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(formatReal(2.0 * 3), "6");
  EXPECT_EQ(formatReal(1e14), "100000000000000");
  EXPECT_EQ(formatReal(1e15), "1e+15");
  EXPECT_EQ(formatReal(1e-5), "1e-05");
  EXPECT_EQ(formatReal(1e-4), "0.0001");
  EXPECT_EQ(formatReal(123456789012.0 * 10), "1234567890120");
  EXPECT_EQ(formatReal(-0.0), "0");
  EXPECT_EQ(formatReal(-2.5), "-2.5");
  EXPECT_EQ(formatReal(1e100), "1e+100");
  EXPECT_EQ(formatReal(123e-310), "1.23e-308");
  EXPECT_EQ(formatReal(1.5), formatText("%.15g", 1.5));
}

}  // namespace
}  // namespace sqlite2
