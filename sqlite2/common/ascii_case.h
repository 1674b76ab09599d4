#pragma once

// Names compared without regard to case, as SQLite 2 compares them: only the ASCII letters
// fold; other bytes (the parts of a UTF-8 or GBK character) must be equal. The C library's
// tolower and strcasecmp are not used because they follow the locale.

#include <string>
#include <string_view>

namespace sqlite2 {

constexpr char lowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char upperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether two names are the same but for the case of their ASCII letters.
constexpr bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

// The name with its ASCII letters in lower case: the key under which it is looked up.
inline std::string lowerAsciiName(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) c = lowerAscii(c);
  return lower;
}

}  // namespace sqlite2
