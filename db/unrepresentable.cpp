#include "db/unrepresentable.h"

#include <algorithm>

#include "db/exception.h"
#include "db/utf8_character.h"

namespace {

bool encodes(const CodePage& codePage, std::string_view utf8) {
  try {
    codePage.encode(utf8);
    return true;
  } catch (const CppSQLiteException& error) {
    if (error.kind() != FailureKind::kTextNotRepresentable) throw;
    return false;
  }
}

}  // namespace

std::optional<std::string> firstUnrepresentableCharacter(const CodePage& codePage,
                                                         std::string_view utf8) {
  if (encodes(codePage, utf8)) return std::nullopt;
  // Rare, so each character is tried on its own.
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t length = std::max<std::size_t>(1, utf8CharacterLength(utf8.substr(at)));
    const std::string_view character = utf8.substr(at, length);
    if (!encodes(codePage, character)) return std::string(character);
    at += length;
  }
  return std::nullopt;
}
