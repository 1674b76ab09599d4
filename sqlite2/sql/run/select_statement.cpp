#include "sql/run/select_statement.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "sql/run/access_plan.h"
#include "sql/run/aggregator.h"
#include "sql/run/compound_select.h"
#include "sql/run/expression.h"
#include "sql/run/group_table.h"
#include "sql/run/join_walker.h"
#include "sql/run/merged_source_terms.h"
#include "sql/run/row_scanner.h"
#include "sql/run/select_output.h"
#include "sql/run/session.h"
#include "sql/run/source_columns.h"
#include "sql/run/source_compound_order.h"
#include "sql/run/source_merging.h"
#include "sql/text/parser.h"
#include "sql/values/group_key.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

// A SELECT made ready to run: resolved columns, WHERE and ORDER BY, the plan of its run; its
// rows go through the output stage of select_output.h.
class SelectQuery {
 public:
  // part: one SELECT of a compound, whose ORDER BY and LIMIT belong to the whole.
  SelectQuery(Session& session, const Select& select, bool part = false);
  // The query with `orderTerms` for its ORDER BY, as 2.8 runs it once merged into a query
  // reading it: at the head of that query's FROM, beside its other sources when besideOthers.
  SelectQuery(Session& session, const Select& select, const std::vector<OrderTerm>& orderTerms,
              bool besideOthers);
  // Takes the terms of a query reading this one (merged into it) among its WHERE's, before it
  // runs; false, taking none, where one of them cannot be compiled here.
  bool takeReaderTerms(const ReaderTerms& terms);
  void run(const ResultRowCallback& onRow);
  QueryRows collect();
  // collect()'s rows where they are read in ORDER BY's order, unsorted; nothing otherwise.
  std::optional<QueryRows> collectInReadOrder();
  bool mayIndexAny(const std::vector<int>& resultColumns) const;
  // The names and types of collect(), without running the query.
  QueryRows withoutRows() const;
  std::vector<std::string> tableColumnNames() const;
  const std::vector<std::string>& names() const { return names_; }

 private:
  void prepare();
  void openSources();
  void inheritOrder(size_t at);
  void putInFoundOrder(QueryRows& read, QueryRows& held);
  QueryRows readInheritedOrder(SelectQuery& source);
  std::vector<std::pair<const Expr*, const CompiledExpr*>> writtenWhereTerms() const;
  bool mayGiveTerm(const Expr& written, const CompiledExpr& term, size_t at) const;
  void readySources();
  void keepBareRows();
  OutputRow bareRow();
  void giveTermsToSources();
  bool mayTakeTerms(size_t at);
  bool giveSourceTerms(size_t at, const ReaderTerms& terms);
  bool firstSourceGivesOrder();
  bool readFirstSourceInOrder();
  std::unique_ptr<JoinWalker> makeWalker() const;
  std::unique_ptr<QueryRows> openSource(const FromItem& item, const Select& select,
                                        std::vector<std::string> names);
  QueryRows& sourceRows(size_t at);
  void readSources();
  void resolveJoins();
  void compileJoinTerms();
  void resolveResultColumns();
  void addAllColumns(size_t source);
  void requireUnambiguous(size_t source, const std::string& name) const;
  void resolveGroupBy();
  void useAliases();
  std::string tableNameOf(size_t source) const;
  std::string resultName(const Expr& expr, const CompiledExpr& compiled) const;
  void resolveOrderBy();
  void checkColumnNumber(int number, const char* clause) const;
  std::optional<size_t> numberedColumn(const Expr& term, const char* clause) const;
  void checkConstantTerm(const Expr& expr, const CompiledExpr& compiled, const char* clause) const;
  std::vector<OrderColumn> orderColumns() const;

  std::vector<const CompiledExpr*> whereTerms() const;
  std::vector<JoinWalker::Source> walkerSources() const;
  uint64_t columnSourcesRead() const;
  // Calls visit for each row the FROM and WHERE clauses give.
  void forEachRow(JoinWalker* walker, const JoinWalker::RowVisitor& visit);
  OutputShape outputShape() const;
  void runAggregate(JoinWalker* walker, SelectOutput& output);
  // A group's row: its aggregates' values (computed into results) and captured values.
  EvalContext groupRow(GroupTable& groups, uint32_t group, std::vector<SqlValue>& results) const;
  std::vector<uint32_t> groupsHavingKeeps(GroupTable& groups, std::vector<SqlValue>& results) const;

  Session& session_;
  const Select& select_;
  const bool part_;                           // of a compound
  const std::vector<OrderTerm>& orderTerms_;  // none for a part of a compound
  int limit_ = -1;                            // negative: none
  // The merged source whose ORDER BY this query takes (inheritOrder), or -1.
  int inheritedOrderSource_ = -1;
  bool inheritedInReadOrder_ = false;     // that source's rows came through an index in order
  bool mergedFirst_ = false;              // the source at the head of FROM merges into this query
  bool besideOthers_ = false;             // see the second constructor
  bool sourcesReady_ = false;             // readySources() has run
  std::vector<ExprPtr> readerTermExprs_;  // a reader's terms written over this query's columns
  std::vector<CompiledExprPtr> readerWhere_;
  std::vector<bool> merged_;  // by place in FROM: the source merges into this query
  // By place in FROM: this query's terms a merged source took as its own, which are then not
  // checked here (givenAway_).
  std::vector<std::optional<ReaderTerms>> givenTerms_;
  std::vector<const CompiledExpr*> givenAway_;
  std::optional<bool> firstSourceGivesOrder_;
  QueryRows::Sorting* sortingOut_ = nullptr;  // collect()'s, while it runs
  bool* firstIsIntegerOut_ = nullptr;         // the same
  int offset_ = 0;
  std::vector<std::shared_ptr<Table>> tables_;  // of FROM, in order (sub-selects as tables)
  std::vector<std::unique_ptr<QueryRows>> subqueryRows_;  // by place in FROM; null for tables
  // By place in FROM: the prepared query of a sub-select or view whose rows are not read yet
  // (they are read when this query runs, once the terms it takes from this one are known).
  std::vector<std::unique_ptr<SelectQuery>> unreadSources_;
  std::vector<std::shared_ptr<Table>> views_;  // the views of FROM
  std::vector<NamedSource> sources_;
  // Columns of a table that USING or NATURAL joined to one before it: left out of "*".
  std::vector<std::vector<bool>> joinedColumns_;
  std::vector<ExprPtr> joinConditions_;                          // made for USING and NATURAL
  std::vector<CompiledExprPtr> onTerms_;                         // of every join, compiled
  std::vector<std::vector<const CompiledExpr*>> leftJoinTerms_;  // by table: its LEFT JOIN's
  std::vector<const CompiledExpr*> innerJoinTerms_;
  std::vector<const Expr*> innerJoinWritten_;  // as written, by place in innerJoinTerms_
  // Each join's terms (ON, or the equalities of USING and NATURAL) and where they go.
  struct JoinTerm {
    const Expr* expr;
    std::vector<const CompiledExpr*>* terms;
  };
  std::vector<JoinTerm> joinTerms_;
  ExpressionCompiler compiler_;
  std::vector<CompiledExprPtr> columns_;
  // Each result column's expression as written (made for the columns of "*").
  std::vector<const Expr*> resultExprs_;
  std::vector<ExprPtr> starExprs_;
  std::vector<std::string> names_;
  std::vector<SourceColumnName> sourceNames_;  // the names as a sub-select's table columns
  // The first mistake found in a sub-select or view of FROM: held back (Session::heldError)
  // once this query's own names are resolved, as SQLite 2.8 compiles those queries after the
  // one reading them.
  std::optional<Error> laterError_;
  CompiledExprPtr where_;
  std::vector<CompiledExprPtr> ownedGroupBy_;
  std::vector<const CompiledExpr*> groupBy_;
  CompiledExprPtr having_;
  std::vector<SortTerm> orderBy_;
  bool aggregate_ = false;  // aggregates or GROUP BY: one result row per group
  bool resultHasAggregates_ = false;
  std::string keyScratch_;
  // Without GROUP BY: what each source's columns read outside the aggregates (keepBareRows).
  std::vector<OutputRow> bareValues_;
  std::vector<EvalContext> bareRows_;
  std::vector<const EvalContext*> bareSources_;
  QueryRows::Clauses clauses_;  // with those of the sub-selects merged into this query
};

// The table a sub-select's rows stand for: its columns under their table names, texts where
// the sub-select's expressions are (every column of a compound compares as text, as in the
// reference library, and so does every column where allText says, although ORDER BY sorts
// those as numbers, as it does a merged source's column that is such a column of a source of
// its own); ROWID numbers the rows from 1.
std::shared_ptr<Table> tableOfRows(const QueryRows& rows, bool allText) {
  auto table = std::make_shared<Table>();
  for (size_t i = 0; i < rows.tableColumns.size(); ++i) {
    Column column;
    column.name = rows.tableColumns[i];
    column.text = rows.compound || allText || rows.textColumns[i];
    const bool sortsAsNumber = i < rows.textOnTheRight.size() && !rows.compound &&
                               rows.textColumns[i] && !rows.textOnTheRight[i];
    column.numericOrder = allText || sortsAsNumber;
    column.integer =
        !allText && !rows.compound && i < rows.integerColumns.size() && rows.integerColumns[i];
    table->columns.push_back(column);
  }
  return table;
}

const std::vector<OrderTerm> kNoOrderTerms;

SelectQuery::SelectQuery(Session& session, const Select& select, bool part)
    : session_(session),
      select_(select),
      part_(part),
      orderTerms_(part ? kNoOrderTerms : select.orderBy),
      limit_(part ? -1 : select.limit.value_or(-1)),
      offset_(part ? 0 : select.offset),
      compiler_(std::vector<NamedSource>(), &session) {
  prepare();
}

SelectQuery::SelectQuery(Session& session, const Select& select,
                         const std::vector<OrderTerm>& orderTerms, bool besideOthers)
    : session_(session),
      select_(select),
      part_(false),
      orderTerms_(orderTerms),
      besideOthers_(besideOthers),
      compiler_(std::vector<NamedSource>(), &session) {
  prepare();
}

void SelectQuery::prepare() {
  const Select& select = select_;
  openSources();
  compiler_ = ExpressionCompiler(sources_, &session_);
  resolveJoins();
  for (const ResultColumn& column : select.columns) {
    if (column.expr && containsAggregate(*column.expr)) resultHasAggregates_ = true;
  }
  if (select.having && select.groupBy.empty()) {
    throw Error(SQLITE_ERROR, "a GROUP BY clause is required before HAVING");
  }
  if (select.having && containsAggregate(*select.having)) resultHasAggregates_ = true;
  aggregate_ = resultHasAggregates_ || !select.groupBy.empty();
  // Grouped rows read their columns from the group's first row.
  compiler_.captureColumns(!select.groupBy.empty());
  resolveResultColumns();
  clauses_.endOfIndex = readsEndOfIndex(session_, select);
  useAliases();
  compiler_.captureColumns(false);
  compiler_.beginClause();
  if (select.where) where_ = compiler_.compile(*select.where);
  compileJoinTerms();
  compiler_.endClause();
  compiler_.captureColumns(!select.groupBy.empty());
  if (select.having) {
    compiler_.allowAggregates(true);
    having_ = compiler_.compile(*select.having);
    compiler_.allowAggregates(false);
  }
  resolveOrderBy();
  compiler_.captureColumns(false);
  resolveGroupBy();
  if (laterError_ && !session_.heldError) session_.heldError = std::move(laterError_);
}

// Each view and sub-select of FROM is prepared with this query and stands for a table of its
// rows (read when this query runs). Where the reference library does not merge it into this
// query, it reads it from such a table, whose columns all compare as text.
void SelectQuery::openSources() {
  clauses_ = ownClauses(select_);
  for (size_t at = 0; at < select_.from.size(); ++at) {
    const FromItem& item = select_.from[at];
    unreadSources_.emplace_back();
    bool merged = false;
    auto allText = [&](const Select& source) {
      const QueryRows& rows = *subqueryRows_.back();
      if (!mergesInto(select_, clauses_, at, source, rows.clauses)) return true;
      addClauses(clauses_, rows.clauses);
      merged = true;
      return false;
    };
    std::shared_ptr<Table> table;
    if (item.subquery) {
      subqueryRows_.push_back(
          openSource(item, *item.subquery, sourceColumnNames(session_, *item.subquery)));
      table = tableOfRows(*subqueryRows_.back(), allText(*item.subquery));
    } else {
      table = session_.table(item);
      if (table->isView) {
        // A view reads as the sub-select it stands for, under its own name. The view is
        // held for as long as its rows are read, so that its query outlives a DROP VIEW run
        // from a row callback.
        views_.push_back(table);
        ExpandingView expanding(session_, *table);
        std::vector<std::string> names = viewColumnNamesKept(session_, *table);
        subqueryRows_.push_back(openSource(item, *table->viewSelect, std::move(names)));
        table = tableOfRows(*subqueryRows_.back(), allText(*table->viewSelect));
      } else {
        subqueryRows_.push_back(nullptr);
      }
    }
    merged_.push_back(merged);
    if (merged) inheritOrder(at);
    if (merged && at == 0) mergedFirst_ = true;
    sources_.push_back(NamedSource{table.get(), item.alias ? *item.alias : item.table});
    joinedColumns_.emplace_back(table->columns.size(), false);
    tables_.push_back(std::move(table));
  }
  leftJoinTerms_.resize(tables_.size());
  givenTerms_.resize(tables_.size());
}

// 2.8 merges a sorted view or sub-select into a query without an ORDER BY of its own, which
// then sorts its rows by the source's keys: rows equal in them come in the reverse of the
// order the query found them, reading the source's rows in the order they were found rather
// than sorted (putInFoundOrder, once they are read). A LIMIT or OFFSET would leave the rows
// found but not kept out of that order: such a source keeps its own.
void SelectQuery::inheritOrder(size_t at) {
  const SelectQuery* source = unreadSources_[at].get();
  if (part_ || !orderTerms_.empty() || callsAggregate(select_) || !select_.groupBy.empty() ||
      inheritedOrderSource_ >= 0 || !source || source->orderBy_.empty() || source->limit_ >= 0 ||
      source->offset_ != 0) {
    return;
  }
  QueryRows::Sorting& sorting = subqueryRows_[at]->sorting.emplace();
  for (const SortTerm& term : source->orderBy_) {
    sorting.descending.push_back(term.descending);
    sorting.asText.push_back(term.asText);
  }
  inheritedOrderSource_ = static_cast<int>(at);
}

// The rows of the source whose order this query takes, with their keys, back in the order
// they were found; as sorted where that order is not known.
void SelectQuery::putInFoundOrder(QueryRows& read, QueryRows& held) {
  if (!read.sorting) return;
  QueryRows::Sorting& sorting = *read.sorting;
  const size_t count = read.rows.size();
  held.sorting->keys = std::move(sorting.keys);
  if (sorting.found.size() != count || held.sorting->keys.size() != count) return;
  std::vector<bool> seen(count, false);
  for (size_t found : sorting.found) {
    if (found >= count || seen[found]) return;
    seen[found] = true;
  }
  std::vector<OutputRow> foundRows(count);
  std::vector<std::vector<OutputValue>> foundKeys(count);
  for (size_t i = 0; i < count; ++i) {
    foundRows[sorting.found[i]] = std::move(read.rows[i]);
    foundKeys[sorting.found[i]] = std::move(held.sorting->keys[i]);
  }
  read.rows = std::move(foundRows);
  held.sorting->keys = std::move(foundKeys);
}

// A sub-select or view of FROM, prepared: its rows are read when this query runs (a compound's
// now). Its column names are known first; a mistake in the rest of it waits until this
// query's own names are resolved.
std::unique_ptr<QueryRows> SelectQuery::openSource(const FromItem& item, const Select& select,
                                                   std::vector<std::string> names) {
  const auto place = static_cast<size_t>(&item - select_.from.data());
  try {
    checkCompoundOrderOfSource(session_, SourceReader{select_, !orderTerms_.empty(), limit_ >= 0},
                               place);
    if (!select.compound.empty()) {
      auto rows = std::make_unique<QueryRows>(collectSelect(session_, select));
      if (!session_.heldError) return rows;
    } else {
      auto query = std::make_unique<SelectQuery>(session_, select);
      if (!session_.heldError) {
        auto rows = std::make_unique<QueryRows>(query->withoutRows());
        unreadSources_[place] = std::move(query);
        return rows;
      }
    }
    if (!laterError_) laterError_ = std::move(session_.heldError);
  } catch (const Error& error) {
    if (error.code() != SQLITE_ERROR) throw;
    if (!laterError_) laterError_ = error;
  }
  session_.heldError.reset();
  auto rows = std::make_unique<QueryRows>();
  rows->tableColumns = names;
  rows->textColumns.assign(names.size(), false);
  rows->textOnTheRight.assign(names.size(), false);
  rows->clauses = ownClauses(select);
  return rows;
}

// The source whose order a query of it alone takes: where an index gives the source's ORDER BY
// (with the terms it took from this query, and no other term here constraining it), 2.8 reads
// the merged query in that index's order and does not sort, so rows equal in the keys keep it.
QueryRows SelectQuery::readInheritedOrder(SelectQuery& source) {
  if (tables_.size() == 1) {
    std::vector<int> constrained;
    bool rowNumber = false;
    for (const CompiledExpr* term : whereTerms()) {
      if (std::optional<int> column = constrainedColumn(term, 0)) {
        rowNumber = rowNumber || *column < 0;
        constrained.push_back(*column);
      }
    }
    if (!rowNumber && !source.mayIndexAny(constrained)) {
      if (std::optional<QueryRows> ordered = source.collectInReadOrder()) {
        inheritedInReadOrder_ = true;
        return std::move(*ordered);
      }
    }
  }
  return source.collect();
}

QueryRows& SelectQuery::sourceRows(size_t at) {
  QueryRows& rows = *subqueryRows_[at];
  if (std::unique_ptr<SelectQuery> unread = std::move(unreadSources_[at])) {
    if (static_cast<int>(at) == inheritedOrderSource_) {
      QueryRows read = readInheritedOrder(*unread);
      putInFoundOrder(read, rows);
      rows.rows = std::move(read.rows);
      return rows;
    }
    QueryRows read = unread->collect();
    rows.sorting = std::move(read.sorting);
    rows.rows = std::move(read.rows);
  }
  return rows;
}

void SelectQuery::readSources() {
  for (size_t at = 0; at < subqueryRows_.size(); ++at) {
    if (subqueryRows_[at]) sourceRows(at);
  }
}

namespace {

std::vector<std::string> columnNames(const Table& table) {
  std::vector<std::string> names;
  for (const Column& column : table.columns) names.push_back(column.name);
  return names;
}

ExprPtr qualifiedName(const std::string& table, const std::string& column) {
  auto name = std::make_unique<Expr>();
  name->kind = ExprKind::QualifiedName;
  name->qualifier = table;
  name->text = column;
  return name;
}

}  // namespace

// ON terms, and the equalities that USING and NATURAL stand for, of each join: those of a
// LEFT JOIN decide which rows of its table match; the others are WHERE terms. Compiled later.
// The first table's own ON and USING clauses join it to nothing: they are not read.
void SelectQuery::resolveJoins() {
  for (size_t place = 1; place < select_.from.size(); ++place) {
    const FromItem& item = select_.from[place];
    checkJoinShape(item, columnNames(*tables_[place - 1]), columnNames(*tables_[place]));
    std::vector<std::string> shared;
    if (item.join & kJoinNatural) {
      for (const Column& column : tables_[place - 1]->columns) {
        if (tables_[place]->findColumn(column.name) >= 0) shared.push_back(column.name);
      }
    }
    if (item.usingColumns) shared = *item.usingColumns;
    std::vector<const CompiledExpr*>& terms =
        (item.join & kJoinLeft) ? leftJoinTerms_[place] : innerJoinTerms_;
    for (const std::string& name : shared) {
      joinedColumns_[place][static_cast<size_t>(tables_[place]->findColumn(name))] = true;
      auto equality = std::make_unique<Expr>();
      equality->kind = ExprKind::Binary;
      equality->op = TokenType::Eq;
      equality->left = qualifiedName(sources_[place - 1].name, name);
      equality->right = qualifiedName(sources_[place].name, name);
      joinTerms_.push_back(JoinTerm{equality.get(), &terms});
      joinConditions_.push_back(std::move(equality));
    }
    if (item.on) joinTerms_.push_back(JoinTerm{item.on.get(), &terms});
  }
}

// The join terms' names are looked up after the WHERE clause's, in FROM order, as part of
// that clause.
void SelectQuery::compileJoinTerms() {
  for (const JoinTerm& term : joinTerms_) {
    onTerms_.push_back(compiler_.compile(*term.expr));
    const size_t before = term.terms->size();
    splitConjunction(onTerms_.back().get(), *term.terms);
    if (term.terms != &innerJoinTerms_) continue;
    std::vector<const Expr*> written;
    splitConjunction(*term.expr, written);
    const size_t added = innerJoinTerms_.size() - before;
    if (written.size() != added) written.assign(added, nullptr);
    innerJoinWritten_.insert(innerJoinWritten_.end(), written.begin(), written.end());
  }
}

void SelectQuery::resolveResultColumns() {
  compiler_.allowAggregates(resultHasAggregates_);
  for (const ResultColumn& column : select_.columns) {
    switch (column.kind) {
      case ResultColumn::Kind::AllColumns:
        if (tables_.empty()) throw Error(SQLITE_ERROR, "no tables specified");
        for (size_t source = 0; source < tables_.size(); ++source) addAllColumns(source);
        break;
      case ResultColumn::Kind::TableColumns: {
        bool found = false;
        for (size_t source = 0; source < tables_.size(); ++source) {
          if (!sameName(column.qualifier, sources_[source].name)) continue;
          found = true;
          addAllColumns(source);
        }
        if (!found) throw Error(SQLITE_ERROR, "no such table: " + column.qualifier);
        break;
      }
      case ResultColumn::Kind::Expression:
        columns_.push_back(compiler_.compile(*column.expr));
        resultExprs_.push_back(column.expr.get());
        // SQLite 2.8 shows an expression's name with each run of spaces made one, and an
        // alias as written.
        names_.push_back(column.alias ? *column.alias : resultName(*column.expr, *columns_.back()));
        sourceNames_.push_back(expressionColumnName(column));
        break;
    }
  }
  compiler_.allowAggregates(false);
}

// After the result columns, a name that no table has may be a result column's alias.
void SelectQuery::useAliases() {
  std::vector<std::pair<std::string, const Expr*>> aliases;
  for (const ResultColumn& column : select_.columns) {
    if (column.alias && column.expr) aliases.emplace_back(*column.alias, column.expr.get());
  }
  compiler_.setAliases(std::move(aliases));
}

// A view goes by its own name, whatever its alias; a sub-select by its alias.
std::string SelectQuery::tableNameOf(size_t source) const {
  const std::string& name = tables_[source]->name;
  if (!name.empty()) return name;
  const FromItem& item = select_.from[source];
  return item.subquery ? sources_[source].name : session_.table(item)->name;
}

// A result column's name: the expression as written, or under PRAGMA full_column_names or
// short_column_names, for a column, table.column or the column's own name.
std::string SelectQuery::resultName(const Expr& expr, const CompiledExpr& compiled) const {
  const SessionSettings& settings = session_.settings;
  bool named = expr.kind == ExprKind::Name || expr.kind == ExprKind::QualifiedName;
  const CompiledExpr* column = &compiled;
  if (column->op() == CompiledExpr::Op::Captured) column = column->left();
  if (!named || !(settings.fullColumnNames || settings.shortColumnNames)) {
    return compressSpaces(expr.source);
  }
  if (column->op() != CompiledExpr::Op::Column && column->op() != CompiledExpr::Op::RowNumber) {
    return compressSpaces(expr.source);  // NEW.x, OLD.x, an alias's expression
  }
  auto source = static_cast<size_t>(column->source());
  const Table& table = *tables_[source];
  // The row number goes by the INTEGER PRIMARY KEY's name, or _ROWID_ without one.
  int position =
      column->op() == CompiledExpr::Op::Column ? column->column() : table.rowNumberColumn;
  std::string own = position >= 0 ? table.columns[static_cast<size_t>(position)].name : "_ROWID_";
  return settings.fullColumnNames ? tableNameOf(source) + "." + own : own;
}

// The columns of one table for "*" or "t.*": named "t.column" when the query reads several
// tables; "*" leaves out the columns USING or NATURAL joined.
void SelectQuery::addAllColumns(size_t source) {
  const Table& table = *tables_[source];
  bool several = tables_.size() > 1;
  for (size_t i = 0; i < table.columns.size(); ++i) {
    if (several && joinedColumns_[source][i]) continue;
    const std::string& name = table.columns[i].name;
    requireUnambiguous(source, name);
    columns_.push_back(compiler_.compileColumnAt(static_cast<int>(source), static_cast<int>(i)));
    starExprs_.push_back(qualifiedName(sources_[source].name, name));
    resultExprs_.push_back(starExprs_.back().get());
    // Under either PRAGMA the name is the column's own, spaces and all.
    const SessionSettings& settings = session_.settings;
    if (settings.fullColumnNames) {
      names_.push_back(tableNameOf(source) + "." + name);
    } else if (settings.shortColumnNames) {
      names_.push_back(name);
    } else {
      names_.push_back(starColumnName(several ? sources_[source].name + "." + name : name));
    }
    sourceNames_.push_back(SourceColumnName{name, several});
  }
}

// "*" reads a column by its place (a table may have two of one name), but fails where
// source.name would name a column of another source of that name too.
void SelectQuery::requireUnambiguous(size_t source, const std::string& name) const {
  for (size_t other = 0; other < tables_.size(); ++other) {
    if (other != source && sameName(sources_[other].name, sources_[source].name) &&
        tables_[other]->findColumn(name) >= 0) {
      throw Error(SQLITE_ERROR, "ambiguous column name: " + sources_[source].name + "." + name);
    }
  }
}

// ORDER BY 2 names the second result column (also written +2, (2) or -2, which is out of
// range); any other constant is refused.

void SelectQuery::checkColumnNumber(int number, const char* clause) const {
  int count = static_cast<int>(columns_.size());
  if (number < 1 || number > count) {
    throw Error(SQLITE_ERROR, std::string(clause) + " column number " + std::to_string(number) +
                                  " out of range - should be between 1 and " +
                                  std::to_string(count));
  }
}

// The position of the result column an ORDER BY or GROUP BY term numbers; nullopt for any
// other term.
std::optional<size_t> SelectQuery::numberedColumn(const Expr& term, const char* clause) const {
  std::optional<int> number = orderColumnNumber(term);
  if (!number) return std::nullopt;
  checkColumnNumber(*number, clause);
  const auto position = static_cast<size_t>(*number - 1);
  checkRerunOfNumberedColumn(session_, *resultExprs_[position]);
  return position;
}

// A term that is constant once a numbered result column's expression took its place: a
// number must still be a column's (rows are then sorted or grouped by the number itself),
// anything else is refused, as in SQLite 2.8.
void SelectQuery::checkConstantTerm(const Expr& expr, const CompiledExpr& compiled,
                                    const char* clause) const {
  if (!compiled.isConstant()) return;
  std::optional<int> number = orderColumnNumber(expr);
  if (!number) {
    throw Error(SQLITE_ERROR, std::string(clause) + " terms must not be non-integer constants");
  }
  checkColumnNumber(*number, clause);
}

void SelectQuery::resolveOrderBy() {
  if (inheritedOrderSource_ >= 0) {
    const QueryRows::Sorting& sorting = *subqueryRows_[inheritedOrderSource_]->sorting;
    for (size_t key = 0; key < sorting.descending.size(); ++key) {
      SortTerm sort;
      sort.owned = compiler_.compileColumnAt(inheritedOrderSource_, -1);
      sort.expr = sort.owned.get();
      sort.keysByRow = &sorting.keys;
      sort.keyIndex = key;
      sort.descending = sorting.descending[key];
      sort.asText = sorting.asText[key];
      orderBy_.push_back(std::move(sort));
    }
    return;
  }
  compiler_.allowAggregates(resultHasAggregates_);
  for (const OrderTerm& term : orderTerms_) {
    SortTerm sort;
    sort.descending = term.descending;
    const Expr* expr = term.expr.get();
    if (std::optional<size_t> position = numberedColumn(*expr, "ORDER BY")) {
      sort.expr = columns_[*position].get();
      expr = resultExprs_[*position];
    } else {
      sort.owned = compiler_.compile(*expr);
      sort.expr = sort.owned.get();
    }
    checkConstantTerm(*expr, *sort.expr, "ORDER BY");
    sort.asText = sort.expr->sortsAsText();
    if (term.collation) {
      sort.collated = true;
      if (sameName(*term.collation, "text")) sort.asText = true;
      if (sameName(*term.collation, "numeric")) sort.asText = false;
    }
    orderBy_.push_back(std::move(sort));
  }
  compiler_.allowAggregates(false);
}

// GROUP BY terms are read from each row; a number names a result column, whose expression is
// then compiled again to read the row rather than the group. An aggregate there is misused
// where the query has none elsewhere; where it has, SQLite 2.8 groups by it and answers
// meaningless rows, which this engine refuses once every term's names are found.
void SelectQuery::resolveGroupBy() {
  compiler_.allowAggregates(resultHasAggregates_);
  const Expr* aggregateTerm = nullptr;
  for (const ExprPtr& term : select_.groupBy) {
    const Expr* expr = term.get();
    if (std::optional<size_t> position = numberedColumn(*expr, "GROUP BY")) {
      expr = resultExprs_[*position];
    }
    ownedGroupBy_.push_back(compiler_.compile(*expr));
    if (containsAggregate(*expr)) {
      if (!aggregateTerm) aggregateTerm = expr;
    } else {
      checkConstantTerm(*expr, *ownedGroupBy_.back(), "GROUP BY");
    }
    groupBy_.push_back(ownedGroupBy_.back().get());
  }
  compiler_.allowAggregates(false);
  if (!aggregateTerm) return;
  Error error(SQLITE_ERROR, "aggregate functions are not allowed in the GROUP BY clause");
  if (!part_) throw error;
  // SQLite 2.8 lets it pass in a compound's part: refused once every part is compiled.
  if (!session_.compoundError) session_.compoundError = error;
}

std::vector<OrderColumn> SelectQuery::orderColumns() const {
  std::vector<OrderColumn> columns;
  for (const SortTerm& term : orderBy_) {
    OrderColumn column;
    column.descending = term.descending;
    // Only the first table's columns can come in order from its index, and its row number
    // when it is the only table, as in SQLite 2.8.
    const bool ofFirstTable = !term.collated && term.expr->source() == 0;
    if (ofFirstTable && term.expr->op() == CompiledExpr::Op::Column) {
      column.column = term.expr->column();
    } else if (ofFirstTable && tables_.size() == 1 && !besideOthers_ &&
               term.expr->op() == CompiledExpr::Op::RowNumber) {
      column.column = OrderColumn::kRowNumber;
    }
    columns.push_back(column);
  }
  return columns;
}

std::vector<const CompiledExpr*> SelectQuery::whereTerms() const {
  std::vector<const CompiledExpr*> terms;
  for (const auto& [expr, term] : writtenWhereTerms()) {
    if (std::find(givenAway_.begin(), givenAway_.end(), term) == givenAway_.end()) {
      terms.push_back(term);
    }
  }
  return terms;
}

// The terms of the WHERE's AND chain, those a reader gave this query and those of inner joins'
// ON clauses, each as written (null where the chains written and compiled do not match) and
// compiled.
std::vector<std::pair<const Expr*, const CompiledExpr*>> SelectQuery::writtenWhereTerms() const {
  std::vector<std::pair<const Expr*, const CompiledExpr*>> terms;
  if (where_) {
    std::vector<const Expr*> written;
    std::vector<const CompiledExpr*> compiled;
    splitConjunction(*select_.where, written);
    splitConjunction(where_.get(), compiled);
    if (written.size() != compiled.size()) written.assign(compiled.size(), nullptr);
    for (size_t i = 0; i < compiled.size(); ++i) terms.emplace_back(written[i], compiled[i]);
  }
  for (size_t i = 0; i < readerWhere_.size(); ++i) {
    terms.emplace_back(readerTermExprs_[i].get(), readerWhere_[i].get());
  }
  for (size_t i = 0; i < innerJoinTerms_.size(); ++i) {
    terms.emplace_back(innerJoinWritten_[i], innerJoinTerms_[i]);
  }
  return terms;
}

bool SelectQuery::takeReaderTerms(const ReaderTerms& terms) {
  std::vector<ExprPtr> exprs;
  std::vector<CompiledExprPtr> compiled;
  try {
    compiler_.beginClause();
    for (const Expr* term : terms.terms) {
      exprs.push_back(termOverResults(*term, terms.sourceName, *terms.sourceTable, resultExprs_));
      compiled.push_back(compiler_.compile(*exprs.back()));
    }
    compiler_.endClause();
  } catch (const Error& error) {
    if (error.code() != SQLITE_ERROR) throw;
    compiled.clear();
  }
  if (session_.heldError || compiled.size() != terms.terms.size()) {
    session_.heldError.reset();
    return false;
  }
  std::move(exprs.begin(), exprs.end(), std::back_inserter(readerTermExprs_));
  std::move(compiled.begin(), compiled.end(), std::back_inserter(readerWhere_));
  return true;
}

// Before the first row: the terms this query gives its merged sources are known, and then
// the sources' rows are read with them.
void SelectQuery::readySources() {
  if (sourcesReady_) return;
  sourcesReady_ = true;
  if (aggregate_ && select_.groupBy.empty()) keepBareRows();
  giveTermsToSources();
  readSources();
}

// An aggregate query without GROUP BY reads a table's columns outside its aggregates as NULL.
// 2.8 has put a merged source's expressions in place of the source's columns, and computes
// them there with the tables' columns NULL: a constant column of the source keeps its value.
// Kept before the sources are read, while their queries are at hand.
void SelectQuery::keepBareRows() {
  if (!bareSources_.empty()) return;  // kept already
  bareValues_.resize(tables_.size());
  for (size_t at = 0; at < tables_.size(); ++at) {
    if (merged_[at] && unreadSources_[at]) bareValues_[at] = unreadSources_[at]->bareRow();
  }
  bareRows_.resize(tables_.size());
  for (size_t at = 0; at < tables_.size(); ++at) {
    if (!bareValues_[at].empty()) bareRows_[at].values = bareValues_[at].data();
    bareSources_.push_back(&bareRows_[at]);
  }
}

// This query's result columns as a reader's bare columns read them (keepBareRows).
OutputRow SelectQuery::bareRow() {
  keepBareRows();
  EvalContext row;
  row.sources = bareSources_.data();
  OutputRow values;
  for (const CompiledExprPtr& column : columns_) {
    SqlValue value = column->evaluate(row);
    values.push_back(value.isNull() ? OutputValue() : OutputValue(std::string(value.text())));
  }
  return values;
}

// The terms on a merged source alone are the source's own in 2.8 (merged_source_terms.h):
// the source reads its rows with them, and they are not checked here.
void SelectQuery::giveTermsToSources() {
  constexpr size_t kMaxSources = 64;  // sourcesUsed()'s bits
  if (laterError_ || session_.heldError || tables_.size() > kMaxSources) return;
  const std::vector<std::pair<const Expr*, const CompiledExpr*>> terms = writtenWhereTerms();
  for (size_t at = 0; at < tables_.size(); ++at) {
    if (!mayTakeTerms(at)) continue;
    ReaderTerms given{{}, sources_[at].name, tables_[at].get()};
    std::vector<const CompiledExpr*> compiled;
    for (const auto& [expr, term] : terms) {
      if (expr && mayGiveTerm(*expr, *term, at)) {
        given.terms.push_back(expr);
        compiled.push_back(term);
      }
    }
    if (given.terms.empty()) continue;
    if (!giveSourceTerms(at, given)) continue;
    givenTerms_[at] = std::move(given);
    // Right of a LEFT JOIN, 2.8 lets the terms choose the source's index but checks them again
    // once the join has given the row of NULLs where nothing matched.
    if (!(select_.from[at].join & kJoinLeft)) {
      givenAway_.insert(givenAway_.end(), compiled.begin(), compiled.end());
    }
  }
}

// A term on the source alone; right of a LEFT JOIN only one that compares a column of it
// (false on the row of NULLs), as only those can be an index's there.
bool SelectQuery::mayGiveTerm(const Expr& written, const CompiledExpr& term, size_t at) const {
  if (term.sourcesUsed() != (uint64_t{1} << at) || term.readsRowNumber() ||
      !readsOnlySource(written, sources_[at].name, *tables_[at])) {
    return false;
  }
  if (!(select_.from[at].join & kJoinLeft)) return true;
  auto isName = [](const ExprPtr& side) {
    return side && (side->kind == ExprKind::Name || side->kind == ExprKind::QualifiedName);
  };
  if (term.op() == CompiledExpr::Op::Compare) return isName(written.left) || isName(written.right);
  const bool listOrRange = written.kind == ExprKind::Between || written.kind == ExprKind::InList;
  return listOrRange && !written.negated && isName(written.left);
}

// 2.8 hands terms down where it merges the source, and where that source does not group.
// A LIMIT would then count the rows the terms keep (and an OFFSET skip the reader's), a fault
// kept away here: the terms go down only where the LIMIT cuts no row.
bool SelectQuery::mayTakeTerms(size_t at) {
  if (!merged_[at]) return false;
  const QueryRows& rows = *subqueryRows_[at];
  const Select* source = queryOfSource(session_, select_.from[at]);
  if (!source || rows.clauses.aggregates || !source->groupBy.empty() || source->offset != 0) {
    return false;
  }
  const int limit = source->limit.value_or(-1);
  return limit < 0 || sourceRows(at).rows.size() < static_cast<size_t>(limit);
}

// A source already read (to count its rows against its LIMIT) is prepared again to take them.
bool SelectQuery::giveSourceTerms(size_t at, const ReaderTerms& terms) {
  if (unreadSources_[at]) return unreadSources_[at]->takeReaderTerms(terms);
  const Select* source = queryOfSource(session_, select_.from[at]);
  try {
    auto query = std::make_unique<SelectQuery>(session_, *source);
    if (!session_.heldError && query->takeReaderTerms(terms)) {
      unreadSources_[at] = std::move(query);
      return true;
    }
  } catch (const Error& error) {
    if (error.code() != SQLITE_ERROR) throw;
  }
  session_.heldError.reset();
  return false;
}

// The tables whose columns the result, grouping and ordering read.
uint64_t SelectQuery::columnSourcesRead() const {
  uint64_t read = 0;
  for (const CompiledExprPtr& column : columns_) read |= column->columnSourcesRead();
  for (const CompiledExpr* term : groupBy_) read |= term->columnSourcesRead();
  if (having_) read |= having_->columnSourcesRead();
  for (const SortTerm& term : orderBy_) read |= term.expr->columnSourcesRead();
  return read;
}

std::vector<JoinWalker::Source> SelectQuery::walkerSources() const {
  std::vector<JoinWalker::Source> sources;
  for (size_t place = 0; place < tables_.size(); ++place) {
    JoinWalker::Source source;
    source.table = tables_[place];
    source.leftJoin = (select_.from[place].join & kJoinLeft) != 0;
    source.onTerms = leftJoinTerms_[place];
    source.rows = subqueryRows_[place].get();
    sources.push_back(std::move(source));
  }
  return sources;
}

void SelectQuery::forEachRow(JoinWalker* walker, const JoinWalker::RowVisitor& visit) {
  if (walker) {
    walker->forEach(visit);
    return;
  }
  // No FROM: one row of constants, if the WHERE lets it through.
  EvalContext row;
  if (!where_ || where_->isSatisfied(row)) visit(row);
}

QueryRows SelectQuery::withoutRows() const {
  QueryRows result;
  result.names = names_;
  for (const CompiledExprPtr& column : columns_) {
    result.textColumns.push_back(column->isText());
    result.textOnTheRight.push_back(column->textOnTheRight());
    result.integerColumns.push_back(column->alwaysInteger());
  }
  result.tableColumns = tableColumnNames();
  result.clauses = clauses_;
  return result;
}

std::unique_ptr<JoinWalker> SelectQuery::makeWalker() const {
  if (tables_.empty()) return nullptr;
  std::vector<OrderColumn> order = aggregate_ ? std::vector<OrderColumn>() : orderColumns();
  return std::make_unique<JoinWalker>(session_, walkerSources(), whereTerms(), order,
                                      columnSourcesRead());
}

std::optional<QueryRows> SelectQuery::collectInReadOrder() {
  if (aggregate_ || orderBy_.empty()) return std::nullopt;
  readySources();
  std::unique_ptr<JoinWalker> walker = makeWalker();
  if (!walker || !(walker->providesOrder() || firstSourceGivesOrder())) return std::nullopt;
  walker.reset();
  return collect();
}

// 2.8 runs a view or sub-select merged at the head of FROM as part of this query, so that an
// index of its first table can give this query's ORDER BY and spare the sort: rows equal in
// the keys then come in the index's order rather than the sorter's. Where it would, the
// source is read again in that order, with the terms it took from this query, which choose
// its plan there. Another term of this query that constrains the source (one that reads
// other tables too) could have chosen another index: then the rows are sorted.
bool SelectQuery::firstSourceGivesOrder() {
  if (!firstSourceGivesOrder_) firstSourceGivesOrder_ = readFirstSourceInOrder();
  return *firstSourceGivesOrder_;
}

bool SelectQuery::readFirstSourceInOrder() {
  if (!mergedFirst_ || aggregate_ || orderBy_.empty() || inheritedOrderSource_ >= 0) return false;
  QueryRows& rows = sourceRows(0);
  if (rows.clauses.limited) return false;
  std::vector<OrderTerm> order;
  for (const SortTerm& sort : orderBy_) {
    if (sort.collated || sort.expr->op() != CompiledExpr::Op::Column || sort.expr->source() != 0) {
      return false;
    }
    OrderTerm term;
    term.expr = std::make_unique<Expr>();
    term.expr->kind = ExprKind::Integer;
    term.expr->text = std::to_string(sort.expr->column() + 1);
    term.descending = sort.descending;
    order.push_back(std::move(term));
  }
  std::vector<const CompiledExpr*> terms = whereTerms();
  for (const auto& joinTerms : leftJoinTerms_) {
    terms.insert(terms.end(), joinTerms.begin(), joinTerms.end());
  }
  std::vector<int> constrained;  // the source's columns
  for (const CompiledExpr* term : terms) {
    if (std::optional<int> column = constrainedColumn(term, 0)) {
      if (*column < 0) return false;
      constrained.push_back(*column);
    }
  }
  const Select* source = queryOfSource(session_, select_.from[0]);
  if (!source) return false;
  try {
    SelectQuery merged(session_, *source, order, tables_.size() > 1);
    std::optional<QueryRows> ordered;
    if (!session_.heldError && (!givenTerms_[0] || merged.takeReaderTerms(*givenTerms_[0])) &&
        !merged.mayIndexAny(constrained)) {
      ordered = merged.collectInReadOrder();
    }
    session_.heldError.reset();
    if (!ordered || ordered->rows.size() != rows.rows.size()) return false;
    rows.rows = std::move(ordered->rows);
    return true;
  } catch (const Error& error) {
    if (error.code() != SQLITE_ERROR) throw;
    session_.heldError.reset();
    return false;
  }
}

// Whether a term on these result columns could choose an index of the first table: true unless
// each is a column of that table which no index names.
bool SelectQuery::mayIndexAny(const std::vector<int>& resultColumns) const {
  for (int position : resultColumns) {
    if (position >= static_cast<int>(columns_.size()) || subqueryRows_.empty() ||
        subqueryRows_[0]) {
      return true;
    }
    const CompiledExpr& column = *columns_[static_cast<size_t>(position)];
    if (column.op() != CompiledExpr::Op::Column || column.source() != 0) return true;
    const Table& table = *tables_[0];
    if (column.column() == table.rowNumberColumn) return true;
    for (const std::shared_ptr<Index>& index : table.indexes) {
      for (int indexed : index->columns) {
        if (indexed == column.column()) return true;
      }
    }
  }
  return false;
}

QueryRows SelectQuery::collect() {
  QueryRows result = withoutRows();
  if (!orderBy_.empty()) sortingOut_ = &result.sorting.emplace();
  firstIsIntegerOut_ = &result.firstIsInteger;
  run([&](int count, const char* const* values, const char* const*) {
    OutputRow row;
    row.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      row.push_back(values[i] ? OutputValue(values[i]) : OutputValue());
    }
    result.rows.push_back(std::move(row));
    return true;
  });
  sortingOut_ = nullptr;
  firstIsIntegerOut_ = nullptr;
  return result;
}

std::vector<std::string> SelectQuery::tableColumnNames() const {
  return uniqueColumnNames(sourceNames_);
}

OutputShape SelectQuery::outputShape() const {
  OutputShape shape;
  shape.columns = &columns_;
  shape.names = &names_;
  shape.orderBy = &orderBy_;
  shape.distinct = select_.distinct;
  shape.limit = limit_;
  shape.offset = offset_;
  shape.showDatatypes = session_.settings.showDatatypes;
  shape.sorting = sortingOut_;
  shape.firstIsInteger = firstIsIntegerOut_;
  return shape;
}

// Rows that an index gives in ORDER BY's order are handed on as they are found, through
// DISTINCT too, rather than sorted.
void SelectQuery::run(const ResultRowCallback& onRow) {
  readySources();
  std::unique_ptr<JoinWalker> walker = makeWalker();
  OutputShape shape = outputShape();
  shape.rowsInOrder = !aggregate_ && walker &&
                      (walker->providesOrder() || firstSourceGivesOrder() || inheritedInReadOrder_);
  SelectOutput output(shape, onRow);
  if (aggregate_) {
    runAggregate(walker.get(), output);
    return;
  }
  // Rows in ORDER BY's order already still go through add() where their keys are asked for.
  const bool direct =
      !select_.distinct && (orderBy_.empty() || (shape.rowsInOrder && !shape.sorting));
  forEachRow(walker.get(), [&](const EvalContext& row) {
    return direct ? output.addCurrent(row) : output.add(row);
  });
  output.finish();
}

namespace {

SqlValue ownedCopy(const SqlValue& value) {
  if (value.isNull() || value.kind() != SqlValue::Kind::Text) return value;
  return SqlValue::ownedText(std::string(value.text()));
}

}  // namespace

// Groups come out in the order of their keys (as ORDER BY of the GROUP BY terms would give)
// unless ORDER BY says otherwise.
void SelectQuery::runAggregate(JoinWalker* walker, SelectOutput& output) {
  const std::vector<AggregateTerm>& terms = compiler_.aggregates();
  const std::vector<const CompiledExpr*>& captures = compiler_.captures();
  GroupTable groups(terms.size(), captures.size());
  auto addRow = [&](const EvalContext& row) {
    keyScratch_.clear();
    for (const CompiledExpr* term : groupBy_) {
      SqlValue scratch;
      appendGroupKey(keyScratch_, term->textOf(row, scratch), term->isText());
    }
    bool isNew;
    uint32_t group = groups.find(keyScratch_, isNew);
    if (isNew) {
      SqlValue* captured = groups.captured(group);
      for (size_t i = 0; i < captures.size(); ++i) {
        captured[i] = ownedCopy(captures[i]->evaluate(row));
      }
    }
    addToAggregates(terms, groups.states(group), row);
  };
  forEachRow(walker, [&](const EvalContext& row) {
    addRow(row);
    return true;
  });
  // Without GROUP BY there is one group, also when no row was found.
  if (groupBy_.empty() && groups.size() == 0) {
    bool isNew;
    groups.find(std::string_view(), isNew);
  }
  std::vector<SqlValue> results(terms.size());
  const std::vector<uint32_t> order =
      having_ ? groups.inKeyOrder(groupsHavingKeeps(groups, results)) : groups.inKeyOrder();
  constexpr size_t kPrefetchAhead = 8;
  for (size_t at = 0; at < order.size(); ++at) {
    if (at + kPrefetchAhead < order.size()) groups.prefetch(order[at + kPrefetchAhead]);
    if (!output.add(groupRow(groups, order[at], results))) return;
  }
  output.finish();
}

EvalContext SelectQuery::groupRow(GroupTable& groups, uint32_t group,
                                  std::vector<SqlValue>& results) const {
  aggregateResults(compiler_.aggregates(), groups.states(group), results.data());
  EvalContext row;
  row.aggregates = results.data();
  row.captured = groups.captured(group);
  if (!bareSources_.empty()) row.sources = bareSources_.data();
  return row;
}

// The groups HAVING keeps, in the order they were made (which is their order in memory):
// only these are then put in key order, which spares ordering the many a HAVING drops.
std::vector<uint32_t> SelectQuery::groupsHavingKeeps(GroupTable& groups,
                                                     std::vector<SqlValue>& results) const {
  std::vector<uint32_t> kept;
  for (uint32_t group = 0; group < groups.size(); ++group) {
    if (having_->isSatisfied(groupRow(groups, group, results))) kept.push_back(group);
  }
  return kept;
}

}  // namespace

void runSelect(Session& session, const Select& select, const ResultRowCallback& onRow) {
  if (!select.compound.empty()) {
    runCompoundSelect(session, select, onRow);
    return;
  }
  SelectQuery query(session, select);
  session.throwHeldError();
  session.statementStarted = true;
  // The statement's names (its sub-selects' stay their own).
  session.resultNames = query.names();
  query.run(onRow);
}

// A mistake held back in a part of a compound ends the compound there; after one refused at
// the end (Session::compoundError) the parts are only compiled.
QueryRows collectSelectPart(Session& session, const Select& select) {
  SelectQuery query(session, select, true);
  session.throwHeldError();
  return session.compoundError ? query.withoutRows() : query.collect();
}

std::vector<std::string> viewColumnNames(Session& session, const Table& view) {
  ExpandingView expanding(session, view);
  // A compound's columns are named by its last SELECT.
  const Select& select = *view.viewSelect;
  SelectQuery query(session, select.compound.empty() ? select : *select.compound.back().select,
                    !select.compound.empty());
  session.throwHeldError();
  return query.tableColumnNames();
}

size_t prepareSelect(Session& session, const Select& select) {
  const bool compound = !select.compound.empty();
  checkCompoundClauses(select);
  SelectQuery first(session, select, compound);
  for (const CompoundPart& part : select.compound) SelectQuery(session, *part.select, true);
  session.throwHeldError();
  session.throwCompoundError();
  return first.tableColumnNames().size();
}

QueryRows collectSelect(Session& session, const Select& select) {
  if (!select.compound.empty()) return collectCompoundSelect(session, select);
  SelectQuery query(session, select);
  return session.heldError ? query.withoutRows() : query.collect();
}

}  // namespace sqlite2
