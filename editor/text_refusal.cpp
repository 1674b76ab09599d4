#include "editor/text_refusal.h"

#include <cstdio>

#include "db/unrepresentable.h"
#include "text/utf8.h"

namespace orvalen {

namespace {

// “<c>”(U+XXXX) for a character; a byte that is not UTF-8 is named by its value alone, since it
// cannot be shown.
std::string characterName(const std::string& character) {
  const std::string codePoint = text::codePointName(character);
  if (!codePoint.empty()) {
    return text::kOpenQuote + character + text::kCloseQuote + "(" + codePoint + ")";
  }
  char byte[8];
  std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(character[0]));
  return byte;
}

}  // namespace

std::optional<std::string> RefusalOfText(const CodePage& codePage, const char* field,
                                         const std::string& typed) {
  const std::optional<std::string> character = firstUnrepresentableCharacter(codePage, typed);
  if (!character) return std::nullopt;
  return std::string(field) + text::kCharacterIn + characterName(*character) + text::kNotStored +
         codePage.name() + text::kNoSuchCharacter;
}

std::optional<std::string> ShortRefusalOfText(const CodePage& codePage, const char* field,
                                              const std::string& text) {
  const std::optional<std::string> character = firstUnrepresentableCharacter(codePage, text);
  if (!character) return std::nullopt;
  return std::string(field) + text::kCharacterIn + characterName(*character) +
         text::kNotInCodePage + codePage.name() + text::kNoSuchCharacterShort;
}

}  // namespace orvalen
