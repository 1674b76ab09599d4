#include "sql/text/parser.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/error.h"

namespace sqlite2 {
namespace {

// The error text of the first statement of text that fails to parse, or "" when all parse.
std::string parseError(std::string_view text, Parser::Mode mode = Parser::Mode::Execute) {
  Parser parser(text, mode);
  Statement statement;
  try {
    while (parser.next(statement)) {
    }
  } catch (const Error& error) {
    return error.what();
  }
  return "";
}

Statement parseOne(std::string_view text, Parser::Mode mode = Parser::Mode::Execute) {
  Parser parser(text, mode);
  Statement statement;
  EXPECT_TRUE(parser.next(statement)) << text;
  return statement;
}

template <typename T>
T parseAs(std::string_view text, Parser::Mode mode = Parser::Mode::Execute) {
  Statement statement = parseOne(text, mode);
  const T* body = std::get_if<T>(&statement.body);
  EXPECT_NE(body, nullptr) << text;
  return body ? std::move(*const_cast<T*>(body)) : T{};
}

// The expression tree in prefix form, for checking operator precedence.
std::string shape(const Expr& e) {
  switch (e.kind) {
    case ExprKind::Binary:
    case ExprKind::Unary: {
      std::string op = e.kind == ExprKind::Unary ? "u" : "";
      op += std::to_string(static_cast<int>(e.op));
      std::string out = "(" + op + " " + shape(*e.left);
      if (e.right) out += " " + shape(*e.right);
      return out + ")";
    }
    case ExprKind::IsNull:
      return "(isnull " + shape(*e.left) + ")";
    case ExprKind::NotNull:
      return "(notnull " + shape(*e.left) + ")";
    default:
      return e.text.empty() ? "null" : e.text;
  }
}

std::string whereShape(std::string_view condition) {
  Select select = parseAs<Select>("select * from t where " + std::string(condition));
  return select.where ? shape(*select.where) : "";
}

std::string op(TokenType type) {
  return std::to_string(static_cast<int>(type));
}

TEST(Parser, SyntaxErrorsNameTheFirstTokenThatCannotFollow) {
  EXPECT_EQ(parseError("selec * from t"), "near \"selec\": syntax error");
  EXPECT_EQ(parseError("select * frm t"), "near \"frm\": syntax error");
  EXPECT_EQ(parseError("select * from t wher a=1"), "near \"a\": syntax error");
  EXPECT_EQ(parseError("select a b c from t"), "near \"c\": syntax error");
  EXPECT_EQ(parseError("insert t values(1)"), "near \"t\": syntax error");
  EXPECT_EQ(parseError("insert into t values(1,2,)"), "near \")\": syntax error");
  EXPECT_EQ(parseError("select a from t limit 1+1"), "near \"+\": syntax error");
  EXPECT_EQ(parseError("select a from t limit '2'"), "near \"'2'\": syntax error");
  EXPECT_EQ(parseError("select a from t offset 1"), "near \"1\": syntax error");
  EXPECT_EQ(parseError("select 1.;"), "near \".\": syntax error");
  EXPECT_EQ(parseError("create table main.x(a)"), "near \".\": syntax error");
  EXPECT_EQ(parseError("create index i on t(a collate text)"), "near \"collate\": syntax error");
  EXPECT_EQ(parseError("create temp index i on t(a)"), "near \"index\": syntax error");
  EXPECT_EQ(parseError("create table y(a varchar(1.5))"), "near \"1.5\": syntax error");
  EXPECT_EQ(parseError("create table y(a default left)"), "near \"left\": syntax error");
  EXPECT_EQ(parseError("create table y(a,)"), "near \")\": syntax error");
  EXPECT_EQ(parseError("create table y(a default)"), "near \")\": syntax error");
  EXPECT_EQ(parseError("create table y(a default (5))"), "near \"(\": syntax error");
  EXPECT_EQ(parseError("create table t(a ALL)"), "near \"ALL\": syntax error");
  EXPECT_EQ(parseError("create table t(a CROSS)"), "near \"CROSS\": syntax error");
  EXPECT_EQ(parseError("create table t(a CHECK)"), "near \")\": syntax error");
  EXPECT_EQ(parseError("create table t(a, unique(a), b)"), "near \"b\": syntax error");
  EXPECT_EQ(parseError("select 1 select 2"), "near \"select\": syntax error");
}

TEST(Parser, AtTheEndOfTheTextTheLastTokenReadIsNamed) {
  EXPECT_EQ(parseError("select * from"), "near \"from\": syntax error");
  EXPECT_EQ(parseError("select * from "), "near \" \": syntax error");
  EXPECT_EQ(parseError("select * from -- c"), "near \"-- c\": syntax error");
  EXPECT_EQ(parseError("select * from /* c"), "near \"/* c\": syntax error");
  EXPECT_EQ(parseError("insert into t values(1,2"), "near \"2\": syntax error");
  EXPECT_EQ(parseError("select 1; select"), "near \"select\": syntax error");
  EXPECT_EQ(parseError("select a from t where;"), "near \";\": syntax error");
}

TEST(Parser, UnrecognizedTokens) {
  EXPECT_EQ(parseError("select @"), "unrecognized token: \"@\"");
  EXPECT_EQ(parseError("select a$b from t"), "unrecognized token: \"$\"");
  EXPECT_EQ(parseError("select !x"), "unrecognized token: \"!x\"");
  EXPECT_EQ(parseError("select ! 1"), "unrecognized token: \"! \"");
  EXPECT_EQ(parseError("select !"), "unrecognized token: \"!");
  EXPECT_EQ(parseError("select `a`"), "unrecognized token: \"`\"");
  // An unterminated literal is refused rather than read past its end.
  EXPECT_EQ(parseError("select 'abc"), "unrecognized token: \"'abc\"");
  EXPECT_EQ(parseError("select [abc"), "unrecognized token: \"[abc\"");
  // The first problem in reading order wins.
  EXPECT_EQ(parseError("select * frm t @"), "near \"frm\": syntax error");
  EXPECT_EQ(parseError("select 1 @"), "unrecognized token: \"@\"");
}

TEST(Parser, ImplementedSqlOnlyOtherwiseASyntaxError) {
  EXPECT_EQ(parseError("select a from t where a not is null"), "near \"is\": syntax error");
  EXPECT_EQ(parseError("select count(distinct a) from t"), "near \"distinct\": syntax error");
  EXPECT_EQ(parseError("select ?"), "near \"?\": syntax error");
  EXPECT_EQ(parseError("create view v as select from t"), "near \"from\": syntax error");
  EXPECT_EQ(parseError("create view v(a) as select 1"), "near \"(\": syntax error");
  EXPECT_EQ(parseError("create trigger g after insert on t begin drop table t; end"),
            "near \"drop\": syntax error");
  EXPECT_EQ(
      parseError("create trigger g after insert on t begin insert into main.u values(1); end"),
      "near \".\": syntax error");
  EXPECT_EQ(parseError("create trigger g after insert on t when 1 for each row begin end"),
            "near \"for\": syntax error");
  EXPECT_EQ(parseError("select raise(ignore, 'x')"), "near \",\": syntax error");
  EXPECT_EQ(parseError("select raise(abort)"), "near \")\": syntax error");
  EXPECT_EQ(parseError("create table x as values(1)"), "near \"values\": syntax error");
  EXPECT_EQ(parseError("vacuum x y"), "near \"y\": syntax error");
  EXPECT_EQ(parseError("explain select 1"), "near \"explain\": syntax error");
  EXPECT_EQ(parseError("begin on conflict replace"), "near \"on\": syntax error");
  EXPECT_EQ(parseError("create table main.x(a)"), "near \".\": syntax error");
  EXPECT_EQ(parseError("drop table temp.t"), "near \".\": syntax error");
  EXPECT_EQ(parseError("select a.b.c.d from t"), "near \".\": syntax error");
  EXPECT_EQ(parseError("attach 'f' as"), "near \"as\": syntax error");
}

TEST(Parser, EmptyStatementsAreSkipped) {
  Parser parser(" ;; select 1 ;;; select 2; -- done\n");
  Statement statement;
  int count = 0;
  while (parser.next(statement)) {
    EXPECT_TRUE(std::holds_alternative<Select>(statement.body));
    ++count;
  }
  EXPECT_EQ(count, 2);
  Parser empty("  -- nothing\n ; /* at all */");
  EXPECT_FALSE(empty.next(statement));
}

TEST(Parser, StatementTextRunsFromFirstKeywordToLastToken) {
  EXPECT_EQ(parseOne("   CREATE   TABLE Foo ( a  INT , b )  ;").text,
            "CREATE   TABLE Foo ( a  INT , b )");
  EXPECT_EQ(parseOne("create table t(a) -- note").text, "create table t(a)");
}

TEST(Parser, OperatorPrecedenceFollowsTheReference) {
  std::string eq = op(TokenType::Eq), lt = op(TokenType::Lt), gt = op(TokenType::Gt);
  std::string plus = op(TokenType::Plus), band = op(TokenType::BitAnd);
  std::string bor = op(TokenType::BitOr), cat = op(TokenType::Concat);
  std::string star = op(TokenType::Star), orOp = op(TokenType::Or);
  std::string andOp = op(TokenType::And), notOp = "u" + op(TokenType::Not);
  std::string minus = op(TokenType::Minus), neg = "u" + op(TokenType::Minus);
  EXPECT_EQ(whereShape("2 = 2 < 2"), "(" + eq + " 2 (" + lt + " 2 2))");
  EXPECT_EQ(whereShape("2 & 2 + 1"), "(" + band + " 2 (" + plus + " 2 1))");
  EXPECT_EQ(whereShape("3 > 2 & 2"), "(" + gt + " 3 (" + band + " 2 2))");
  EXPECT_EQ(whereShape("2 * 3 || 4"), "(" + star + " 2 (" + cat + " 3 4))");
  EXPECT_EQ(whereShape("not 0 = 2"), "(" + notOp + " (" + eq + " 0 2))");
  EXPECT_EQ(whereShape("1 or 1 and 0"), "(" + orOp + " 1 (" + andOp + " 1 0))");
  EXPECT_EQ(whereShape("6 | 1 & 3"), "(" + band + " (" + bor + " 6 1) 3)");
  EXPECT_EQ(whereShape("5 - 3 - 1"), "(" + minus + " (" + minus + " 5 3) 1)");
  EXPECT_EQ(whereShape("-a || b"), "(" + cat + " (" + neg + " a) b)");
  EXPECT_EQ(whereShape("a = 1 not null"), "(notnull (" + eq + " a 1))");
  EXPECT_EQ(whereShape("a is not null and b isnull"), "(" + andOp + " (notnull a) (isnull b))");
  EXPECT_EQ(whereShape("not a notnull"), "(" + notOp + " (notnull a))");
  EXPECT_EQ(whereShape("(1 or 2) and 3"), "(" + andOp + " (" + orOp + " 1 2) 3)");
}

TEST(Parser, ResultColumnsAliasesAndNames) {
  Select select =
      parseAs<Select>("select *, t.*, a  +  1, b AS 'x y', c \"q\", d desc, count( * ) from t x");
  ASSERT_EQ(select.columns.size(), 7u);
  EXPECT_EQ(select.columns[0].kind, ResultColumn::Kind::AllColumns);
  EXPECT_EQ(select.columns[1].kind, ResultColumn::Kind::TableColumns);
  EXPECT_EQ(select.columns[1].qualifier, "t");
  EXPECT_EQ(compressSpaces(select.columns[2].expr->source), "a + 1");
  EXPECT_EQ(select.columns[3].alias, "x y");
  EXPECT_EQ(select.columns[4].alias, "q");
  EXPECT_EQ(select.columns[5].alias, "desc");  // a keyword that is a name here
  EXPECT_EQ(select.columns[6].expr->kind, ExprKind::Function);
  EXPECT_EQ(select.columns[6].expr->source, "count( * )");
  ASSERT_EQ(select.from.size(), 1u);
  EXPECT_EQ(select.from[0].table, "t");
  EXPECT_EQ(select.from[0].alias, "x");
  EXPECT_EQ(parseError("select t.* + 1 from t"), "near \"+\": syntax error");
  EXPECT_EQ(parseError("select 1 + t.* from t"), "near \"*\": syntax error");
}

TEST(Parser, NamesAndLiterals) {
  Select select = parseAs<Select>("select 'a''b', \"c\", [d e], t.'f', 007, 1.50, null, \"x\".y");
  ASSERT_EQ(select.columns.size(), 8u);
  EXPECT_EQ(select.columns[0].expr->kind, ExprKind::String);
  EXPECT_EQ(select.columns[0].expr->text, "a'b");
  EXPECT_EQ(select.columns[1].expr->kind, ExprKind::Name);
  EXPECT_TRUE(select.columns[1].expr->quoted);
  EXPECT_EQ(select.columns[2].expr->kind, ExprKind::Name);
  EXPECT_EQ(select.columns[2].expr->text, "d e");
  EXPECT_FALSE(select.columns[2].expr->quoted);
  EXPECT_EQ(select.columns[3].expr->kind, ExprKind::QualifiedName);
  EXPECT_EQ(select.columns[3].expr->qualifier, "t");
  EXPECT_EQ(select.columns[3].expr->text, "f");
  EXPECT_EQ(select.columns[4].expr->kind, ExprKind::Integer);
  EXPECT_EQ(select.columns[4].expr->text, "007");
  EXPECT_EQ(select.columns[5].expr->kind, ExprKind::Float);
  EXPECT_EQ(select.columns[5].expr->text, "1.50");
  EXPECT_EQ(select.columns[6].expr->kind, ExprKind::Null);
  EXPECT_EQ(select.columns[7].expr->qualifier, "x");
}

TEST(Parser, OrderByAndLimitForms) {
  Select select = parseAs<Select>("select a from t order by a desc, b collate text asc limit 5");
  ASSERT_EQ(select.orderBy.size(), 2u);
  EXPECT_TRUE(select.orderBy[0].descending);
  EXPECT_FALSE(select.orderBy[1].descending);
  EXPECT_EQ(select.orderBy[1].collation, "text");
  EXPECT_EQ(select.limit, 5);
  EXPECT_EQ(select.offset, 0);
  Select withOffset = parseAs<Select>("select a from t limit -1 offset +3");
  EXPECT_EQ(withOffset.limit, -1);
  EXPECT_EQ(withOffset.offset, 3);
  Select commaForm = parseAs<Select>("select a from t limit 1, 2");
  EXPECT_EQ(commaForm.offset, 1);
  EXPECT_EQ(commaForm.limit, 2);
}

TEST(Parser, CreateTableColumnsTypesAndConstraints) {
  CreateTable table = parseAs<CreateTable>(
      "create table t7(a varchar ( 10 ) not null default 'z' unique, b text collate numeric, "
      "c constraint foo primary key, d integer unsigned, e big char(5), f default -5, "
      "g default +1.5, h default null, i \"integer\", check(a>0), unique(b,c) on conflict "
      "ignore, foreign key(a) references t1(a))");
  ASSERT_EQ(table.columns.size(), 9u);
  EXPECT_EQ(table.columns[0].type, "varchar ( 10 )");
  EXPECT_TRUE(table.columns[0].notNull);
  EXPECT_EQ(table.columns[0].defaultValue, "z");
  EXPECT_EQ(table.columns[1].collation, "numeric");
  EXPECT_TRUE(table.columns[2].primaryKey);
  EXPECT_EQ(table.columns[3].type, "integer");  // only the first word of several counts
  EXPECT_EQ(table.columns[4].type, "big char(5)");
  EXPECT_EQ(table.columns[5].defaultValue, "-5");
  EXPECT_EQ(table.columns[6].defaultValue, "1.5");
  EXPECT_FALSE(table.columns[7].defaultValue.has_value());
  EXPECT_EQ(table.columns[8].type, "\"integer\"");
  ASSERT_EQ(table.uniqueConstraints.size(), 3u);
  EXPECT_EQ(table.uniqueConstraints[0].columns, std::vector<std::string>{"a"});
  EXPECT_FALSE(table.uniqueConstraints[0].primaryKey);
  EXPECT_TRUE(table.uniqueConstraints[1].primaryKey);
  EXPECT_EQ(table.uniqueConstraints[2].columns, (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(table.uniqueConstraints[2].conflict, ConflictAction::Ignore);
}

TEST(Parser, CreateTableSemanticErrors) {
  EXPECT_EQ(parseError("create table z(a, a)"), "duplicate column name: a");
  EXPECT_EQ(parseError("create table z(a, primary key(b))"), "table z has no column named b");
  EXPECT_EQ(parseError("create table y4(a primary key, b primary key)"),
            "table \"y4\" has more than one primary key");
  EXPECT_EQ(parseError("create table y5(a, primary key(a), primary key(a))"),
            "table \"y5\" has more than one primary key");
  EXPECT_EQ(parseError("create table y(d references t(a,b))"),
            "foreign key on d should reference only one column of table t");
}

TEST(Parser, StoredSchemaMayHoldViewsTriggersAndAnyCheck) {
  auto view = parseAs<CreateView>("CREATE VIEW v AS SELECT a FROM t WHERE a LIKE 'x%'",
                                  Parser::Mode::LoadSchema);
  EXPECT_EQ(view.name, "v");
  ASSERT_TRUE(view.select);
  EXPECT_EQ(view.select->from.at(0).table, "t");
  auto trigger = parseAs<CreateTrigger>(
      "create trigger g before update of a, b on \"T\" for each row begin delete from u; end",
      Parser::Mode::LoadSchema);
  EXPECT_EQ(trigger.name, "g");
  EXPECT_EQ(trigger.table, "T");
  EXPECT_EQ(
      parseAs<CreateTrigger>("CREATE TRIGGER g INSTEAD OF DELETE ON main.v BEGIN SELECT 1; END",
                             Parser::Mode::LoadSchema)
          .table,
      "v");
  auto table = parseAs<CreateTable>(
      "create table c(a check(a like 'x%' or a in (1,2)), b, check (b between 1 and 2), "
      "constraint k check b > 0)",
      Parser::Mode::LoadSchema);
  EXPECT_EQ(table.columns.size(), 2u);
}

TEST(Parser, InsertUpdateDeleteAndTransactions) {
  Insert insert = parseAs<Insert>("insert into tb (parentid, ItemText) values(-1, 'it''s')");
  EXPECT_EQ(insert.table, "tb");
  ASSERT_TRUE(insert.columns.has_value());
  EXPECT_EQ(*insert.columns, (std::vector<std::string>{"parentid", "ItemText"}));
  ASSERT_EQ(insert.values.size(), 2u);
  EXPECT_EQ(insert.values[0]->kind, ExprKind::Unary);
  Update update = parseAs<Update>("update t set a = 1, \"b\" = a || 'x' where id = 3");
  ASSERT_EQ(update.assignments.size(), 2u);
  EXPECT_EQ(update.assignments[1].column, "b");
  EXPECT_TRUE(update.where != nullptr);
  Delete del = parseAs<Delete>("delete from t");
  EXPECT_EQ(del.where, nullptr);
  EXPECT_TRUE(std::holds_alternative<Begin>(parseOne("begin transaction tx").body));
  EXPECT_TRUE(std::holds_alternative<Commit>(parseOne("end").body));
  EXPECT_TRUE(std::holds_alternative<Commit>(parseOne("commit transaction").body));
  EXPECT_TRUE(std::holds_alternative<Rollback>(parseOne("rollback").body));
  EXPECT_TRUE(std::holds_alternative<Pragma>(parseOne("PRAGMA Integrity_Check").body));
}

}  // namespace
}  // namespace sqlite2
