#include "text/utf8.h"

#include <cstdio>

namespace orvalen::text {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";
constexpr char32_t kReplacementCodePoint = 0xFFFD;
constexpr unsigned kLeadMasks[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
// The smallest code point that needs each length: shorter forms of it are overlong.
constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};

std::size_t lengthFromLead(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

bool isSurrogate(char32_t codePoint) {
  return codePoint >= 0xD800 && codePoint <= 0xDFFF;
}

}  // namespace

std::size_t utf8CharacterLength(std::string_view text) {
  if (text.empty()) return 0;
  const std::size_t length = lengthFromLead(static_cast<unsigned char>(text[0]));
  if (length == 0 || length > text.size()) return 0;
  char32_t codePoint = static_cast<unsigned char>(text[0]) & kLeadMasks[length];
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  if (codePoint < kShortest[length] || isSurrogate(codePoint) || codePoint > 0x10FFFF) return 0;
  return length;
}

char32_t firstCodePoint(std::string_view text) {
  const std::size_t length = lengthFromLead(static_cast<unsigned char>(text[0]));
  char32_t codePoint = static_cast<unsigned char>(text[0]) & kLeadMasks[length];
  for (std::size_t i = 1; i < length; ++i) {
    codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
  }
  return codePoint;
}

std::string codePointName(std::string_view utf8Character) {
  const std::size_t length = utf8CharacterLength(utf8Character);
  if (length == 0 || length != utf8Character.size()) return "";
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(firstCodePoint(utf8Character)));
  return name;
}

std::string withInvalidUtf8Replaced(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  while (!bytes.empty()) {
    const std::size_t length = utf8CharacterLength(bytes);
    if (length == 0) {
      text += kReplacement;
      bytes.remove_prefix(1);
    } else {
      text.append(bytes.data(), length);
      bytes.remove_prefix(length);
    }
  }
  return text;
}

void appendUtf8(char32_t codePoint, std::string& out) {
  if (isSurrogate(codePoint) || codePoint > 0x10FFFF) codePoint = kReplacementCodePoint;
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
    return;
  }
  const std::size_t length = codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
  char bytes[4];
  for (std::size_t i = length - 1; i > 0; --i) {
    bytes[i] = static_cast<char>(0x80 | (codePoint & 0x3F));
    codePoint >>= 6;
  }
  constexpr unsigned char kLeadMarks[] = {0, 0, 0xC0, 0xE0, 0xF0};
  bytes[0] = static_cast<char>(kLeadMarks[length] | codePoint);
  out.append(bytes, length);
}

}  // namespace orvalen::text
