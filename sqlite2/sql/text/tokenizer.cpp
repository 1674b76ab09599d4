#include "sql/text/tokenizer.h"

#include <array>
#include <cstring>
#include <vector>

#include "common/ascii_case.h"

namespace sqlite2 {

namespace {

bool isSpace(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == '\v';
}
bool isDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}
bool isWordChar(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isDigit(c) || c == '_' || c >= 0x80;
}

struct KeywordEntry {
  const char* word;
  TokenType type;
};

constexpr KeywordEntry kKeywords[] = {
    {"ABORT", TokenType::Abort},
    {"AFTER", TokenType::After},
    {"ALL", TokenType::All},
    {"AND", TokenType::And},
    {"AS", TokenType::As},
    {"ASC", TokenType::Asc},
    {"ATTACH", TokenType::Attach},
    {"BEFORE", TokenType::Before},
    {"BEGIN", TokenType::Begin},
    {"BETWEEN", TokenType::Between},
    {"BY", TokenType::By},
    {"CASCADE", TokenType::Cascade},
    {"CASE", TokenType::Case},
    {"CHECK", TokenType::Check},
    {"CLUSTER", TokenType::Cluster},
    {"COLLATE", TokenType::Collate},
    {"COMMIT", TokenType::Commit},
    {"CONFLICT", TokenType::Conflict},
    {"CONSTRAINT", TokenType::Constraint},
    {"COPY", TokenType::Copy},
    {"CREATE", TokenType::Create},
    {"CROSS", TokenType::JoinKeyword},
    {"DATABASE", TokenType::Database},
    {"DEFAULT", TokenType::Default},
    {"DEFERRABLE", TokenType::Deferrable},
    {"DEFERRED", TokenType::Deferred},
    {"DELETE", TokenType::Delete},
    {"DELIMITERS", TokenType::Delimiters},
    {"DESC", TokenType::Desc},
    {"DETACH", TokenType::Detach},
    {"DISTINCT", TokenType::Distinct},
    {"DROP", TokenType::Drop},
    {"EACH", TokenType::Each},
    {"ELSE", TokenType::Else},
    {"END", TokenType::End},
    {"EXCEPT", TokenType::Except},
    {"EXPLAIN", TokenType::Explain},
    {"FAIL", TokenType::Fail},
    {"FOR", TokenType::For},
    {"FOREIGN", TokenType::Foreign},
    {"FROM", TokenType::From},
    {"FULL", TokenType::JoinKeyword},
    {"GLOB", TokenType::Glob},
    {"GROUP", TokenType::Group},
    {"HAVING", TokenType::Having},
    {"IGNORE", TokenType::Ignore},
    {"IMMEDIATE", TokenType::Immediate},
    {"IN", TokenType::In},
    {"INDEX", TokenType::Index},
    {"INITIALLY", TokenType::Initially},
    {"INNER", TokenType::JoinKeyword},
    {"INSERT", TokenType::Insert},
    {"INSTEAD", TokenType::Instead},
    {"INTERSECT", TokenType::Intersect},
    {"INTO", TokenType::Into},
    {"IS", TokenType::Is},
    {"ISNULL", TokenType::IsNull},
    {"JOIN", TokenType::Join},
    {"KEY", TokenType::Key},
    {"LEFT", TokenType::JoinKeyword},
    {"LIKE", TokenType::Like},
    {"LIMIT", TokenType::Limit},
    {"MATCH", TokenType::Match},
    {"NATURAL", TokenType::JoinKeyword},
    {"NOT", TokenType::Not},
    {"NOTNULL", TokenType::NotNull},
    {"NULL", TokenType::Null},
    {"OF", TokenType::Of},
    {"OFFSET", TokenType::Offset},
    {"ON", TokenType::On},
    {"OR", TokenType::Or},
    {"ORDER", TokenType::Order},
    {"OUTER", TokenType::JoinKeyword},
    {"PRAGMA", TokenType::Pragma},
    {"PRIMARY", TokenType::Primary},
    {"RAISE", TokenType::Raise},
    {"REFERENCES", TokenType::References},
    {"REPLACE", TokenType::Replace},
    {"RESTRICT", TokenType::Restrict},
    {"RIGHT", TokenType::JoinKeyword},
    {"ROLLBACK", TokenType::Rollback},
    {"ROW", TokenType::Row},
    {"SELECT", TokenType::Select},
    {"SET", TokenType::Set},
    {"STATEMENT", TokenType::Statement},
    {"TABLE", TokenType::Table},
    {"TEMP", TokenType::Temp},
    {"TEMPORARY", TokenType::Temp},
    {"THEN", TokenType::Then},
    {"TRANSACTION", TokenType::Transaction},
    {"TRIGGER", TokenType::Trigger},
    {"UNION", TokenType::Union},
    {"UNIQUE", TokenType::Unique},
    {"UPDATE", TokenType::Update},
    {"USING", TokenType::Using},
    {"VACUUM", TokenType::Vacuum},
    {"VALUES", TokenType::Values},
    {"VIEW", TokenType::View},
    {"WHEN", TokenType::When},
    {"WHERE", TokenType::Where},
};

constexpr size_t kLongestKeyword = 11;  // TRANSACTION

}  // namespace

namespace {

constexpr size_t kLetters = 26;

// The keywords of one length and first letter: a word is compared with these few only.
const std::vector<KeywordEntry>& keywordsLike(size_t length, char firstLetter) {
  static const auto groups = [] {
    std::array<std::vector<KeywordEntry>, (kLongestKeyword + 1) * kLetters> table;
    for (const KeywordEntry& entry : kKeywords) {
      table[std::strlen(entry.word) * kLetters + (entry.word[0] - 'A')].push_back(entry);
    }
    return table;
  }();
  return groups[length * kLetters + (firstLetter - 'A')];
}

}  // namespace

TokenType keywordType(std::string_view word) {
  if (word.size() < 2 || word.size() > kLongestKeyword) return TokenType::Id;
  char upper[kLongestKeyword];
  for (size_t i = 0; i < word.size(); ++i) upper[i] = upperAscii(word[i]);
  if (upper[0] < 'A' || upper[0] > 'Z') return TokenType::Id;
  for (const KeywordEntry& entry : keywordsLike(word.size(), upper[0])) {
    // Compared here rather than with memcmp, which costs more than it saves on a few letters.
    size_t same = 0;
    while (same < word.size() && upper[same] == entry.word[same]) ++same;
    if (same == word.size()) return entry.type;
  }
  return TokenType::Id;
}

bool isKeywordUsableAsName(TokenType type) {
  switch (type) {
    case TokenType::Abort:
    case TokenType::After:
    case TokenType::Asc:
    case TokenType::Attach:
    case TokenType::Before:
    case TokenType::Begin:
    case TokenType::Cascade:
    case TokenType::Cluster:
    case TokenType::Conflict:
    case TokenType::Copy:
    case TokenType::Database:
    case TokenType::Deferred:
    case TokenType::Delimiters:
    case TokenType::Desc:
    case TokenType::Detach:
    case TokenType::Each:
    case TokenType::End:
    case TokenType::Explain:
    case TokenType::Fail:
    case TokenType::For:
    case TokenType::Glob:
    case TokenType::Ignore:
    case TokenType::Immediate:
    case TokenType::Initially:
    case TokenType::Instead:
    case TokenType::Key:
    case TokenType::Like:
    case TokenType::Match:
    case TokenType::Of:
    case TokenType::Offset:
    case TokenType::Pragma:
    case TokenType::Raise:
    case TokenType::Replace:
    case TokenType::Restrict:
    case TokenType::Row:
    case TokenType::Statement:
    case TokenType::Temp:
    case TokenType::Trigger:
    case TokenType::Vacuum:
    case TokenType::View:
      return true;
    default:
      return false;
  }
}

std::string tokenName(const Token& token) {
  std::string_view text = token.text;
  if (text.empty()) return std::string();
  char open = text.front();
  if (open == '[') return std::string(text.substr(1, text.size() - 2));
  if (token.type != TokenType::String || (open != '\'' && open != '"')) return std::string(text);
  std::string_view inside = text.substr(1, text.size() - 2);
  size_t quote = inside.find(open);
  if (quote == inside.npos) return std::string(inside);
  std::string name;
  name.reserve(inside.size());
  // Runs up to and including each quote are copied whole; the quote after it, which doubled
  // it, is left out.
  size_t from = 0;
  for (; from < inside.size() && (quote = inside.find(open, from)) != inside.npos;
       from = quote + 2) {
    name.append(inside, from, quote + 1 - from);
  }
  if (from < inside.size()) name.append(inside, from);
  return name;
}

Token Tokenizer::next() {
  Token token;
  next(token);
  return token;
}

void Tokenizer::next(Token& token) {
  const size_t start = position_;
  token.offset = start;
  if (start >= text_.size()) {
    token.type = TokenType::EndOfText;
    token.text = text_.substr(start);
    return;
  }
  const unsigned char c = static_cast<unsigned char>(text_[start]);
  size_t end = start + 1;
  TokenType type;
  if (isSpace(c)) {
    while (end < text_.size() && isSpace(static_cast<unsigned char>(text_[end]))) ++end;
    type = TokenType::Space;
  } else if (isWordChar(c) && !isDigit(c)) {
    end = scanWord(start);
    type = keywordType(text_.substr(start, end - start));
  } else if (isDigit(c)) {
    end = scanNumber(start, type);
  } else if (c == '\'' || c == '"') {
    end = scanQuoted(start, static_cast<char>(c), true);
    type = end == std::string_view::npos ? TokenType::Illegal : TokenType::String;
  } else if (c == '-' && end < text_.size() && text_[end] == '-') {
    while (end < text_.size() && text_[end] != '\n') ++end;
    type = TokenType::Comment;
  } else if (c == '/' && end < text_.size() && text_[end] == '*') {
    size_t close = text_.find("*/", start + 2);
    end = close == std::string_view::npos ? text_.size() : close + 2;
    type = TokenType::Comment;
  } else if (c == '[') {
    end = scanQuoted(start, ']', false);
    type = end == std::string_view::npos ? TokenType::Illegal : TokenType::Id;
  } else {
    size_t length = 1;
    type = scanPunctuation(start, length);
    end = start + length;
  }
  if (end == std::string_view::npos) end = text_.size();
  lastStart_ = start;
  position_ = end;
  token.type = type;
  token.text = text_.substr(start, end - start);
}

// The end of a quoted token, or npos when the closing character never comes.
size_t Tokenizer::scanQuoted(size_t start, char close, bool doubledCloseEscapes) const {
  for (size_t i = text_.find(close, start + 1); i != std::string_view::npos;
       i = text_.find(close, i + 2)) {
    if (!doubledCloseEscapes || i + 1 >= text_.size() || text_[i + 1] != close) return i + 1;
  }
  return std::string_view::npos;
}

// Digits, then a fraction only when a digit follows the point, then an exponent only when a
// digit follows the 'e' (and its sign): "1." is 1 and a dot, "1e" is 1 and a name.
size_t Tokenizer::scanNumber(size_t start, TokenType& type) const {
  auto digitAt = [this](size_t i) {
    return i < text_.size() && isDigit(static_cast<unsigned char>(text_[i]));
  };
  size_t i = start;
  while (digitAt(i)) ++i;
  type = TokenType::Integer;
  if (i < text_.size() && text_[i] == '.' && digitAt(i + 1)) {
    i += 2;
    while (digitAt(i)) ++i;
    type = TokenType::Float;
  }
  if (i < text_.size() && (text_[i] == 'e' || text_[i] == 'E')) {
    size_t digits = i + 1;
    if (digits < text_.size() && (text_[digits] == '+' || text_[digits] == '-')) ++digits;
    if (digitAt(digits)) {
      i = digits;
      while (digitAt(i)) ++i;
      type = TokenType::Float;
    }
  }
  return i;
}

size_t Tokenizer::scanWord(size_t start) const {
  size_t i = start;
  while (i < text_.size() && isWordChar(static_cast<unsigned char>(text_[i]))) ++i;
  return i;
}

TokenType Tokenizer::scanPunctuation(size_t start, size_t& length) const {
  char c = text_[start];
  char following = start + 1 < text_.size() ? text_[start + 1] : '\0';
  length = 1;
  auto two = [&length](TokenType type) {
    length = 2;
    return type;
  };
  switch (c) {
    case '(':
      return TokenType::LeftParen;
    case ')':
      return TokenType::RightParen;
    case ';':
      return TokenType::Semicolon;
    case ',':
      return TokenType::Comma;
    case '.':
      return TokenType::Dot;
    case '+':
      return TokenType::Plus;
    case '-':
      return TokenType::Minus;
    case '*':
      return TokenType::Star;
    case '/':
      return TokenType::Slash;
    case '%':
      return TokenType::Rem;
    case '&':
      return TokenType::BitAnd;
    case '~':
      return TokenType::BitNot;
    case '?':
      return TokenType::Variable;
    case '=':
      return following == '=' ? two(TokenType::Eq) : TokenType::Eq;
    case '<':
      if (following == '=') return two(TokenType::Le);
      if (following == '>') return two(TokenType::Ne);
      if (following == '<') return two(TokenType::LeftShift);
      return TokenType::Lt;
    case '>':
      if (following == '=') return two(TokenType::Ge);
      if (following == '>') return two(TokenType::RightShift);
      return TokenType::Gt;
    case '|':
      return following == '|' ? two(TokenType::Concat) : TokenType::BitOr;
    case '!':
      if (following == '=') return two(TokenType::Ne);
      // The reference library reports a lone '!' together with the character after it.
      if (start + 1 < text_.size()) length = 2;
      return TokenType::Illegal;
    default:
      return TokenType::Illegal;
  }
}

}  // namespace sqlite2
