#include "formats/text_encoding.h"

namespace orvalen::formats {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";
constexpr char32_t kReplacementCharacter = 0xFFFD;

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

unsigned char byteAt(std::string_view text, size_t at) {
  return static_cast<unsigned char>(text[at]);
}

bool isContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

void appendUtf8(char32_t codePoint, std::string* out) {
  if (codePoint < 0x80) {
    out->push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
    out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else if (codePoint < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
    out->push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
    out->push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
}

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  const auto unitAt = [&](size_t at) -> char32_t {
    const char32_t first = byteAt(bytes, at), second = byteAt(bytes, at + 1);
    return bigEndian ? (first << 8 | second) : (second << 8 | first);
  };
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  size_t at = 0;
  for (; at + 1 < bytes.size(); at += 2) {
    const char32_t unit = unitAt(at);
    if (unit >= 0xD800 && unit <= 0xDBFF && at + 3 < bytes.size()) {
      const char32_t low = unitAt(at + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        appendUtf8(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), &out);
        at += 2;
        continue;
      }
    }
    const bool surrogate = unit >= 0xD800 && unit <= 0xDFFF;
    appendUtf8(surrogate ? kReplacementCharacter : unit, &out);
  }
  if (at < bytes.size()) appendUtf8(kReplacementCharacter, &out);
  return out;
}

}  // namespace

// The lead byte fixes the length and the range allowed to the second byte, which is where
// overlong forms, surrogates and code points above U+10FFFF show.
size_t utf8CharacterLength(std::string_view text) {
  if (text.empty()) return 0;
  const unsigned char lead = byteAt(text, 0);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (length > text.size()) return 0;
  const unsigned char second = byteAt(text, 1);
  if (second < low || second > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (!isContinuation(byteAt(text, i))) return 0;
  }
  return length;
}

bool isValidUtf8(std::string_view bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    // ASCII runs are most of a playlist (URLs); they are skipped a byte at a time without
    // the lead byte's case analysis.
    while (at < bytes.size() && byteAt(bytes, at) < 0x80) ++at;
    if (at == bytes.size()) return true;
    const size_t length = utf8CharacterLength(bytes.substr(at));
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
      return utf16ToUtf8(units, encoding == TextEncoding::kUtf16BigEndian);
    }
    case TextEncoding::kCodePage:
      break;
  }
  return bytes;
}

}  // namespace orvalen::formats
