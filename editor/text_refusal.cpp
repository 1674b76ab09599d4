#include "editor/text_refusal.h"

#include <cstdio>

#include "db/unrepresentable.h"
#include "db/utf8_character.h"

namespace orvalen {

std::optional<std::string> RefusalOfText(const CodePage& codePage, const char* field,
                                         const std::string& typed) {
  const std::optional<std::string> character = firstUnrepresentableCharacter(codePage, typed);
  if (!character) return std::nullopt;
  const std::string codePoint = codePointName(*character);
  // A byte that is not UTF-8 is named by its value alone; it cannot be shown.
  const std::string shown =
      codePoint.empty() ? "" : text::kOpenQuote + *character + text::kCloseQuote;
  char byte[8];
  std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>((*character)[0]));
  const std::string name = codePoint.empty() ? std::string(byte) : "(" + codePoint + ")";
  return std::string(field) + text::kCharacterIn + shown + name + text::kNotStored +
         codePage.name() + text::kNoSuchCharacter;
}

}  // namespace orvalen
