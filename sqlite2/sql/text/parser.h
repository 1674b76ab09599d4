#pragma once

#include <string_view>

#include "sql/text/ast.h"
#include "sql/text/tokenizer.h"

namespace sqlite2 {

// Reads the statements of an SQL text one at a time, so that each can run before the next is
// read (a syntax error in the third statement leaves the first two done). Syntax errors throw
// Error(SQLITE_ERROR) with the reference library's texts: near "x": syntax error, naming the
// first token that cannot continue the statement (at the end of the text, the last token
// read), and unrecognized token: "x". An expression nested more deeply than the engine can
// safely compile and evaluate throws Error(SQLITE_ERROR, "expression nested too deeply").
class Parser {
 public:
  enum class Mode {
    Execute,     // a statement to run: only the SQL the engine implements
    LoadSchema,  // a CREATE text from sqlite_master: also CHECK expressions whatever they
                 // hold
  };

  explicit Parser(std::string_view text, Mode mode = Mode::Execute);

  // Parses the next statement and its ";" (empty statements are skipped). Returns false
  // at the end of the text.
  bool next(Statement& statement);
  // After next() failed inside a trigger's body: the trigger as far as its header (up to
  // BEGIN) goes, whose table SQLite 2.8 checks before it reads the body. Null otherwise.
  const CreateTrigger* failedTriggerHeader() const {
    return triggerHeader_ ? &*triggerHeader_ : nullptr;
  }

 private:
  // Token access: peek() reads the next significant token only when it is asked for.
  const Token& peek() { return hasLookahead_ ? lookahead_ : readLookahead(); }
  const Token& readLookahead();
  // The token consumed; the reference holds until the next token is read.
  const Token& advance();
  bool accept(TokenType type);
  const Token& expect(TokenType type);
  [[noreturn]] void syntaxError();
  [[noreturn]] void syntaxErrorAt(const Token& token);
  bool peekIsName(bool allowJoinKeyword = true);
  std::string parseName(bool allowJoinKeyword = true);
  std::string parseQualifiedName(std::string& database, bool allowJoinKeyword = true);
  // The table an INSERT, UPDATE or DELETE writes: qualified, except in a trigger's body.
  std::string parseTargetName(std::string& database);

  StatementBody parseBody();
  StatementBody parseBeginCommitRollback();
  StatementBody parseAttachDetach();
  StatementBody parseCreate();
  CreateTable parseCreateTable(bool temporary);
  void parseColumnDefinition(CreateTable& table);
  std::string parseColumnType();
  void parseColumnConstraint(CreateTable& table, ColumnDefinition& column);
  void parseTableConstraint(CreateTable& table);
  std::optional<std::string> parseDefaultValue();
  ConflictAction parseConflictClause();
  ConflictAction parseOrConflict();
  ConflictAction parseConflictAction();
  void parseReferencesClause(const std::string* column);
  void parseDeferrableClause();
  void parseCheckClause();
  std::vector<std::string> parseIndexedColumns();
  CreateIndex parseCreateIndex(bool unique);
  CreateView parseCreateView(bool temporary);
  CreateTrigger parseCreateTrigger(bool temporary);
  TriggerTiming parseTriggerTiming();
  void parseTriggerEvent(CreateTrigger& trigger);
  TriggerStep parseTriggerStep();
  template <typename Step>
  Step parseStepWritingTable(Step (Parser::*parse)());
  StatementBody parseDrop();
  Insert parseInsert();
  Select parseSelect();
  Select parseSelectCore();
  std::shared_ptr<Select> parseSubquery();
  void parseFrom(Select& select);
  uint8_t parseJoinOperator();
  void parseResultColumns(Select& select);
  std::optional<std::string> parseAlias();
  void parseOrderBy(Select& select);
  void parseLimit(Select& select);
  int parseSignedInteger();
  Update parseUpdate();
  Delete parseDelete();
  Copy parseCopy();
  Pragma parsePragma();

  ExprPtr parseExpr(int minimumLevel = 1);
  ExprPtr parseOperand();
  ExprPtr parseNameExpr();
  ExprPtr parseFunctionCall(Token name);
  ExprPtr parsePostfixOperator(TokenType type, bool negated, size_t start);
  ExprPtr parseCase();
  ExprPtr parseRaise();
  ExprPtr makeNode(ExprKind kind, size_t start);
  void finishNode(Expr& node, size_t start);
  // Sets node.height from its operands; refuses an expression that has grown too deep.
  void measureHeight(Expr& node);

  std::string_view text_;
  Mode mode_;
  Tokenizer tokenizer_;
  Token lookahead_;
  bool hasLookahead_ = false;
  size_t lastEnd_ = 0;                                 // end of the last significant token consumed
  size_t indexColumnsEnd_ = 0;                         // of CREATE INDEX: after its columns
  size_t resultColumnStart_ = std::string_view::npos;  // where "t.*" may stand
  bool parsingTriggerStep_ = false;
  int expressionNesting_ = 0;  // parseExpr calls under way
  // The header of the trigger whose body is being read.
  std::optional<CreateTrigger> triggerHeader_;
};

// A result column's name for an expression: its text as written with each run of white space
// made one space.
std::string compressSpaces(std::string_view text);

}  // namespace sqlite2
