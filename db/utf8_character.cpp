#include "db/utf8_character.h"

#include <cstdio>

namespace {

constexpr unsigned kLeadMasks[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
// The smallest code point that needs each length: shorter forms of it are overlong.
constexpr unsigned kShortest[] = {0, 0, 0x80, 0x800, 0x10000};

std::size_t lengthFromLead(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

}  // namespace

std::size_t utf8CharacterLength(std::string_view text) {
  if (text.empty()) return 0;
  const std::size_t length = lengthFromLead(static_cast<unsigned char>(text[0]));
  if (length == 0 || length > text.size()) return 0;
  unsigned codePoint = static_cast<unsigned char>(text[0]) & kLeadMasks[length];
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  if (codePoint < kShortest[length] || surrogate || codePoint > 0x10FFFF) return 0;
  return length;
}

std::string codePointName(std::string_view utf8Character) {
  const std::size_t length = utf8CharacterLength(utf8Character);
  if (length == 0 || length != utf8Character.size()) return "";
  unsigned codePoint = static_cast<unsigned char>(utf8Character[0]) & kLeadMasks[length];
  for (std::size_t i = 1; i < length; ++i) {
    codePoint = (codePoint << 6) | (static_cast<unsigned char>(utf8Character[i]) & 0x3F);
  }
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", codePoint);
  return name;
}
