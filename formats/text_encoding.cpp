#include "formats/text_encoding.h"

#include "text/utf16.h"
#include "text/utf8.h"

namespace orvalen::formats {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// A UTF-16 text's units from its bytes, in the order its byte order mark named.
std::u16string utf16Units(std::string_view bytes, bool bigEndian) {
  std::u16string units;
  units.reserve(bytes.size() / 2 + 1);
  for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    units.push_back(
        static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first)));
  }
  // An odd last byte is half a unit: a lone surrogate becomes U+FFFD in the conversion.
  if (bytes.size() % 2 != 0) units.push_back(u'\xD800');
  return units;
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    // ASCII runs are most of a playlist (URLs); they are skipped a byte at a time without
    // the lead byte's case analysis.
    while (at < bytes.size() && static_cast<unsigned char>(bytes[at]) < 0x80) ++at;
    if (at == bytes.size()) return true;
    const size_t length = text::utf8CharacterLength(bytes.substr(at));
    if (length == 0) return false;
    at += length;
  }
  return true;
}

TextEncoding detectEncoding(std::string_view bytes) {
  if (startsWith(bytes, kUtf8Mark)) return TextEncoding::kUtf8;
  if (startsWith(bytes, kUtf16LittleEndianMark)) return TextEncoding::kUtf16LittleEndian;
  if (startsWith(bytes, kUtf16BigEndianMark)) return TextEncoding::kUtf16BigEndian;
  return isValidUtf8(bytes) ? TextEncoding::kUtf8 : TextEncoding::kCodePage;
}

std::string textWithoutByteOrderMark(std::string bytes, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kUtf8:
      if (startsWith(bytes, kUtf8Mark)) bytes.erase(0, kUtf8Mark.size());
      return bytes;
    case TextEncoding::kUtf16LittleEndian:
    case TextEncoding::kUtf16BigEndian: {
      const std::string_view units = std::string_view(bytes).substr(2);
      return text::utf8FromUtf16(utf16Units(units, encoding == TextEncoding::kUtf16BigEndian));
    }
    case TextEncoding::kCodePage:
      break;
  }
  return bytes;
}

}  // namespace orvalen::formats
