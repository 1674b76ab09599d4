#pragma once

// LIKE and GLOB matching as SQLite 2.8 does it on its UTF-8 texts.
//
// A character is a byte followed by the continuation bytes (0x80-0xBF) after it, so '_' and
// '?' take a whole UTF-8 character, and a text in another code page (GBK) is taken a byte or
// two at a time. A wildcard followed by an ordinary character looks for that byte anywhere
// further on, so '%好%' finds 好 in a GBK text wherever its bytes stand.
//
// LIKE: '%' any run, '_' one character, other bytes equal with ASCII letters in either case.
// GLOB: '*' any run, '?' one character, '[...]' one character in the set ('^' first negates,
// a ']' first or a '-' last stands for itself, a-z ranges compare code points), other bytes
// equal exactly.

#include <string>
#include <string_view>

namespace sqlite2 {

bool likeMatches(std::string_view pattern, std::string_view text);
bool globMatches(std::string_view pattern, std::string_view text);

// A LIKE pattern read once for the many texts a query matches it against. The usual
// searches, one run of ordinary bytes with '%' before it, after it or both, are a direct
// search for those bytes; any other pattern is matched as likeMatches does.
class LikePattern {
 public:
  explicit LikePattern(std::string_view pattern);
  bool matches(std::string_view text) const;

 private:
  enum class Shape { General, Equal, Prefix, Suffix, Contains };
  bool sameAt(std::string_view text, size_t pos) const;
  bool contains(std::string_view text) const;

  Shape shape_ = Shape::General;
  std::string pattern_;  // General: the whole pattern; otherwise its ordinary bytes, folded
  bool folds_ = false;   // those bytes hold an ASCII letter, which matches in either case
};

}  // namespace sqlite2
