#pragma once

// The parsed form of the statements the engine runs.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "sql/text/token.h"

namespace sqlite2 {

enum class ExprKind {
  Null,
  Integer,        // text: the digits as written
  Float,          // text: as written
  String,         // text: the value, quotes removed
  Name,           // a bare name, or a "double-quoted" word (a column when one has that name)
  QualifiedName,  // table.column
  Unary,          // op: Minus, Plus, BitNot, Not
  Binary,         // op: the operator's token type (Eq covers = and ==, Ne covers <> and !=)
  IsNull,         // operand IS NULL / ISNULL
  NotNull,        // operand NOTNULL / NOT NULL / IS NOT NULL
  TableStar,      // t.* (text: t), only as a whole result column
  Function,       // text: the name as written; list: the arguments; star: written name(*)
  Like,           // op: Like or Glob; left LIKE right (the pattern); negated for NOT LIKE
  Between,        // left BETWEEN list[0] AND list[1]; negated for NOT BETWEEN
  InList,         // left IN (list); negated for NOT IN
  Case,           // left: the operand or null; list: WHEN and THEN in turn; right: ELSE or null
  Subquery,       // (SELECT ...): select
  InSelect,       // left IN (SELECT ...): select; negated for NOT IN
  Raise,          // RAISE(...) of a trigger: op Ignore, Rollback, Abort or Fail; text: message
};

struct Select;

struct Expr {
  ExprKind kind = ExprKind::Null;
  TokenType op = TokenType::EndOfText;
  std::string text;         // literal value or (column) name
  std::string qualifier;    // the table of a QualifiedName
  std::string database;     // of a QualifiedName written database.table.column
  bool quoted = false;      // a Name written as "..." (a text value when no column matches)
  std::string_view source;  // the expression as written (result column names)
  bool negated = false;     // NOT LIKE, NOT BETWEEN, NOT IN
  bool star = false;        // a function called as name(*)
  int height = 1;           // levels of the subtree under and including this node
  std::unique_ptr<Expr> left, right;
  std::vector<std::unique_ptr<Expr>> list;
  std::shared_ptr<Select> select;  // of Subquery and InSelect
};
using ExprPtr = std::unique_ptr<Expr>;

// ON CONFLICT choices of constraints, and the OR choice of INSERT and UPDATE.
enum class ConflictAction { Default, Rollback, Abort, Fail, Ignore, Replace };

struct ColumnDefinition {
  std::string name;
  std::string type;  // as SQLite 2.8 keeps it: the first word, or the words through ")"
  bool notNull = false;
  bool primaryKey = false;
  bool primaryKeyDescending = false;
  bool unique = false;
  std::optional<std::string> collation;     // COLLATE name
  std::optional<std::string> defaultValue;  // text of DEFAULT; nullopt also for DEFAULT NULL
  ConflictAction notNullConflict = ConflictAction::Default;
};

// A PRIMARY KEY or UNIQUE constraint over columns, in the order they appear in the statement
// (column constraints and table constraints alike): each becomes an automatic index unless it
// makes the INTEGER PRIMARY KEY.
struct UniqueConstraint {
  std::vector<std::string> columns;
  bool primaryKey = false;
  ConflictAction conflict = ConflictAction::Default;
};

struct CreateTable {
  std::string name;
  bool temporary = false;
  std::vector<ColumnDefinition> columns;
  std::vector<UniqueConstraint> uniqueConstraints;
  bool hasPrimaryKey = false;
  // CREATE TABLE ... AS SELECT: the query whose result columns and rows the table takes
  // (columns is then empty).
  std::shared_ptr<Select> select;
};

struct CreateIndex {
  std::string name;
  std::string table;
  std::string database;  // of the table, when written database.table
  bool unique = false;
  std::vector<std::string> columns;
  ConflictAction conflict = ConflictAction::Default;
};

struct CreateView {
  std::string name;
  bool temporary = false;
  std::shared_ptr<Select> select;  // its text stays with the statement's
};
struct DropTable {
  std::string name;
  std::string spelled;  // as written, quotes included: a missing table is reported so
};
struct DropIndex {
  std::string name;
  std::string database;  // when written database.name
};
struct DropView {
  std::string name;
};
struct DropTrigger {
  std::string name;
  std::string database;  // of DROP TRIGGER database.name; empty when not written
};

struct Insert {
  ConflictAction conflict = ConflictAction::Default;  // INSERT OR ..., REPLACE (Replace)
  std::string table;
  std::string database;  // when written database.table
  std::optional<std::vector<std::string>> columns;
  std::vector<ExprPtr> values;
  std::shared_ptr<Select> select;  // INSERT ... SELECT: the rows, instead of values
};

struct ResultColumn {
  enum class Kind { Expression, AllColumns, TableColumns } kind = Kind::Expression;
  ExprPtr expr;
  std::optional<std::string> alias;
  std::string qualifier;  // the table of "t.*"
};

struct OrderTerm {
  ExprPtr expr;
  bool descending = false;
  std::optional<std::string> collation;
};

// How a FROM item joins the ones before it (a set of the join keywords written).
enum JoinFlag : uint8_t {
  kJoinInner = 1,
  kJoinCross = 2,
  kJoinNatural = 4,
  kJoinLeft = 8,
  kJoinOuter = 16,
  kJoinRight = 32,
};

struct FromItem {
  std::string table;  // empty for a sub-select
  // The database the table was fixed to ("main" inside a view's query, whose missing tables
  // are reported as main.name); empty for a name looked up as written.
  std::string database;
  std::shared_ptr<Select> subquery;  // FROM (SELECT ...)
  std::optional<std::string> alias;
  uint8_t join = 0;  // JoinFlag bits of the join before this item (0 for a comma or JOIN)
  ExprPtr on;
  std::optional<std::vector<std::string>> usingColumns;
};

enum class CompoundOperator { Union, UnionAll, Intersect, Except };

struct CompoundPart;

// One SELECT, or the first of a compound: then its ORDER BY and LIMIT are the compound's.
struct Select {
  bool distinct = false;
  std::vector<ResultColumn> columns;
  std::vector<FromItem> from;
  ExprPtr where;
  std::vector<ExprPtr> groupBy;
  ExprPtr having;
  std::vector<OrderTerm> orderBy;
  // LIMIT n OFFSET m (or LIMIT m, n). A negative limit means no limit.
  std::optional<int> limit;
  int offset = 0;
  std::vector<CompoundPart> compound;  // the SELECTs after this one, with their operators
};

struct CompoundPart {
  CompoundOperator op = CompoundOperator::Union;
  std::shared_ptr<Select> select;
  // The SELECT before this one had an ORDER BY or LIMIT of its own, which only the last
  // may have: refused when the compound is compiled.
  bool priorOrdered = false;
  bool priorLimited = false;
};

struct Assignment {
  std::string column;
  ExprPtr value;
};

struct Update {
  ConflictAction conflict = ConflictAction::Default;  // UPDATE OR ...
  std::string table;
  std::string database;  // when written database.table
  std::vector<Assignment> assignments;
  ExprPtr where;
};

struct Delete {
  std::string table;
  std::string database;  // when written database.table
  ExprPtr where;
};

enum class TriggerTiming { Before, After, InsteadOf };
enum class TriggerEvent { Delete, Insert, Update };

// A statement of a trigger's body.
using TriggerStep = std::variant<Insert, Update, Delete, Select>;

struct CreateTrigger {
  std::string name;
  std::string table;
  std::string database;  // of ON database.table; empty when not written
  bool temporary = false;
  TriggerTiming timing = TriggerTiming::Before;
  TriggerEvent event = TriggerEvent::Insert;
  std::vector<std::string> updateColumns;  // UPDATE OF columns
  bool forEachStatement = false;           // FOR EACH STATEMENT: kept, never fired
  ExprPtr when;
  std::vector<TriggerStep> steps;
};

// COPY [OR conflict] table FROM file [USING DELIMITERS text]
struct Copy {
  ConflictAction conflict = ConflictAction::Default;
  std::string table;
  std::string database;  // when written database.table
  std::string file;
  std::string delimiter = "\t";
};

struct Vacuum {};

// ATTACH [DATABASE] 'file' AS name / DETACH [DATABASE] name
struct Attach {
  std::string file;
  std::string name;
};
struct Detach {
  std::string name;
};

struct Begin {};
struct Commit {};
struct Rollback {};

struct Pragma {
  std::string name;
  std::optional<std::string> value;  // of "= value" or "(value)", as written (a sign included)
};

using StatementBody = std::variant<CreateTable, CreateIndex, CreateView, CreateTrigger, DropTable,
                                   DropIndex, DropView, DropTrigger, Insert, Select, Update, Delete,
                                   Copy, Vacuum, Begin, Commit, Rollback, Pragma, Attach, Detach>;

struct Statement {
  StatementBody body;
  // From the first keyword through the last token (what sqlite_master keeps for CREATE).
  std::string_view text;
};

}  // namespace sqlite2
