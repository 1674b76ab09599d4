#include "random_values.h"

#include <cstdint>

namespace orvalen::test {

namespace {

std::string quoted(const std::string& text) {
  std::string literal = "'";
  for (char c : text) {
    literal += c;
    if (c == '\'') literal += '\'';
  }
  return literal + "'";
}

}  // namespace

// Integers stay within 2^30 of zero: the library compares two integers by subtracting them in
// 32 bits, so that 2147483647 < -6 holds there (LibraryFaultTest covers it).
std::string RandomValues::number() {
  switch (random_.below(9)) {
    case 0:
      return std::to_string(random_.below(21) - 10);
    case 1:
      return std::to_string(static_cast<int32_t>(random_.raw() % (1u << 30)) *
                            (random_.chance(50) ? -1 : 1));
    case 2: {
      const char* const unusual[] = {"1073741823", "-1073741823", "2147483648",         "0",
                                     "-0",         "007",         "123456789012345678", "-1"};
      return random_.oneOf(unusual);
    }
    case 3:
      return std::to_string(random_.below(2001) - 1000) + "." + std::to_string(random_.below(100));
    case 4: {
      const char* const reals[] = {"1.5",    "-0.25", "1e10", "3.0",   "1.0e-5",
                                   "-2.5E3", "0.1",   "1.50", "1e308", "5.0"};
      return random_.oneOf(reals);
    }
    default:
      return std::to_string(random_.below(200) - 20);
  }
}

std::string RandomValues::shortText() {
  switch (random_.below(9)) {
    case 0:
      return "''";
    case 1:
      return "'it''s'";
    case 2: {  // looks numeric, or nearly
      const char* const numeric[] = {"'5'",  "' 5'", "'5.0'", "'+5'",  "'05'", "'1e1'",
                                     "'.5'", "'5.'", "'-1'",  "'abc'", "'10'", "'5 '"};
      return random_.oneOf(numeric);
    }
    case 3:  // GBK bytes
      return "'\xc4\xe3\xba\xc3\xca\xd3\xc6\xb5'";
    case 4:  // UTF-8 bytes
      return "'\xe4\xbd\xa0\xe5\xa5\xbd \xe8\xa7\x86\xe9\xa2\x91'";
    case 5:
      return date();
    default: {
      std::string text;
      for (int i = random_.below(8); i > 0; --i) text += "abcXYZ _'%"[random_.below(10)];
      return quoted(text);
    }
  }
}

std::string RandomValues::text() {
  if (random_.below(12) != 0) return shortText();
  // Several kilobytes, with quotes inside.
  std::string text(1000 + random_.below(4000), 'x');
  for (size_t i = 0; i < text.size(); i += 1 + random_.below(300)) {
    text[i] = "'ab\xb0\xa1"[random_.below(5)];
  }
  return quoted(text);
}

std::string RandomValues::date() {
  const char* const dates[] = {"'2004-02-29'",          "'2004-02-29 13:45'",
                               "'1999-12-31 23:59:59'", "'2000-01-01 00:00:00.5'",
                               "'2004-05-17 10:20:30'", "'12:30'",
                               "'2453064.5'",           "'1970-01-01'"};
  return random_.oneOf(dates);
}

std::string RandomValues::forColumn(const ColumnModel* column) {
  if (column && column->integerKey) {
    // Never the largest row number (after it the library picks new row numbers at random)
    // nor the smallest ones (the library's range searches on the row number then miss rows:
    // see LibraryFaultTest.RowNumberRangeNearTheLimitsFindsEveryRow).
    if (random_.chance(70)) return "NULL";
    const char* const unusual[] = {"'7'", "'+8'", "'1e1'", "9.0", "1.5", "'abc'", "''", "-3"};
    return random_.chance(80) ? std::to_string(random_.below(40) - 5) : random_.oneOf(unusual);
  }
  const int pick = random_.below(10);
  if (pick == 0) return "NULL";
  if (pick <= 4) return number();
  return text();
}

std::string RandomValues::any() {
  const int pick = random_.below(10);
  if (pick == 0) return "NULL";
  if (pick <= 5) return number();
  return shortText();
}

}  // namespace orvalen::test
