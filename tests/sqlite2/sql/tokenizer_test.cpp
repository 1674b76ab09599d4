#include "sql/text/tokenizer.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sqlite2 {
namespace {

struct Piece {
  TokenType type;
  std::string text;
  bool operator==(const Piece& other) const { return type == other.type && text == other.text; }
};

std::ostream& operator<<(std::ostream& out, const Piece& piece) {
  return out << static_cast<int>(piece.type) << ":'" << piece.text << "'";
}

// Every token of the text, spaces and comments left out.
std::vector<Piece> significantTokens(std::string_view text) {
  Tokenizer tokenizer(text);
  std::vector<Piece> pieces;
  for (;;) {
    Token token = tokenizer.next();
    if (token.type == TokenType::EndOfText) return pieces;
    if (token.type == TokenType::Space || token.type == TokenType::Comment) continue;
    pieces.push_back({token.type, std::string(token.text)});
  }
}

TEST(Tokenizer, NumbersEndWhereTheReferenceEndsThem) {
  using T = TokenType;
  EXPECT_EQ(
      significantTokens("1.5e10 007 1e+5 2E-3"),
      (std::vector<Piece>{
          {T::Float, "1.5e10"}, {T::Integer, "007"}, {T::Float, "1e+5"}, {T::Float, "2E-3"}}));
  // "1." is a number and a dot, ".5" a dot and a number, "1e" a number and a name.
  EXPECT_EQ(significantTokens("1. .5 1e 1e+ 0x10"), (std::vector<Piece>{{T::Integer, "1"},
                                                                        {T::Dot, "."},
                                                                        {T::Dot, "."},
                                                                        {T::Integer, "5"},
                                                                        {T::Integer, "1"},
                                                                        {T::Id, "e"},
                                                                        {T::Integer, "1"},
                                                                        {T::Id, "e"},
                                                                        {T::Plus, "+"},
                                                                        {T::Integer, "0"},
                                                                        {T::Id, "x10"}}));
}

TEST(Tokenizer, OperatorsTakeTheLongestSpelling) {
  using T = TokenType;
  EXPECT_EQ(significantTokens("== = <> != <= >= << >> < > || | & ~ % ?"),
            (std::vector<Piece>{{T::Eq, "=="},
                                {T::Eq, "="},
                                {T::Ne, "<>"},
                                {T::Ne, "!="},
                                {T::Le, "<="},
                                {T::Ge, ">="},
                                {T::LeftShift, "<<"},
                                {T::RightShift, ">>"},
                                {T::Lt, "<"},
                                {T::Gt, ">"},
                                {T::Concat, "||"},
                                {T::BitOr, "|"},
                                {T::BitAnd, "&"},
                                {T::BitNot, "~"},
                                {T::Rem, "%"},
                                {T::Variable, "?"}}));
}

TEST(Tokenizer, QuotedTokensKeepTheirQuotesAndNamesLoseThem) {
  Tokenizer tokenizer("'it''s' \"a\"\"b\" [x y] `q`");
  Token single = tokenizer.next();
  EXPECT_EQ(single.type, TokenType::String);
  EXPECT_EQ(single.text, "'it''s'");
  EXPECT_EQ(tokenName(single), "it's");
  tokenizer.next();
  Token doubled = tokenizer.next();
  EXPECT_EQ(doubled.type, TokenType::String);
  EXPECT_EQ(tokenName(doubled), "a\"b");
  tokenizer.next();
  Token bracketed = tokenizer.next();
  EXPECT_EQ(bracketed.type, TokenType::Id);
  EXPECT_EQ(bracketed.text, "[x y]");
  EXPECT_EQ(tokenName(bracketed), "x y");
  tokenizer.next();
  EXPECT_EQ(tokenizer.next().type, TokenType::Illegal);  // backquotes are not SQL here
}

TEST(Tokenizer, EveryDoubledQuoteOfATextStandsForOne) {
  const std::pair<const char*, const char*> cases[] = {
      {"''", ""},
      {"''''", "'"},
      {"''''''", "''"},
      {"'''a'''", "'a'"},
      {"'a''b''''c'", "a'b''c"},
      {"'no quotes in here, just a longer text'", "no quotes in here, just a longer text"},
      {"\"say \"\"hi\"\"\"", "say \"hi\""},
      {"'\"single\" keeps double'", "\"single\" keeps double"},
  };
  for (const auto& [text, name] : cases) {
    Tokenizer tokenizer(text);
    Token token = tokenizer.next();
    ASSERT_EQ(token.type, TokenType::String) << text;
    ASSERT_EQ(token.text, text);
    EXPECT_EQ(tokenName(token), name) << text;
  }
}

TEST(Tokenizer, UnterminatedQuotesAreIllegalTokensToTheEnd) {
  for (const char* text : {"'abc", "\"abc", "[abc", "'it''s"}) {
    Tokenizer tokenizer(text);
    Token token = tokenizer.next();
    EXPECT_EQ(token.type, TokenType::Illegal) << text;
    EXPECT_EQ(token.text, text);
    EXPECT_EQ(tokenizer.next().type, TokenType::EndOfText);
  }
}

TEST(Tokenizer, CommentsRunToTheEndOfTheLineOrTheClosingMark) {
  Tokenizer tokenizer("a -- note\nb /* long\n note */ c /* open");
  std::vector<Piece> all;
  for (Token token = tokenizer.next(); token.type != TokenType::EndOfText;
       token = tokenizer.next()) {
    all.push_back({token.type, std::string(token.text)});
  }
  using T = TokenType;
  EXPECT_EQ(all, (std::vector<Piece>{{T::Id, "a"},
                                     {T::Space, " "},
                                     {T::Comment, "-- note"},
                                     {T::Space, "\n"},
                                     {T::Id, "b"},
                                     {T::Space, " "},
                                     {T::Comment, "/* long\n note */"},
                                     {T::Space, " "},
                                     {T::Id, "c"},
                                     {T::Space, " "},
                                     {T::Comment, "/* open"}}));
}

TEST(Tokenizer, KeywordsInAnyCaseAndNamesWithHighBytes) {
  EXPECT_EQ(keywordType("select"), TokenType::Select);
  EXPECT_EQ(keywordType("SeLeCt"), TokenType::Select);
  EXPECT_EQ(keywordType("temporary"), TokenType::Temp);
  EXPECT_EQ(keywordType("left"), TokenType::JoinKeyword);
  EXPECT_EQ(keywordType("selects"), TokenType::Id);
  EXPECT_EQ(keywordType("transactions"), TokenType::Id);
  EXPECT_EQ(keywordType("a"), TokenType::Id);
  using T = TokenType;
  // The shortest and longest, and words sharing a length and a first letter.
  EXPECT_EQ(keywordType("as"), T::As);
  EXPECT_EQ(keywordType("Of"), T::Of);
  EXPECT_EQ(keywordType("TRANSACTION"), T::Transaction);
  EXPECT_EQ(keywordType("index"), T::Index);
  EXPECT_EQ(keywordType("inner"), T::JoinKeyword);
  EXPECT_EQ(keywordType("insert"), T::Insert);
  EXPECT_EQ(keywordType("instead"), T::Instead);
  EXPECT_EQ(keywordType("ASC"), T::Asc);
  EXPECT_EQ(keywordType("asx"), T::Id);
  EXPECT_EQ(keywordType("_as"), T::Id);
  EXPECT_EQ(keywordType("\xc3\x81s"), T::Id);
  EXPECT_EQ(significantTokens("名前 a_1 _x"),
            (std::vector<Piece>{{T::Id, "名前"}, {T::Id, "a_1"}, {T::Id, "_x"}}));
}

TEST(Tokenizer, KeywordsThatServeAsNames) {
  EXPECT_TRUE(isKeywordUsableAsName(TokenType::Key));
  EXPECT_TRUE(isKeywordUsableAsName(TokenType::Desc));
  EXPECT_TRUE(isKeywordUsableAsName(TokenType::End));
  EXPECT_FALSE(isKeywordUsableAsName(TokenType::Select));
  EXPECT_FALSE(isKeywordUsableAsName(TokenType::JoinKeyword));
  EXPECT_FALSE(isKeywordUsableAsName(TokenType::Id));
}

TEST(Tokenizer, ExclamationMarkAloneIsIllegalWithTheCharacterAfterIt) {
  Tokenizer tokenizer("!x");
  Token token = tokenizer.next();
  EXPECT_EQ(token.type, TokenType::Illegal);
  EXPECT_EQ(token.text, "!x");
  Tokenizer atEnd("!");
  EXPECT_EQ(atEnd.next().text, "!");
  EXPECT_EQ(significantTokens("$ # @").size(), 3u);
  for (const Piece& piece : significantTokens("$ # @")) EXPECT_EQ(piece.type, TokenType::Illegal);
}

}  // namespace
}  // namespace sqlite2
