#include "text/utf16.h"

#include "text/utf8.h"

namespace orvalen::text {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool isHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::u16string utf16FromUtf8(std::string_view utf8) {
  std::u16string utf16;
  utf16.reserve(utf8.size());
  while (!utf8.empty()) {
    const std::size_t length = utf8CharacterLength(utf8);
    if (length == 0) {
      utf16 += kReplacement;
      utf8.remove_prefix(1);
      continue;
    }
    const char32_t codePoint = firstCodePoint(utf8);
    utf8.remove_prefix(length);
    if (codePoint < 0x10000) {
      utf16 += static_cast<char16_t>(codePoint);
    } else {
      const char32_t above = codePoint - 0x10000;
      utf16 += static_cast<char16_t>(0xD800 + (above >> 10));
      utf16 += static_cast<char16_t>(0xDC00 + (above & 0x3FF));
    }
  }
  return utf16;
}

std::string utf8FromUtf16(std::u16string_view utf16) {
  std::string utf8;
  utf8.reserve(utf16.size() * 3);
  for (std::size_t at = 0; at < utf16.size(); ++at) {
    const char16_t unit = utf16[at];
    if (isHighSurrogate(unit) && at + 1 < utf16.size() && isLowSurrogate(utf16[at + 1])) {
      appendUtf8(0x10000 + ((char32_t{unit} - 0xD800) << 10) + (utf16[++at] - 0xDC00), utf8);
    } else {
      // An unpaired surrogate is no character: appendUtf8 writes U+FFFD for it.
      appendUtf8(unit, utf8);
    }
  }
  return utf8;
}

}  // namespace orvalen::text
