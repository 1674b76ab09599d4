#include "db/unrepresentable.h"

#include <algorithm>

#include "text/utf8.h"

using orvalen::text::utf8CharacterLength;

std::optional<std::string> firstUnrepresentableCharacter(const CodePage& codePage,
                                                         std::string_view utf8) {
  const std::optional<std::size_t> refused = codePage.refusalOffset(utf8);
  if (!refused) return std::nullopt;
  const std::string_view rest = utf8.substr(*refused);
  return std::string(rest.substr(0, std::max<std::size_t>(1, utf8CharacterLength(rest))));
}
