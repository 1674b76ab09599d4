#include "common/text_format.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace sqlite2 {
namespace {

// Widths and precisions beyond these are cut to them, as SQLite 2.8's fixed conversion buffer
// does; larger numbers written in the format saturate rather than wrap around.
constexpr int kMaxWidth = 990;
constexpr int kMaxPrecision = 960;
// Digits beyond this many significant ones are written as 0.
constexpr int kSignificantDigits = 16;
// Normalising a real past this exponent means it is infinite.
constexpr int kExponentLimit = 350;

struct Directive {
  bool leftJustify = false;
  bool plusSign = false;
  bool blankSign = false;
  bool alternate = false;
  bool zeroPad = false;
  bool isLong = false;
  int width = 0;
  int precision = -1;  // -1: none given
  char conversion = 0;
};

// Reads the variadic arguments of one format call in order.
class ArgReader {
 public:
  explicit ArgReader(va_list args) { va_copy(args_, args); }
  ~ArgReader() { va_end(args_); }
  ArgReader(const ArgReader&) = delete;
  ArgReader& operator=(const ArgReader&) = delete;

  int nextInt() { return va_arg(args_, int); }
  long nextLong() { return va_arg(args_, long); }
  double nextDouble() { return va_arg(args_, double); }
  const char* nextText() { return va_arg(args_, const char*); }
  void* nextPointer() { return va_arg(args_, void*); }

 private:
  va_list args_;
};

int clampTo(long long value, int limit) {
  return value > limit ? limit : static_cast<int>(value);
}

// Parses a run of decimal digits, saturating instead of overflowing.
int parseCount(const char*& cursor) {
  long long value = 0;
  while (*cursor >= '0' && *cursor <= '9') {
    value = value * 10 + (*cursor - '0');
    if (value > INT_MAX) value = INT_MAX;
    ++cursor;
  }
  return static_cast<int>(value);
}

// The magnitude of an int given through '*', without overflowing on INT_MIN.
long long magnitude(int value) {
  return value < 0 ? -static_cast<long long>(value) : value;
}

void parseFlags(const char*& cursor, Directive& directive) {
  for (;; ++cursor) {
    switch (*cursor) {
      case '-':
        directive.leftJustify = true;
        break;
      case '+':
        directive.plusSign = true;
        break;
      case ' ':
        directive.blankSign = true;
        break;
      case '#':
        directive.alternate = true;
        break;
      case '0':
        directive.zeroPad = true;
        break;
      default:
        return;
    }
  }
}

// Parses flags, width, precision and the long modifier after a '%'; leaves cursor on the
// conversion character.
Directive parseDirective(const char*& cursor, ArgReader& args) {
  Directive directive;
  parseFlags(cursor, directive);
  if (*cursor == '*') {
    int given = args.nextInt();
    if (given < 0) directive.leftJustify = true;
    directive.width = clampTo(magnitude(given), kMaxWidth);
    ++cursor;
  } else {
    directive.width = clampTo(parseCount(cursor), kMaxWidth);
  }
  if (*cursor == '.') {
    ++cursor;
    if (*cursor == '*') {
      directive.precision = clampTo(magnitude(args.nextInt()), kMaxPrecision);
      ++cursor;
    } else {
      directive.precision = clampTo(parseCount(cursor), kMaxPrecision);
    }
  }
  if (*cursor == 'l') {
    directive.isLong = true;
    ++cursor;
  }
  directive.conversion = *cursor;
  return directive;
}

char signPrefix(bool negative, const Directive& directive) {
  if (negative) return '-';
  if (directive.plusSign) return '+';
  if (directive.blankSign) return ' ';
  return 0;
}

// ---- integers

std::string integerText(const Directive& directive, ArgReader& args) {
  const char conversion = directive.conversion;
  unsigned long magnitudeValue;
  char prefix = 0;
  if (conversion == 'd' || conversion == 'i') {
    long value = directive.isLong ? args.nextLong() : args.nextInt();
    magnitudeValue =
        value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    prefix = signPrefix(value < 0, directive);
  } else if (conversion == 'p') {
    magnitudeValue = reinterpret_cast<std::uintptr_t>(args.nextPointer());
  } else {
    // An int is widened with its sign before being read as unsigned, as the library does.
    long value = directive.isLong ? args.nextLong() : args.nextInt();
    magnitudeValue = static_cast<unsigned long>(value);
  }
  const bool alternate = directive.alternate && magnitudeValue != 0;
  const unsigned base = conversion == 'x' || conversion == 'X' ? 16 : conversion == 'o' ? 8 : 10;
  const char* digitSet = conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";

  int minimumDigits = directive.precision;
  const int prefixWidth = prefix ? 1 : 0;
  // Zero padding works through the digit count, so it also applies to left-justified output.
  if (directive.zeroPad && minimumDigits < directive.width - prefixWidth) {
    minimumDigits = directive.width - prefixWidth;
  }
  std::string reversed;
  do {
    reversed += digitSet[magnitudeValue % base];
    magnitudeValue /= base;
  } while (magnitudeValue);
  while (static_cast<int>(reversed.size()) < minimumDigits) reversed += '0';
  if (prefix) reversed += prefix;
  std::string text(reversed.rbegin(), reversed.rend());
  if (alternate) {
    if (conversion == 'o' && text[0] != '0') text.insert(0, "0");
    if (conversion == 'x') text.insert(0, "0x");
    if (conversion == 'X') text.insert(0, "0X");
  }
  return text;
}

// ---- reals

// Produces the decimal digits of a value normalised into [1, 10), in extended precision so
// that the digits are those the library writes. After kSignificantDigits digits every digit
// is 0.
class DigitSource {
 public:
  explicit DigitSource(long double normalised) : value_(normalised) {}

  char next() {
    if (produced_++ >= kSignificantDigits) return '0';
    // A NaN gives 0 digits (the library's conversion of NaN to int ends in a '0' character).
    int digit = std::isnan(value_) ? 0 : static_cast<int>(value_);
    value_ = (value_ - digit) * 10;
    return static_cast<char>('0' + digit);
  }

 private:
  long double value_;
  int produced_ = 0;
};

// Scales value (positive) into [1, 10) and returns the power of ten taken out; false when
// the value does not come into range (infinite).
bool normalise(long double& value, int& exponent) {
  exponent = 0;
  if (!(value > 0)) return true;
  while (value >= 1e8 && exponent <= kExponentLimit) {
    value *= 1e-8;
    exponent += 8;
  }
  while (value >= 10.0 && exponent <= kExponentLimit) {
    value *= 0.1;
    exponent += 1;
  }
  while (value < 1e-8 && exponent >= -kExponentLimit) {
    value *= 1e8;
    exponent -= 8;
  }
  while (value < 1.0 && exponent >= -kExponentLimit) {
    value *= 10.0;
    exponent -= 1;
  }
  return exponent <= kExponentLimit && exponent >= -kExponentLimit;
}

void dropTrailingZeros(std::string& text) {
  if (text.find('.') == std::string::npos) return;
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
}

void appendFixed(std::string& text, DigitSource& digits, int exponent, int precision,
                 bool alternate) {
  if (exponent < 0) {
    text += '0';
  } else {
    for (int i = 0; i <= exponent; ++i) text += digits.next();
  }
  if (precision > 0 || alternate) text += '.';
  for (int zeros = -exponent - 1; zeros > 0 && precision > 0; --zeros, --precision) text += '0';
  while (precision-- > 0) text += digits.next();
}

void appendExponent(std::string& text, int exponent, bool upperCase) {
  text += upperCase ? 'E' : 'e';
  text += exponent < 0 ? '-' : '+';
  int magnitudeValue = exponent < 0 ? -exponent : exponent;
  if (magnitudeValue >= 100) {
    text += static_cast<char>('0' + magnitudeValue / 100);
    magnitudeValue %= 100;
  }
  text += static_cast<char>('0' + magnitudeValue / 10);
  text += static_cast<char>('0' + magnitudeValue % 10);
}

// The real conversions f, e, E, g, G of value, without width padding. Sets *isNaNText when
// the value is infinite: the text is then "NaN", never signed or zero padded.
std::string realText(double value, const Directive& directive, bool* isNaNText) {
  *isNaNText = false;
  char conversion = directive.conversion;
  int precision = directive.precision < 0 ? 6 : directive.precision;
  const bool negative = value < 0;
  long double real = negative ? -static_cast<long double>(value) : value;
  const bool generic = conversion == 'g' || conversion == 'G';
  if (generic && precision > 0) --precision;

  double rounder = 0.5;
  for (int i = precision; i > 0; --i) rounder *= 0.1;
  if (conversion == 'f') real += rounder;

  int exponent = 0;
  if (!normalise(real, exponent)) {
    *isNaNText = true;
    return "NaN";
  }
  if (conversion != 'f') {
    real += rounder;
    if (real >= 10.0) {
      real *= 0.1;
      ++exponent;
    }
  }
  bool stripZeros = false;
  if (generic) {
    stripZeros = !directive.alternate;
    if (exponent < -4 || exponent > precision) {
      conversion = conversion == 'G' ? 'E' : 'e';
    } else {
      precision -= exponent;
      conversion = 'f';
    }
  }

  std::string text;
  if (char prefix = signPrefix(negative, directive)) text += prefix;
  DigitSource digits(real);
  if (conversion == 'f') {
    appendFixed(text, digits, exponent, precision, directive.alternate);
    if (stripZeros) dropTrailingZeros(text);
  } else {
    text += digits.next();
    if (precision > 0 || directive.alternate) text += '.';
    while (precision-- > 0) text += digits.next();
    if (stripZeros) dropTrailingZeros(text);
    appendExponent(text, exponent, conversion == 'E');
  }
  return text;
}

// ---- texts

std::string quotedText(const char* value, const Directive& directive) {
  if (!value) return directive.conversion == 'Q' ? "NULL" : "(NULL)";
  std::string text;
  if (directive.conversion == 'Q') text += '\'';
  for (const char* c = value; *c; ++c) {
    text += *c;
    if (*c == '\'') text += '\'';
  }
  if (directive.conversion == 'Q') text += '\'';
  return text;
}

std::string plainText(const char* value, const Directive& directive) {
  if (!value) return "";
  size_t length = std::strlen(value);
  if (directive.precision >= 0 && static_cast<size_t>(directive.precision) < length)
    length = directive.precision;
  return std::string(value, length);
}

std::string characterText(const Directive& directive, ArgReader& args) {
  char c = static_cast<char>(args.nextInt());
  return std::string(directive.precision >= 0 ? directive.precision : 1, c);
}

void appendPadded(std::string& out, const std::string& text, const Directive& directive) {
  const int padding = directive.width - static_cast<int>(text.size());
  if (padding <= 0) {
    out += text;
  } else if (directive.leftJustify) {
    out += text;
    out.append(padding, ' ');
  } else {
    out.append(padding, ' ');
    out += text;
  }
}

// Zero padding of reals goes between the sign and the digits.
void zeroPadReal(std::string& text, const Directive& directive) {
  const int padding = directive.width - static_cast<int>(text.size());
  if (!directive.zeroPad || directive.leftJustify || padding <= 0) return;
  const size_t signLength = !text.empty() && (text[0] == '-' || text[0] == '+' || text[0] == ' ');
  text.insert(signLength, static_cast<size_t>(padding), '0');
}

// Converts one directive; returns false when the conversion is unknown and output ends.
bool convert(std::string& out, const Directive& directive, ArgReader& args) {
  switch (directive.conversion) {
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o':
    case 'p':
      appendPadded(out, integerText(directive, args), directive);
      return true;
    case 'f':
    case 'e':
    case 'E':
    case 'g':
    case 'G': {
      bool isNaNText = false;
      std::string text = realText(args.nextDouble(), directive, &isNaNText);
      if (!isNaNText) zeroPadReal(text, directive);
      appendPadded(out, text, directive);
      return true;
    }
    case 's':
      appendPadded(out, plainText(args.nextText(), directive), directive);
      return true;
    case 'q':
    case 'Q': {
      std::string text = quotedText(args.nextText(), directive);
      if (directive.precision >= 0 && static_cast<size_t>(directive.precision) < text.size()) {
        text.resize(directive.precision);
      }
      appendPadded(out, text, directive);
      return true;
    }
    case 'c':
      appendPadded(out, characterText(directive, args), directive);
      return true;
    case '%':
      appendPadded(out, "%", directive);
      return true;
    case 'n':
      if (int* count = static_cast<int*>(args.nextPointer())) *count = static_cast<int>(out.size());
      return true;
    case 0:
      // The format ends inside a directive: the '%' stands, followed by the width.
      out += '%';
      out.append(directive.width, ' ');
      return false;
    default:
      out += '%';
      return false;
  }
}

}  // namespace

std::string formatTextV(const char* format, va_list args) {
  std::string out;
  if (!format) return out;
  ArgReader reader(args);
  const char* cursor = format;
  while (*cursor) {
    if (*cursor != '%') {
      const char* next = std::strchr(cursor, '%');
      size_t length = next ? static_cast<size_t>(next - cursor) : std::strlen(cursor);
      out.append(cursor, length);
      cursor += length;
      continue;
    }
    ++cursor;
    Directive directive = parseDirective(cursor, reader);
    if (!convert(out, directive, reader)) break;
    ++cursor;
  }
  return out;
}

std::string formatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = formatTextV(format, args);
  va_end(args);
  return text;
}

std::string formatReal(double value) {
  Directive directive;
  directive.conversion = 'g';
  directive.precision = 15;
  bool isNaNText = false;
  return realText(value, directive, &isNaNText);
}

}  // namespace sqlite2
