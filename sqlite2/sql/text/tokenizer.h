#pragma once

#include <string_view>

#include "sql/text/token.h"

namespace sqlite2 {

// Splits SQL text into tokens, one at a time. Spaces and comments are returned as tokens
// too: a syntax error at the end of the text names the last token read, whatever it was.
class Tokenizer {
 public:
  explicit Tokenizer(std::string_view text) : text_(text) {}

  // The next token; EndOfText (with empty text) once the text is used up.
  Token next();
  // The same into a token kept by the caller: copying a token just made stalls the
  // processor, which cannot pass the token's separately stored fields on to one wide load.
  void next(Token& token);
  size_t position() const { return position_; }
  // The text of the last token given other than EndOfText (spaces and comments included);
  // empty before the first.
  std::string_view lastToken() const { return text_.substr(lastStart_, position_ - lastStart_); }

 private:
  size_t scanQuoted(size_t start, char close, bool doubledCloseEscapes) const;
  size_t scanNumber(size_t start, TokenType& type) const;
  size_t scanWord(size_t start) const;
  TokenType scanPunctuation(size_t start, size_t& length) const;

  std::string_view text_;
  size_t position_ = 0;
  size_t lastStart_ = 0;
};

// The keyword a word stands for (any case), or TokenType::Id for an ordinary name.
TokenType keywordType(std::string_view word);

}  // namespace sqlite2
