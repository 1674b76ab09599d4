// The CREATE statements: tables with their columns and constraints, indexes, views and
// triggers. The rest of the grammar is in parser.cpp.

#include "sql/text/parser.h"

#include "common/ascii_case.h"
#include "common/error.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

bool startsColumnConstraint(TokenType type) {
  switch (type) {
    case TokenType::Constraint:
    case TokenType::Default:
    case TokenType::Null:
    case TokenType::Not:
    case TokenType::Primary:
    case TokenType::Unique:
    case TokenType::Check:
    case TokenType::References:
    case TokenType::Deferrable:
    case TokenType::Collate:
      return true;
    default:
      return false;
  }
}

}  // namespace

StatementBody Parser::parseCreate() {
  advance();  // CREATE
  if (accept(TokenType::Temp)) {
    if (peek().type == TokenType::View) return parseCreateView(true);
    if (peek().type == TokenType::Trigger) return parseCreateTrigger(true);
    expect(TokenType::Table);
    return parseCreateTable(true);
  }
  switch (peek().type) {
    case TokenType::Table:
      advance();
      return parseCreateTable(false);
    case TokenType::Unique:
      advance();
      expect(TokenType::Index);
      return parseCreateIndex(true);
    case TokenType::Index:
      advance();
      return parseCreateIndex(false);
    case TokenType::View:
      return parseCreateView(false);
    case TokenType::Trigger:
      return parseCreateTrigger(false);
    default:
      syntaxError();
  }
}

CreateTable Parser::parseCreateTable(bool temporary) {
  CreateTable table;
  table.temporary = temporary;
  table.name = parseName();
  if (accept(TokenType::As)) {
    if (peek().type != TokenType::Select) syntaxError();
    table.select = std::make_shared<Select>(parseSelect());
    return table;
  }
  expect(TokenType::LeftParen);
  parseColumnDefinition(table);
  while (accept(TokenType::Comma)) {
    switch (peek().type) {
      case TokenType::Constraint:
      case TokenType::Primary:
      case TokenType::Unique:
      case TokenType::Check:
      case TokenType::Foreign:
        // Table constraints: separated by commas or by nothing; no column after them.
        parseTableConstraint(table);
        while (peek().type != TokenType::RightParen) {
          accept(TokenType::Comma);
          parseTableConstraint(table);
        }
        break;
      default:
        parseColumnDefinition(table);
        continue;
    }
    break;
  }
  expect(TokenType::RightParen);
  return table;
}

void Parser::parseColumnDefinition(CreateTable& table) {
  ColumnDefinition column;
  column.name = parseName();
  // A stored text may repeat a name: CREATE TABLE ... AS writes the query's names as they are.
  for (const ColumnDefinition& existing : table.columns) {
    if (mode_ == Mode::Execute && sameName(existing.name, column.name)) {
      throw Error(SQLITE_ERROR, "duplicate column name: " + column.name);
    }
  }
  if (peekIsName(false)) column.type = parseColumnType();
  table.columns.push_back(std::move(column));
  ColumnDefinition& added = table.columns.back();
  while (startsColumnConstraint(peek().type)) parseColumnConstraint(table, added);
}

// The declared type as the reference library keeps it: a type of several words counts only
// by its first word, unless a size in parentheses follows, which makes the whole text count.
std::string Parser::parseColumnType() {
  Token first = advance();
  while (peekIsName(false)) advance();
  if (!accept(TokenType::LeftParen)) return std::string(first.text);
  parseSignedInteger();
  if (accept(TokenType::Comma)) parseSignedInteger();
  expect(TokenType::RightParen);
  return std::string(text_.substr(first.offset, lastEnd_ - first.offset));
}

void Parser::parseColumnConstraint(CreateTable& table, ColumnDefinition& column) {
  if (accept(TokenType::Constraint)) {
    parseName();
    TokenType type = peek().type;
    if (type == TokenType::Default || type == TokenType::Constraint ||
        !startsColumnConstraint(type)) {
      syntaxError();
    }
  }
  switch (advance().type) {
    case TokenType::Default:
      column.defaultValue = parseDefaultValue();
      break;
    case TokenType::Null:
      parseConflictClause();
      break;
    case TokenType::Not:
      if (accept(TokenType::Deferrable)) {
        parseDeferrableClause();
        break;
      }
      expect(TokenType::Null);
      column.notNull = true;
      column.notNullConflict = parseConflictClause();
      break;
    case TokenType::Primary: {
      expect(TokenType::Key);
      if (!accept(TokenType::Asc) && accept(TokenType::Desc)) column.primaryKeyDescending = true;
      if (table.hasPrimaryKey) {
        throw Error(SQLITE_ERROR, "table \"" + table.name + "\" has more than one primary key");
      }
      table.hasPrimaryKey = true;
      column.primaryKey = true;
      UniqueConstraint constraint{{column.name}, true, parseConflictClause()};
      table.uniqueConstraints.push_back(std::move(constraint));
      break;
    }
    case TokenType::Unique: {
      column.unique = true;
      UniqueConstraint constraint{{column.name}, false, parseConflictClause()};
      table.uniqueConstraints.push_back(std::move(constraint));
      break;
    }
    case TokenType::Check:
      parseCheckClause();
      parseConflictClause();
      break;
    case TokenType::References:
      parseReferencesClause(&column.name);
      break;
    case TokenType::Deferrable:
      parseDeferrableClause();
      break;
    case TokenType::Collate:
      if (!peekIsName(false) || peek().type == TokenType::String) syntaxError();
      column.collation = tokenName(advance());
      break;
    default:
      break;
  }
}

void Parser::parseTableConstraint(CreateTable& table) {
  TokenType kind = peek().type;
  switch (kind) {
    case TokenType::Constraint:
    case TokenType::Primary:
    case TokenType::Unique:
    case TokenType::Check:
    case TokenType::Foreign:
      advance();
      break;
    default:
      syntaxError();
  }
  switch (kind) {
    case TokenType::Constraint:
      parseName();
      break;
    case TokenType::Primary:
    case TokenType::Unique: {
      bool primaryKey = kind == TokenType::Primary;
      if (primaryKey) expect(TokenType::Key);
      std::vector<std::string> columns = parseIndexedColumns();
      if (primaryKey) {
        if (table.hasPrimaryKey) {
          throw Error(SQLITE_ERROR, "table \"" + table.name + "\" has more than one primary key");
        }
        table.hasPrimaryKey = true;
      }
      for (const std::string& name : columns) {
        bool found = false;
        for (ColumnDefinition& column : table.columns) {
          if (sameName(column.name, name)) {
            found = true;
            if (primaryKey && columns.size() == 1) column.primaryKey = true;
          }
        }
        if (!found) {
          throw Error(SQLITE_ERROR, "table " + table.name + " has no column named " + name);
        }
      }
      UniqueConstraint constraint{std::move(columns), primaryKey, parseConflictClause()};
      table.uniqueConstraints.push_back(std::move(constraint));
      break;
    }
    case TokenType::Check:
      parseCheckClause();
      parseConflictClause();
      break;
    case TokenType::Foreign:
      expect(TokenType::Key);
      parseIndexedColumns();
      expect(TokenType::References);
      parseReferencesClause(nullptr);
      if (peek().type == TokenType::Deferrable ||
          (peek().type == TokenType::Not && mode_ == Mode::LoadSchema)) {
        accept(TokenType::Not);
        accept(TokenType::Deferrable);
        parseDeferrableClause();
      }
      break;
    default:
      break;
  }
}

// DEFAULT takes one literal: a text, a name, or a number with an optional sign.
std::optional<std::string> Parser::parseDefaultValue() {
  Token token = peek();
  if (accept(TokenType::Null)) return std::nullopt;
  if (token.type == TokenType::String || token.type == TokenType::Id ||
      isKeywordUsableAsName(token.type)) {
    return tokenName(advance());
  }
  bool negative = false;
  if (token.type == TokenType::Plus || token.type == TokenType::Minus) {
    negative = token.type == TokenType::Minus;
    advance();
    if (peek().type != TokenType::Integer && peek().type != TokenType::Float) syntaxError();
  }
  if (peek().type == TokenType::Integer || peek().type == TokenType::Float) {
    return (negative ? "-" : "") + std::string(advance().text);
  }
  syntaxError();
}

// [OR ROLLBACK|ABORT|FAIL|IGNORE|REPLACE] after INSERT or UPDATE.
ConflictAction Parser::parseOrConflict() {
  if (!accept(TokenType::Or)) return ConflictAction::Default;
  return parseConflictAction();
}

ConflictAction Parser::parseConflictClause() {
  if (peek().type != TokenType::On) return ConflictAction::Default;
  advance();
  expect(TokenType::Conflict);
  return parseConflictAction();
}

ConflictAction Parser::parseConflictAction() {
  Token action = advance();
  switch (action.type) {
    case TokenType::Rollback:
      return ConflictAction::Rollback;
    case TokenType::Abort:
      return ConflictAction::Abort;
    case TokenType::Fail:
      return ConflictAction::Fail;
    case TokenType::Ignore:
      return ConflictAction::Ignore;
    case TokenType::Replace:
      return ConflictAction::Replace;
    default:
      syntaxErrorAt(action);
  }
}

// REFERENCES table [(columns)] [MATCH name | ON DELETE|UPDATE|INSERT action]...
void Parser::parseReferencesClause(const std::string* column) {
  std::string table = parseName();
  if (peek().type == TokenType::LeftParen) {
    std::vector<std::string> columns = parseIndexedColumns();
    if (column && columns.size() != 1) {
      throw Error(SQLITE_ERROR, "foreign key on " + *column +
                                    " should reference only one column of table " + table);
    }
  }
  for (;;) {
    if (accept(TokenType::Match)) {
      parseName();
    } else if (peek().type == TokenType::On) {
      advance();
      Token event = advance();
      if (event.type != TokenType::Delete && event.type != TokenType::Update &&
          event.type != TokenType::Insert) {
        syntaxErrorAt(event);
      }
      Token action = advance();
      switch (action.type) {
        case TokenType::Set:
          if (!accept(TokenType::Null)) expect(TokenType::Default);
          break;
        case TokenType::Cascade:
        case TokenType::Restrict:
          break;
        default:
          syntaxErrorAt(action);
      }
    } else {
      return;
    }
  }
}

// After [NOT] DEFERRABLE: [INITIALLY DEFERRED | INITIALLY IMMEDIATE].
void Parser::parseDeferrableClause() {
  if (!accept(TokenType::Initially)) return;
  if (!accept(TokenType::Deferred)) expect(TokenType::Immediate);
}

// CHECK constraints are not enforced (neither does the reference library enforce them); the
// expression must still be one the engine reads when a statement creates the table. A
// stored schema may hold any expression: its tokens are skipped.
void Parser::parseCheckClause() {
  if (mode_ == Mode::Execute) {
    parseExpr();
    return;
  }
  int depth = 0;
  for (;;) {
    TokenType type = peek().type;
    if (type == TokenType::EndOfText) syntaxError();
    if (depth == 0 &&
        (type == TokenType::Comma || type == TokenType::RightParen || type == TokenType::On ||
         type == TokenType::Primary || type == TokenType::Unique || type == TokenType::Check ||
         type == TokenType::Foreign || type == TokenType::Constraint)) {
      return;
    }
    advance();
    if (type == TokenType::LeftParen) ++depth;
    if (type == TokenType::RightParen && --depth == 0) return;
  }
}

// ( name [ASC|DESC], ... )
std::vector<std::string> Parser::parseIndexedColumns() {
  expect(TokenType::LeftParen);
  std::vector<std::string> columns;
  do {
    columns.push_back(parseName());
    if (!accept(TokenType::Asc)) accept(TokenType::Desc);
  } while (accept(TokenType::Comma));
  expect(TokenType::RightParen);
  return columns;
}

CreateIndex Parser::parseCreateIndex(bool unique) {
  CreateIndex index;
  index.unique = unique;
  index.name = parseName();
  expect(TokenType::On);
  index.table = parseQualifiedName(index.database);
  index.columns = parseIndexedColumns();
  indexColumnsEnd_ = lastEnd_;
  index.conflict = parseConflictClause();
  return index;
}

// CREATE VIEW name AS select
CreateView Parser::parseCreateView(bool temporary) {
  expect(TokenType::View);
  CreateView view;
  view.temporary = temporary;
  view.name = parseName();
  expect(TokenType::As);
  view.select = std::make_shared<Select>(parseSelect());
  return view;
}

// CREATE [TEMP] TRIGGER name [BEFORE|AFTER|INSTEAD OF] event ON [database.]table
// [FOR EACH ROW|STATEMENT] [WHEN expr] BEGIN step; ... END
CreateTrigger Parser::parseCreateTrigger(bool temporary) {
  expect(TokenType::Trigger);
  CreateTrigger trigger;
  trigger.temporary = temporary;
  trigger.name = parseName();
  trigger.timing = parseTriggerTiming();
  parseTriggerEvent(trigger);
  expect(TokenType::On);
  trigger.table = parseName();
  if (accept(TokenType::Dot)) {
    trigger.database = std::move(trigger.table);
    trigger.table = parseName();
  }
  if (accept(TokenType::For)) {
    expect(TokenType::Each);
    if (!accept(TokenType::Row)) {
      expect(TokenType::Statement);
      trigger.forEachStatement = true;
    }
  }
  if (accept(TokenType::When)) trigger.when = parseExpr();
  expect(TokenType::Begin);
  CreateTrigger& header = triggerHeader_.emplace();
  header.name = trigger.name;
  header.table = trigger.table;
  header.database = trigger.database;
  header.temporary = trigger.temporary;
  header.timing = trigger.timing;
  while (!accept(TokenType::End)) {
    trigger.steps.push_back(parseTriggerStep());
    expect(TokenType::Semicolon);
  }
  return trigger;
}

TriggerTiming Parser::parseTriggerTiming() {
  if (accept(TokenType::Instead)) {
    expect(TokenType::Of);
    return TriggerTiming::InsteadOf;
  }
  if (accept(TokenType::After)) return TriggerTiming::After;
  accept(TokenType::Before);
  return TriggerTiming::Before;
}

void Parser::parseTriggerEvent(CreateTrigger& trigger) {
  Token event = advance();
  switch (event.type) {
    case TokenType::Delete:
      trigger.event = TriggerEvent::Delete;
      break;
    case TokenType::Insert:
      trigger.event = TriggerEvent::Insert;
      break;
    case TokenType::Update:
      trigger.event = TriggerEvent::Update;
      if (accept(TokenType::Of)) {
        do trigger.updateColumns.push_back(parseName());
        while (accept(TokenType::Comma));
      }
      break;
    default:
      syntaxErrorAt(event);
  }
}

// The statements a trigger's body may hold: their tables are named without a database.
TriggerStep Parser::parseTriggerStep() {
  switch (peek().type) {
    case TokenType::Select:
      return parseSelect();
    case TokenType::Insert:
    case TokenType::Replace:
      return parseStepWritingTable(&Parser::parseInsert);
    case TokenType::Update:
      return parseStepWritingTable(&Parser::parseUpdate);
    case TokenType::Delete:
      return parseStepWritingTable(&Parser::parseDelete);
    default:
      syntaxError();
  }
}

template <typename Step>
Step Parser::parseStepWritingTable(Step (Parser::*parse)()) {
  parsingTriggerStep_ = true;
  try {
    Step step = (this->*parse)();
    parsingTriggerStep_ = false;
    return step;
  } catch (...) {
    parsingTriggerStep_ = false;
    throw;
  }
}

}  // namespace sqlite2
