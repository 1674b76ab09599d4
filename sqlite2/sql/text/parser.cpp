#include "sql/text/parser.h"

#include <algorithm>
#include <cstdlib>

#include "common/ascii_case.h"
#include "common/error.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

// The deepest expression a statement may hold, and the deepest the parser goes into one.
// Compiling, evaluating and freeing an expression recurse once per level, as reading a
// parenthesis or a prefix operator does: the bound keeps an absurdly deep statement from
// overflowing the stack, and lies far above what the reference library's parser accepts
// inside parentheses.
constexpr int kMostExpressionDepth = 1000;

// Room taken at once for the values of an INSERT (more are added as they come).
constexpr size_t kTypicalValueCount = 8;

[[noreturn]] void refuseTooDeep() {
  throw Error(SQLITE_ERROR, "expression nested too deeply");
}

// One more level of the parser's own nesting for the lifetime of the object.
class NestingLevel {
 public:
  explicit NestingLevel(int& nesting) : nesting_(nesting) {
    if (nesting_ >= kMostExpressionDepth) refuseTooDeep();
    ++nesting_;
  }
  ~NestingLevel() { --nesting_; }
  NestingLevel(const NestingLevel&) = delete;
  NestingLevel& operator=(const NestingLevel&) = delete;

 private:
  int& nesting_;
};

bool sameJoinWord(const std::string& word, const char* keyword) {
  return sameName(word, keyword);
}

bool isWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == '\v';
}

// Operator precedence, loosest first. Prefix NOT sits between AND and the equality operators,
// so "NOT a = b" is "NOT (a = b)".
enum Level {
  kOr = 1,
  kAnd = 2,
  kNot = 3,
  kEquality = 4,
  kComparison = 5,
  kBitwise = 6,
  kAdditive = 7,
  kMultiplicative = 8,
  kConcat = 9,
  kUnary = 10,
};

int binaryLevel(TokenType type) {
  switch (type) {
    case TokenType::Or:
      return kOr;
    case TokenType::And:
      return kAnd;
    case TokenType::Eq:
    case TokenType::Ne:
    case TokenType::IsNull:
    case TokenType::NotNull:
    case TokenType::Is:
    case TokenType::Not:
    case TokenType::Like:
    case TokenType::Glob:
    case TokenType::Between:
    case TokenType::In:
      return kEquality;
    case TokenType::Lt:
    case TokenType::Le:
    case TokenType::Gt:
    case TokenType::Ge:
      return kComparison;
    case TokenType::BitAnd:
    case TokenType::BitOr:
    case TokenType::LeftShift:
    case TokenType::RightShift:
      return kBitwise;
    case TokenType::Plus:
    case TokenType::Minus:
      return kAdditive;
    case TokenType::Star:
    case TokenType::Slash:
    case TokenType::Rem:
      return kMultiplicative;
    case TokenType::Concat:
      return kConcat;
    default:
      return 0;
  }
}

// A LIMIT or OFFSET value as the reference library reads it (atoi: the digits as a long,
// then cut to int).
int integerValue(const std::string& digits) {
  long long value = std::strtoll(digits.c_str(), nullptr, 10);
  return static_cast<int>(static_cast<unsigned long long>(value) & 0xffffffffULL);
}

}  // namespace

std::string compressSpaces(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (isWhiteSpace(text[i])) {
      while (i + 1 < text.size() && isWhiteSpace(text[i + 1])) ++i;
      result += ' ';
    } else {
      result += text[i];
    }
  }
  return result;
}

Parser::Parser(std::string_view text, Mode mode) : text_(text), mode_(mode), tokenizer_(text) {}

const Token& Parser::readLookahead() {
  do {
    tokenizer_.next(lookahead_);
  } while (lookahead_.type == TokenType::Space || lookahead_.type == TokenType::Comment);
  if (lookahead_.type == TokenType::Illegal) {
    // A lone '!' at the very end: the reference library's message stops before the closing
    // quote there.
    if (lookahead_.text == "!") throw Error(SQLITE_ERROR, "unrecognized token: \"!");
    throw Error(SQLITE_ERROR, "unrecognized token: \"" + std::string(lookahead_.text) + "\"");
  }
  hasLookahead_ = true;
  return lookahead_;
}

const Token& Parser::advance() {
  const Token& token = peek();
  hasLookahead_ = false;
  lastEnd_ = token.offset + token.text.size();
  return token;
}

bool Parser::accept(TokenType type) {
  if (peek().type != type) return false;
  advance();
  return true;
}

const Token& Parser::expect(TokenType type) {
  if (peek().type != type) syntaxError();
  return advance();
}

void Parser::syntaxError() {
  syntaxErrorAt(peek());
}

void Parser::syntaxErrorAt(const Token& token) {
  std::string_view near = token.type == TokenType::EndOfText ? tokenizer_.lastToken() : token.text;
  throw Error(SQLITE_ERROR, "near \"" + std::string(near) + "\": syntax error");
}

bool Parser::peekIsName(bool allowJoinKeyword) {
  TokenType type = peek().type;
  return type == TokenType::Id || type == TokenType::String || isKeywordUsableAsName(type) ||
         (allowJoinKeyword && type == TokenType::JoinKeyword);
}

std::string Parser::parseName(bool allowJoinKeyword) {
  if (!peekIsName(allowJoinKeyword)) syntaxError();
  return tokenName(advance());
}

// [database.]name: the name, and the database when one is written.
std::string Parser::parseQualifiedName(std::string& database, bool allowJoinKeyword) {
  std::string name = parseName(allowJoinKeyword);
  if (!accept(TokenType::Dot)) return name;
  database = std::move(name);
  return parseName(allowJoinKeyword);
}

std::string Parser::parseTargetName(std::string& database) {
  return parsingTriggerStep_ ? parseName() : parseQualifiedName(database);
}

bool Parser::next(Statement& statement) {
  while (peek().type == TokenType::Semicolon) advance();
  if (peek().type == TokenType::EndOfText) return false;
  size_t start = peek().offset;
  triggerHeader_.reset();
  statement.body = parseBody();
  triggerHeader_.reset();
  // sqlite_master keeps an index's text through its columns: SQLite 2.8 leaves its ON
  // CONFLICT clause out.
  size_t end = std::holds_alternative<CreateIndex>(statement.body) ? indexColumnsEnd_ : lastEnd_;
  statement.text = text_.substr(start, end - start);
  // The statement ends here; the token after the ";" is not read yet, so that this
  // statement runs before anything wrong further on is noticed.
  if (peek().type == TokenType::Semicolon) {
    advance();
  } else if (peek().type != TokenType::EndOfText) {
    syntaxError();
  }
  return true;
}

StatementBody Parser::parseBody() {
  switch (peek().type) {
    case TokenType::Select:
      return parseSelect();
    case TokenType::Insert:
    case TokenType::Replace:
      return parseInsert();
    case TokenType::Update:
      return parseUpdate();
    case TokenType::Delete:
      return parseDelete();
    case TokenType::Create:
      return parseCreate();
    case TokenType::Drop:
      return parseDrop();
    case TokenType::Begin:
    case TokenType::Commit:
    case TokenType::End:
    case TokenType::Rollback:
      return parseBeginCommitRollback();
    case TokenType::Pragma:
      return parsePragma();
    case TokenType::Copy:
      return parseCopy();
    case TokenType::Attach:
    case TokenType::Detach:
      return parseAttachDetach();
    case TokenType::Vacuum:
      // VACUUM [name]: the name is read and has no effect.
      advance();
      if (peekIsName()) advance();
      return Vacuum{};
    default:
      syntaxError();
  }
}

// BEGIN [TRANSACTION [name]], COMMIT / END [TRANSACTION [name]], ROLLBACK [TRANSACTION [name]].
StatementBody Parser::parseBeginCommitRollback() {
  TokenType keyword = advance().type;
  if (accept(TokenType::Transaction) && peekIsName()) advance();
  switch (keyword) {
    case TokenType::Begin:
      return Begin{};
    case TokenType::Rollback:
      return Rollback{};
    default:
      return Commit{};
  }
}

// ATTACH [DATABASE] file AS name, DETACH [DATABASE] name
StatementBody Parser::parseAttachDetach() {
  bool attach = advance().type == TokenType::Attach;
  accept(TokenType::Database);
  if (!attach) {
    // SQLite 2.8 looks the name up as written, quotes and all.
    if (!peekIsName()) syntaxError();
    return Detach{std::string(advance().text)};
  }
  Attach statement;
  statement.file = parseName();
  expect(TokenType::As);
  statement.name = parseName();
  return statement;
}

StatementBody Parser::parseDrop() {
  advance();  // DROP
  if (accept(TokenType::Table)) {
    if (!peekIsName()) syntaxError();
    const Token name = advance();
    return DropTable{tokenName(name), std::string(name.text)};
  }
  if (accept(TokenType::View)) return DropView{parseName()};
  if (accept(TokenType::Trigger)) {
    DropTrigger drop;
    drop.name = parseName();
    if (accept(TokenType::Dot)) {
      drop.database = std::move(drop.name);
      drop.name = parseName();
    }
    return drop;
  }
  expect(TokenType::Index);
  DropIndex drop;
  drop.name = parseQualifiedName(drop.database);
  return drop;
}

Copy Parser::parseCopy() {
  advance();  // COPY
  Copy copy;
  copy.conflict = parseOrConflict();
  copy.table = parseQualifiedName(copy.database);
  expect(TokenType::From);
  copy.file = parseName();
  if (accept(TokenType::Using)) {
    expect(TokenType::Delimiters);
    copy.delimiter = tokenName(expect(TokenType::String));
  }
  return copy;
}

// INSERT INTO table [(columns)] VALUES (expressions)
Insert Parser::parseInsert() {
  Insert insert;
  if (advance().type == TokenType::Replace) {
    insert.conflict = ConflictAction::Replace;
  } else {
    insert.conflict = parseOrConflict();
  }
  expect(TokenType::Into);
  insert.table = parseTargetName(insert.database);
  if (accept(TokenType::LeftParen)) {
    insert.columns.emplace();
    do insert.columns->push_back(parseName());
    while (accept(TokenType::Comma));
    expect(TokenType::RightParen);
  }
  if (peek().type == TokenType::Select) {
    insert.select = std::make_shared<Select>(parseSelect());
    return insert;
  }
  expect(TokenType::Values);
  expect(TokenType::LeftParen);
  insert.values.reserve(kTypicalValueCount);
  do insert.values.push_back(parseExpr());
  while (accept(TokenType::Comma));
  expect(TokenType::RightParen);
  return insert;
}

// SELECT ... [UNION [ALL] | INTERSECT | EXCEPT SELECT ...]... [ORDER BY ...] [LIMIT ...]
Select Parser::parseSelect() {
  Select head = parseSelectCore();
  Select* last = &head;
  for (;;) {
    CompoundOperator op;
    if (accept(TokenType::Union)) {
      op = accept(TokenType::All) ? CompoundOperator::UnionAll : CompoundOperator::Union;
    } else if (accept(TokenType::Intersect)) {
      op = CompoundOperator::Intersect;
    } else if (accept(TokenType::Except)) {
      op = CompoundOperator::Except;
    } else {
      break;
    }
    if (peek().type != TokenType::Select) syntaxError();
    // A negative LIMIT without OFFSET limits nothing, and is no misplaced LIMIT either.
    const bool limited = last->limit && (*last->limit >= 0 || last->offset != 0);
    CompoundPart part{op, std::make_shared<Select>(parseSelectCore()), !last->orderBy.empty(),
                      limited};
    last = part.select.get();
    head.compound.push_back(std::move(part));
  }
  if (last != &head) {
    head.orderBy = std::move(last->orderBy);
    last->orderBy.clear();
    head.limit = last->limit;
    head.offset = last->offset;
    last->limit.reset();
    last->offset = 0;
  }
  return head;
}

Select Parser::parseSelectCore() {
  advance();  // SELECT
  Select select;
  if (accept(TokenType::Distinct)) {
    select.distinct = true;
  } else {
    accept(TokenType::All);
  }
  parseResultColumns(select);
  if (accept(TokenType::From)) parseFrom(select);
  if (accept(TokenType::Where)) select.where = parseExpr();
  if (accept(TokenType::Group)) {
    expect(TokenType::By);
    do select.groupBy.push_back(parseExpr());
    while (accept(TokenType::Comma));
  }
  if (accept(TokenType::Having)) select.having = parseExpr();
  if (accept(TokenType::Order)) {
    expect(TokenType::By);
    parseOrderBy(select);
  }
  if (accept(TokenType::Limit)) parseLimit(select);
  return select;
}

// (SELECT ...) inside an expression or FROM.
std::shared_ptr<Select> Parser::parseSubquery() {
  NestingLevel nesting(expressionNesting_);
  auto select = std::make_shared<Select>(parseSelect());
  expect(TokenType::RightParen);
  return select;
}

// FROM item [join item]..., each item with [AS] alias and an ON or USING clause.
void Parser::parseFrom(Select& select) {
  for (;;) {
    FromItem item;
    if (!select.from.empty()) item.join = parseJoinOperator();
    if (accept(TokenType::LeftParen)) {
      if (peek().type != TokenType::Select) syntaxError();
      item.subquery = parseSubquery();
    } else {
      item.table = parseQualifiedName(item.database);
    }
    item.alias = parseAlias();
    if (accept(TokenType::On)) item.on = parseExpr();
    if (accept(TokenType::Using)) {
      expect(TokenType::LeftParen);
      item.usingColumns.emplace();
      do item.usingColumns->push_back(parseName());
      while (accept(TokenType::Comma));
      expect(TokenType::RightParen);
    }
    select.from.push_back(std::move(item));
    TokenType type = peek().type;
    if (type != TokenType::Comma && type != TokenType::Join && type != TokenType::JoinKeyword) {
      return;
    }
  }
}

// "," or [word [word [word]]] JOIN, the words being join keywords or (after the first) any
// name; an unknown combination is refused as the reference library refuses it.
uint8_t Parser::parseJoinOperator() {
  if (accept(TokenType::Comma) || accept(TokenType::Join)) return 0;
  std::vector<Token> words{advance()};  // a join keyword
  while (words.size() < 3 && peek().type != TokenType::Join && peekIsName(true)) {
    words.push_back(advance());
  }
  expect(TokenType::Join);
  uint8_t flags = 0;
  bool known = true;
  std::string written;
  for (const Token& word : words) {
    std::string name = tokenName(word);
    written += (written.empty() ? "" : " ") + name;
    if (sameJoinWord(name, "inner")) {
      flags |= kJoinInner;
    } else if (sameJoinWord(name, "cross")) {
      flags |= kJoinInner | kJoinCross;
    } else if (sameJoinWord(name, "natural")) {
      flags |= kJoinNatural;
    } else if (sameJoinWord(name, "left")) {
      flags |= kJoinLeft | kJoinOuter;
    } else if (sameJoinWord(name, "right")) {
      flags |= kJoinRight | kJoinOuter;
    } else if (sameJoinWord(name, "full")) {
      flags |= kJoinLeft | kJoinRight | kJoinOuter;
    } else if (sameJoinWord(name, "outer")) {
      flags |= kJoinOuter;
    } else {
      known = false;
    }
  }
  bool innerAndOuter = (flags & kJoinInner) && (flags & kJoinOuter);
  if (!known || innerAndOuter) {
    throw Error(SQLITE_ERROR, "unknown or unsupported join type: " + written);
  }
  if (flags & kJoinRight) {
    throw Error(SQLITE_ERROR, "RIGHT and FULL OUTER JOINs are not currently supported");
  }
  return flags;
}

void Parser::parseResultColumns(Select& select) {
  do {
    ResultColumn column;
    if (accept(TokenType::Star)) {
      column.kind = ResultColumn::Kind::AllColumns;
    } else {
      resultColumnStart_ = peek().offset;
      column.expr = parseExpr();
      if (column.expr->kind == ExprKind::TableStar) {
        column.kind = ResultColumn::Kind::TableColumns;
        column.qualifier = column.expr->text;
        column.expr.reset();
      } else {
        column.alias = parseAlias();
      }
    }
    select.columns.push_back(std::move(column));
  } while (accept(TokenType::Comma));
  resultColumnStart_ = std::string_view::npos;
}

// [AS name] or a bare name (not a join keyword).
std::optional<std::string> Parser::parseAlias() {
  if (accept(TokenType::As)) return parseName();
  if (peekIsName(false)) return tokenName(advance());
  return std::nullopt;
}

void Parser::parseOrderBy(Select& select) {
  do {
    OrderTerm term;
    term.expr = parseExpr();
    if (accept(TokenType::Collate)) {
      if (!peekIsName(false) || peek().type == TokenType::String) syntaxError();
      term.collation = tokenName(advance());
    }
    if (!accept(TokenType::Asc) && accept(TokenType::Desc)) term.descending = true;
    select.orderBy.push_back(std::move(term));
  } while (accept(TokenType::Comma));
}

// LIMIT n [OFFSET m] or LIMIT m, n, with integer literals only.
void Parser::parseLimit(Select& select) {
  int first = parseSignedInteger();
  if (accept(TokenType::Offset)) {
    select.limit = first;
    select.offset = parseSignedInteger();
  } else if (accept(TokenType::Comma)) {
    select.offset = first;
    select.limit = parseSignedInteger();
  } else {
    select.limit = first;
  }
}

int Parser::parseSignedInteger() {
  bool negative = false;
  if (accept(TokenType::Minus)) {
    negative = true;
  } else {
    accept(TokenType::Plus);
  }
  Token digits = expect(TokenType::Integer);
  int value = integerValue(std::string(digits.text));
  return negative ? static_cast<int>(0u - static_cast<unsigned>(value)) : value;
}

Update Parser::parseUpdate() {
  advance();  // UPDATE
  Update update;
  update.conflict = parseOrConflict();
  update.table = parseTargetName(update.database);
  expect(TokenType::Set);
  do {
    Assignment assignment;
    assignment.column = parseName();
    expect(TokenType::Eq);
    assignment.value = parseExpr();
    update.assignments.push_back(std::move(assignment));
  } while (accept(TokenType::Comma));
  if (accept(TokenType::Where)) update.where = parseExpr();
  return update;
}

Delete Parser::parseDelete() {
  advance();  // DELETE
  expect(TokenType::From);
  Delete del;
  del.table = parseTargetName(del.database);
  if (accept(TokenType::Where)) del.where = parseExpr();
  return del;
}

// PRAGMA name, PRAGMA name = value, PRAGMA name(value): the value a name, a text, ON, or a
// number with an optional sign.
Pragma Parser::parsePragma() {
  advance();  // PRAGMA
  Pragma pragma;
  pragma.name = parseName();
  if (accept(TokenType::Eq)) {
    std::string sign;
    if (accept(TokenType::Minus)) {
      sign = "-";
    } else {
      accept(TokenType::Plus);
    }
    TokenType type = peek().type;
    if (type == TokenType::Integer || type == TokenType::Float) {
      pragma.value = sign + std::string(advance().text);
    } else if (!sign.empty()) {
      syntaxError();
    } else if (type == TokenType::On) {
      pragma.value = std::string(advance().text);
    } else {
      pragma.value = parseName();
    }
  } else if (accept(TokenType::LeftParen)) {
    pragma.value = parseName();
    expect(TokenType::RightParen);
  }
  return pragma;
}

ExprPtr Parser::makeNode(ExprKind kind, size_t start) {
  auto node = std::make_unique<Expr>();
  node->kind = kind;
  finishNode(*node, start);
  return node;
}

void Parser::finishNode(Expr& node, size_t start) {
  node.source = text_.substr(start, lastEnd_ - start);
}

void Parser::measureHeight(Expr& node) {
  int below = node.left ? node.left->height : 0;
  if (node.right && node.right->height > below) below = node.right->height;
  for (const ExprPtr& item : node.list) below = std::max(below, item->height);
  node.height = below + 1;
  if (node.height > kMostExpressionDepth) refuseTooDeep();
}

// Precedence climbing over the binary and postfix operators.
ExprPtr Parser::parseExpr(int minimumLevel) {
  NestingLevel nesting(expressionNesting_);
  size_t start = peek().offset;
  ExprPtr left = parseOperand();
  if (left->kind == ExprKind::TableStar) return left;  // "t.*" is a whole result column
  for (;;) {
    TokenType type = peek().type;
    int level = binaryLevel(type);
    if (level == 0 || level < minimumLevel) return left;
    advance();
    ExprPtr node;
    switch (type) {
      case TokenType::IsNull:
        node = makeNode(ExprKind::IsNull, start);
        break;
      case TokenType::NotNull:
        node = makeNode(ExprKind::NotNull, start);
        break;
      case TokenType::Is:
        if (accept(TokenType::Not)) {
          expect(TokenType::Null);
          node = makeNode(ExprKind::NotNull, start);
        } else {
          expect(TokenType::Null);
          node = makeNode(ExprKind::IsNull, start);
        }
        break;
      case TokenType::Not:
        // NOT NULL, NOT LIKE, NOT GLOB, NOT BETWEEN, NOT IN.
        if (accept(TokenType::Null)) {
          node = makeNode(ExprKind::NotNull, start);
          break;
        }
        switch (peek().type) {
          case TokenType::Like:
          case TokenType::Glob:
          case TokenType::Between:
          case TokenType::In:
            node = parsePostfixOperator(advance().type, true, start);
            break;
          default:
            syntaxError();
        }
        break;
      case TokenType::Like:
      case TokenType::Glob:
      case TokenType::Between:
      case TokenType::In:
        node = parsePostfixOperator(type, false, start);
        break;
      default:
        node = std::make_unique<Expr>();
        node->kind = ExprKind::Binary;
        node->op = type;
        node->right = parseExpr(level + 1);
        finishNode(*node, start);
        break;
    }
    node->left = std::move(left);
    measureHeight(*node);
    left = std::move(node);
  }
}

ExprPtr Parser::parseOperand() {
  size_t start = peek().offset;
  switch (peek().type) {
    case TokenType::Not:
    case TokenType::Minus:
    case TokenType::Plus:
    case TokenType::BitNot: {
      TokenType op = advance().type;
      auto node = std::make_unique<Expr>();
      node->kind = ExprKind::Unary;
      node->op = op;
      node->left = parseExpr(op == TokenType::Not ? kNot : kUnary);
      finishNode(*node, start);
      measureHeight(*node);
      return node;
    }
    case TokenType::LeftParen: {
      advance();
      if (peek().type == TokenType::Select) {
        size_t resultColumnStart = resultColumnStart_;
        auto node = std::make_unique<Expr>();
        node->kind = ExprKind::Subquery;
        node->select = parseSubquery();
        resultColumnStart_ = resultColumnStart;
        finishNode(*node, start);
        return node;
      }
      ExprPtr inner = parseExpr();
      expect(TokenType::RightParen);
      finishNode(*inner, start);
      return inner;
    }
    case TokenType::Null:
      advance();
      return makeNode(ExprKind::Null, start);
    case TokenType::Case:
      return parseCase();
    case TokenType::Integer:
    case TokenType::Float: {
      Token token = advance();
      ExprPtr node =
          makeNode(token.type == TokenType::Integer ? ExprKind::Integer : ExprKind::Float, start);
      node->text = std::string(token.text);
      return node;
    }
    case TokenType::String:
    case TokenType::Id:
    case TokenType::JoinKeyword:
      return parseNameExpr();
    case TokenType::Raise:
      return parseRaise();
    default:
      if (isKeywordUsableAsName(peek().type)) return parseNameExpr();
      syntaxError();
  }
}

// RAISE(IGNORE) or RAISE(ROLLBACK|ABORT|FAIL, message)
ExprPtr Parser::parseRaise() {
  size_t start = peek().offset;
  advance();  // RAISE
  expect(TokenType::LeftParen);
  auto node = std::make_unique<Expr>();
  node->kind = ExprKind::Raise;
  const Token& action = advance();
  node->op = action.type;
  switch (action.type) {
    case TokenType::Ignore:
      break;
    case TokenType::Rollback:
    case TokenType::Abort:
    case TokenType::Fail:
      expect(TokenType::Comma);
      node->text = parseName();
      break;
    default:
      syntaxErrorAt(action);
  }
  expect(TokenType::RightParen);
  finishNode(*node, start);
  return node;
}

// A name, a "quoted" name, a 'text', table.column, or a function call.
ExprPtr Parser::parseNameExpr() {
  size_t start = peek().offset;
  Token first = advance();
  if (peek().type == TokenType::Dot) {
    advance();
    if (peek().type == TokenType::Star && start == resultColumnStart_) {
      advance();
      ExprPtr node = makeNode(ExprKind::TableStar, start);
      node->text = tokenName(first);
      return node;
    }
    std::string column = parseName();
    ExprPtr node = makeNode(ExprKind::QualifiedName, start);
    node->qualifier = tokenName(first);
    if (accept(TokenType::Dot)) {  // database.table.column
      node->database = std::move(node->qualifier);
      node->qualifier = std::move(column);
      column = parseName();
      finishNode(*node, start);
    }
    node->text = column;
    return node;
  }
  if (first.type == TokenType::String) {
    bool doubleQuoted = first.text.front() == '"';
    ExprPtr node = makeNode(doubleQuoted ? ExprKind::Name : ExprKind::String, start);
    node->text = tokenName(first);
    node->quoted = doubleQuoted;
    return node;
  }
  if (peek().type == TokenType::LeftParen && first.type != TokenType::JoinKeyword) {
    return parseFunctionCall(first);
  }
  ExprPtr node = makeNode(ExprKind::Name, start);
  node->text = tokenName(first);
  return node;
}

// name(arguments), name() or name(*); the name is checked when the call is compiled.
ExprPtr Parser::parseFunctionCall(Token name) {
  size_t start = name.offset;
  advance();  // (
  ExprPtr node = std::make_unique<Expr>();
  node->kind = ExprKind::Function;
  node->text = std::string(name.text);
  if (accept(TokenType::Star)) {
    node->star = true;
  } else if (peek().type != TokenType::RightParen) {
    do node->list.push_back(parseExpr());
    while (accept(TokenType::Comma));
  }
  expect(TokenType::RightParen);
  finishNode(*node, start);
  measureHeight(*node);
  return node;
}

// After the left operand (and NOT, when negated): LIKE or GLOB pattern, BETWEEN low AND high,
// IN (values).
ExprPtr Parser::parsePostfixOperator(TokenType type, bool negated, size_t start) {
  auto node = std::make_unique<Expr>();
  node->negated = negated;
  switch (type) {
    case TokenType::Like:
    case TokenType::Glob:
      node->kind = ExprKind::Like;
      node->op = type;
      node->right = parseExpr(kEquality + 1);
      break;
    case TokenType::Between:
      // As SQLite 2.8's grammar takes them: the lower bound runs to the AND, and so does the
      // upper bound of NOT BETWEEN over the operators of its own level (2 NOT BETWEEN 1 AND
      // 3 IN (1) has the bound 3 IN (1)); a BETWEEN's upper bound leaves them to the whole.
      node->kind = ExprKind::Between;
      node->list.push_back(parseExpr(kEquality));
      expect(TokenType::And);
      node->list.push_back(parseExpr(negated ? kEquality : kEquality + 1));
      break;
    case TokenType::In:
      node->kind = ExprKind::InList;
      expect(TokenType::LeftParen);
      if (peek().type == TokenType::Select) {
        size_t resultColumnStart = resultColumnStart_;
        node->kind = ExprKind::InSelect;
        node->select = parseSubquery();
        resultColumnStart_ = resultColumnStart;
        break;
      }
      // An empty list holds nothing: IN () is false, NOT IN () true.
      if (accept(TokenType::RightParen)) break;
      do node->list.push_back(parseExpr());
      while (accept(TokenType::Comma));
      expect(TokenType::RightParen);
      break;
    default:
      syntaxError();
  }
  finishNode(*node, start);
  return node;
}

// CASE [operand] WHEN value THEN result ... [ELSE result] END
ExprPtr Parser::parseCase() {
  size_t start = peek().offset;
  advance();  // CASE
  auto node = std::make_unique<Expr>();
  node->kind = ExprKind::Case;
  if (peek().type != TokenType::When) node->left = parseExpr();
  expect(TokenType::When);
  do {
    node->list.push_back(parseExpr());
    expect(TokenType::Then);
    node->list.push_back(parseExpr());
  } while (accept(TokenType::When));
  if (accept(TokenType::Else)) node->right = parseExpr();
  expect(TokenType::End);
  finishNode(*node, start);
  measureHeight(*node);
  return node;
}

}  // namespace sqlite2
