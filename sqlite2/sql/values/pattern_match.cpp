#include "sql/values/pattern_match.h"

#include <algorithm>
#include <cstdint>

#include "common/ascii_case.h"

namespace sqlite2 {

namespace {

bool isContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// The length of the character at pos: its first byte and the continuation bytes after it.
size_t characterLength(std::string_view text, size_t pos) {
  size_t end = pos + 1;
  while (end < text.size() && isContinuation(static_cast<unsigned char>(text[end]))) ++end;
  return end - pos;
}

// The code point of a character (as far as its bytes form one), for GLOB ranges.
uint32_t codePoint(std::string_view text, size_t pos, size_t length) {
  auto lead = static_cast<unsigned char>(text[pos]);
  if (length == 1) return lead;
  uint32_t value = lead & (0x7Fu >> length);
  for (size_t i = 1; i < length; ++i) {
    value = (value << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3Fu);
  }
  return value;
}

unsigned char foldCase(unsigned char c) {
  return static_cast<unsigned char>(lowerAscii(static_cast<char>(c)));
}

struct Dialect {
  char anyRun;     // % or *
  char anyOne;     // _ or ?
  bool classes;    // [...] sets
  bool foldsCase;  // ASCII letters in either case
};

constexpr Dialect kLike{'%', '_', false, true};
constexpr Dialect kGlob{'*', '?', true, false};

bool sameByte(const Dialect& dialect, unsigned char a, unsigned char b) {
  return dialect.foldsCase ? foldCase(a) == foldCase(b) : a == b;
}

// Whether the set at pattern[pos] (just after '[') takes the character; sets end to the
// position after the closing ']', or npos when the set is never closed (it then matches
// nothing).
bool setTakes(std::string_view pattern, size_t pos, uint32_t character, size_t& end) {
  bool negated = pos < pattern.size() && pattern[pos] == '^';
  if (negated) ++pos;
  bool found = false;
  bool first = true;
  while (pos < pattern.size() && (first || pattern[pos] != ']')) {
    first = false;
    size_t length = characterLength(pattern, pos);
    uint32_t low = codePoint(pattern, pos, length);
    pos += length;
    uint32_t high = low;
    if (pos + 1 < pattern.size() && pattern[pos] == '-' && pattern[pos + 1] != ']') {
      size_t highLength = characterLength(pattern, pos + 1);
      high = codePoint(pattern, pos + 1, highLength);
      pos += 1 + highLength;
    }
    if (character >= low && character <= high) found = true;
  }
  if (pos >= pattern.size()) {
    end = std::string_view::npos;
    return false;
  }
  end = pos + 1;
  return found != negated;
}

bool matches(const Dialect& dialect, std::string_view pattern, size_t p, std::string_view text,
             size_t t) {
  while (p < pattern.size()) {
    char c = pattern[p];
    if (c == dialect.anyRun) {
      while (p < pattern.size() && (pattern[p] == dialect.anyRun || pattern[p] == dialect.anyOne)) {
        if (pattern[p] == dialect.anyOne) {
          if (t >= text.size()) return false;
          t += characterLength(text, t);
        }
        ++p;
      }
      if (p == pattern.size()) return true;
      auto next = static_cast<unsigned char>(pattern[p]);
      bool literal = !(dialect.classes && next == '[');
      for (; t < text.size(); ++t) {
        if (literal && !sameByte(dialect, next, static_cast<unsigned char>(text[t]))) continue;
        if (!literal && isContinuation(static_cast<unsigned char>(text[t]))) continue;
        if (matches(dialect, pattern, p, text, t)) return true;
      }
      return false;
    }
    if (t >= text.size()) return false;
    if (c == dialect.anyOne) {
      t += characterLength(text, t);
      ++p;
    } else if (dialect.classes && c == '[') {
      size_t length = characterLength(text, t);
      size_t end = 0;
      if (!setTakes(pattern, p + 1, codePoint(text, t, length), end)) return false;
      t += length;
      p = end;
    } else {
      if (!sameByte(dialect, static_cast<unsigned char>(c), static_cast<unsigned char>(text[t]))) {
        return false;
      }
      ++p;
      ++t;
    }
  }
  return t == text.size();
}

}  // namespace

bool likeMatches(std::string_view pattern, std::string_view text) {
  return matches(kLike, pattern, 0, text, 0);
}

bool globMatches(std::string_view pattern, std::string_view text) {
  return matches(kGlob, pattern, 0, text, 0);
}

namespace {

bool isAsciiLetter(unsigned char c) {
  return foldCase(c) != c || (c >= 'a' && c <= 'z');
}

}  // namespace

// '%' runs at either end, and no wildcard between them, make a search for the bytes between.
LikePattern::LikePattern(std::string_view pattern) {
  size_t begin = 0, end = pattern.size();
  while (begin < end && pattern[begin] == '%') ++begin;
  while (end > begin && pattern[end - 1] == '%') --end;
  const bool leading = begin > 0, trailing = end < pattern.size();
  const std::string_view literal = pattern.substr(begin, end - begin);
  if (literal.find_first_of("%_") != std::string_view::npos) {
    pattern_.assign(pattern);
    return;
  }
  pattern_.resize(literal.size());
  for (size_t i = 0; i < literal.size(); ++i) {
    const auto byte = static_cast<unsigned char>(literal[i]);
    folds_ = folds_ || isAsciiLetter(byte);
    pattern_[i] = static_cast<char>(foldCase(byte));
  }
  if (leading || trailing) {
    shape_ = leading && trailing ? Shape::Contains : (leading ? Shape::Suffix : Shape::Prefix);
  } else {
    shape_ = Shape::Equal;
  }
}

bool LikePattern::sameAt(std::string_view text, size_t pos) const {
  if (!folds_) return text.compare(pos, pattern_.size(), pattern_) == 0;
  for (size_t i = 0; i < pattern_.size(); ++i) {
    if (foldCase(static_cast<unsigned char>(text[pos + i])) !=
        static_cast<unsigned char>(pattern_[i])) {
      return false;
    }
  }
  return true;
}

bool LikePattern::contains(std::string_view text) const {
  if (pattern_.empty()) return true;
  if (!folds_) return text.find(pattern_) != std::string_view::npos;
  for (size_t pos = 0; pos + pattern_.size() <= text.size(); ++pos) {
    if (sameAt(text, pos)) return true;
  }
  return false;
}

bool LikePattern::matches(std::string_view text) const {
  const size_t size = pattern_.size();
  switch (shape_) {
    case Shape::Equal:
      return text.size() == size && sameAt(text, 0);
    case Shape::Prefix:
      return text.size() >= size && sameAt(text, 0);
    case Shape::Suffix:
      return text.size() >= size && sameAt(text, text.size() - size);
    case Shape::Contains:
      return contains(text);
    case Shape::General:
      break;
  }
  return likeMatches(pattern_, text);
}

}  // namespace sqlite2
