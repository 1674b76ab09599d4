#pragma once

// The tokens of the SQL dialect that SQLite 2.8 reads. Every word of its grammar is a keyword
// here, also those the engine does not implement, so that a statement using them fails with
// the same error as in the reference library.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sqlite2 {

enum class TokenType : uint8_t {
  // Skipped by the parser (but a syntax error at the end of the text names them).
  Space,
  Comment,
  // Values and names.
  Id,        // a word, or a name in [brackets]
  String,    // 'text' or "text"
  Integer,   // digits
  Float,     // digits with a fraction or an exponent
  Variable,  // ?
  Illegal,   // a character the language has no use for, or an unterminated quote
  EndOfText,
  // Punctuation.
  LeftParen,
  RightParen,
  Semicolon,
  Comma,
  Dot,
  Plus,
  Minus,
  Star,
  Slash,
  Rem,
  Eq,
  Ne,
  Lt,
  Le,
  Gt,
  Ge,
  LeftShift,
  RightShift,
  BitAnd,
  BitOr,
  BitNot,
  Concat,
  // Keywords.
  Abort,
  After,
  All,
  And,
  As,
  Asc,
  Attach,
  Before,
  Begin,
  Between,
  By,
  Cascade,
  Case,
  Check,
  Cluster,
  Collate,
  Commit,
  Conflict,
  Constraint,
  Copy,
  Create,
  Database,
  Default,
  Deferrable,
  Deferred,
  Delete,
  Delimiters,
  Desc,
  Detach,
  Distinct,
  Drop,
  Each,
  Else,
  End,
  Except,
  Explain,
  Fail,
  For,
  Foreign,
  From,
  Glob,
  Group,
  Having,
  Ignore,
  Immediate,
  In,
  Index,
  Initially,
  Insert,
  Instead,
  Intersect,
  Into,
  Is,
  IsNull,
  Join,
  JoinKeyword,  // CROSS FULL INNER LEFT NATURAL OUTER RIGHT
  Key,
  Like,
  Limit,
  Match,
  Not,
  NotNull,
  Null,
  Of,
  Offset,
  On,
  Or,
  Order,
  Pragma,
  Primary,
  Raise,
  References,
  Replace,
  Restrict,
  Rollback,
  Row,
  Select,
  Set,
  Statement,
  Table,
  Temp,  // TEMP or TEMPORARY
  Then,
  Transaction,
  Trigger,
  Union,
  Unique,
  Update,
  Using,
  Vacuum,
  Values,
  View,
  When,
  Where,
};

struct Token {
  TokenType type = TokenType::EndOfText;
  std::string_view text;  // the token's bytes in the statement text
  size_t offset = 0;      // where they start in the statement text
};

// Keywords that also serve as names wherever the grammar has no use for the keyword
// (a table named "key" or "desc", a column named "end").
bool isKeywordUsableAsName(TokenType type);

// The name a token stands for: quotes and brackets removed, doubled quotes undone.
std::string tokenName(const Token& token);

}  // namespace sqlite2
