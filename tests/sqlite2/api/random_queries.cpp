#include "random_queries.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace orvalen::test {

namespace {

// Sub-selects inside sub-selects go this deep at most.
constexpr int kDeepestNesting = 2;

// Rows kept small: a three-way join of full tables would compare thousands of rows a step.
constexpr const char* kJoinRowCap = " LIMIT 200";

bool contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

bool isPlainName(const std::string& text) {
  if (text.empty() || std::isdigit(static_cast<unsigned char>(text[0]))) return false;
  return std::all_of(text.begin(), text.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
  });
}

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The name a result column takes as a table's column in SQLite 2.8 (without an alias): the
// column it reads, or the expression as written, cut at the closing quote where it starts
// with one ('a' || 'b' is named a).
std::string tableColumnName(const std::string& term) {
  // A column in parentheses keeps its name.
  if (term.size() > 2 && term.front() == '(' && term.back() == ')') {
    const std::string inner = term.substr(1, term.size() - 2);
    const size_t dot = inner.find('.');
    if (isPlainName(inner) || (dot != std::string::npos && isPlainName(inner.substr(0, dot)) &&
                               isPlainName(inner.substr(dot + 1)))) {
      return tableColumnName(inner);
    }
  }
  const size_t dot = term.find('.');
  if (dot != std::string::npos && isPlainName(term.substr(0, dot)) &&
      isPlainName(term.substr(dot + 1))) {
    return term.substr(dot + 1);
  }
  if (term.empty() || term.front() != '\'') return term;
  std::string name;
  for (size_t i = 1; i < term.size(); ++i) {
    if (term[i] == '\'' && (i + 1 == term.size() || term[i + 1] != '\'')) break;
    if (term[i] == '\'') ++i;
    name += term[i];
  }
  return name;
}

}  // namespace

RandomQueries::RandomQueries(RandomSource& random, RandomValues& values,
                             RandomExpressions& expressions, const SchemaModel& schema,
                             const Exclusions& exclusions)
    : random_(random),
      values_(values),
      expressions_(expressions),
      schema_(schema),
      exclusions_(exclusions) {}

// Several sources, or one that joins: 2.8 crashes over an ORDER BY on a compound with such a
// part (Exclusion::CompoundOrderOverJoin).
bool RandomQueries::joins(const Select& select) {
  return select.sources.size() > 1 || (select.sources.size() == 1 && select.sources[0].joins);
}

bool RandomQueries::nestsSubquery(const Select& select) {
  return std::any_of(select.sources.begin(), select.sources.end(),
                     [](const Source& source) { return source.nestsSubquery; });
}

bool RandomQueries::anyTable() const {
  return std::any_of(schema_.tables.begin(), schema_.tables.end(),
                     [](const TableModel& table) { return !table.columns.empty(); });
}

const TableModel& RandomQueries::randomTable() {
  auto ofDatabase = [this](const TableModel& table) {
    return !databaseOnly_ || table.temporary == (*databaseOnly_ == Database::Temp);
  };
  const bool anyOfDatabase = std::any_of(
      schema_.tables.begin(), schema_.tables.end(),
      [&](const TableModel& table) { return ofDatabase(table) && !table.columns.empty(); });
  for (;;) {
    const TableModel& table = random_.oneOf(schema_.tables);
    if (table.columns.empty() || (anyOfDatabase && !ofDatabase(table))) continue;
    return table;
  }
}

RandomQueries::Source RandomQueries::tableSource(bool mayAlias) {
  const TableModel& table = randomTable();
  Source source;
  source.name = table.name;
  source.sql = table.name;
  if (mayAlias && random_.chance(35)) {
    source.name = "a" + std::to_string(nextAlias_++);
    source.sql = table.name + (random_.chance(50) ? " AS " : " ") + source.name;
  }
  source.plainTable = source.name == table.name;
  for (const ColumnModel& column : table.columns) {
    if (column.name.empty()) continue;
    source.columns.push_back({source.name + "." + column.name, column.textual, column.integerKey});
    source.plainColumns.push_back(column.name);
  }
  if (random_.chance(20)) source.columns.push_back({source.name + ".rowid", false, true});
  return source;
}

void RandomQueries::realias(Source& source) {
  const std::string alias = "a" + std::to_string(nextAlias_++);
  source.sql = source.name + " AS " + alias;
  for (ColumnRef& column : source.columns) {
    column.sql = alias + column.sql.substr(source.name.size());
  }
  source.name = alias;
  source.plainTable = false;
}

RandomQueries::Source RandomQueries::viewSource(bool mayAlias) {
  const ViewModel& view = random_.oneOf(schema_.views);
  Source source;
  source.name = view.name;
  source.sql = view.name;
  if (mayAlias && random_.chance(30)) {
    source.name = "a" + std::to_string(nextAlias_++);
    source.sql = view.name + " AS " + source.name;
  }
  for (const std::string& column : view.columns) {
    if (column.empty()) continue;
    source.columns.push_back(
        {source.name + "." + column, false, contains(view.keyColumns, column)});
    source.plainColumns.push_back(column);
  }
  source.rowOrderFree = view.rowOrderFree;
  source.sorted = view.sorted;
  source.distinct = view.distinct;
  source.valuesMerged = view.valuesMerged;
  source.joins = view.joins;
  source.nestsSubquery = view.nestsSubquery;
  source.query = true;
  return source;
}

// Beside other sources, a sub-select's rows are compared as a set, and it takes no LIMIT
// (Exclusion::SubqueryBesideSources).
RandomQueries::Source RandomQueries::subquerySource(int depth, bool orderFreeAllowed,
                                                    bool besideOthers) {
  const bool outer = readAsSource_;
  const bool outerLimitless = limitless_;
  const bool unmatched = besideOthers && exclusions_.avoid(Exclusion::SubqueryBesideSources);
  const bool outerSubquery = inSubquery_;
  readAsSource_ = true;
  inSubquery_ = true;
  limitless_ = limitless_ || unmatched || exclusions_.avoid(Exclusion::LimitInSource);
  QueryShape inner = anyQuery(depth + 1, 1 + random_.below(3), orderFreeAllowed);
  readAsSource_ = outer;
  inSubquery_ = outerSubquery;
  limitless_ = outerLimitless;
  Source source;
  source.name = "q" + std::to_string(nextAlias_++);
  source.sql = "(" + inner.sql + ")" + (random_.chance(50) ? " AS " : " ") + source.name;
  for (const std::string& column : inner.columns) {
    if (column.empty()) continue;
    source.columns.push_back(
        {source.name + "." + column, false, contains(inner.keyColumns, column)});
    source.plainColumns.push_back(column);
  }
  source.rowOrderFree = inner.rowOrderFree || unmatched;
  source.distinct = isDistinctQuery(inner.sql);
  source.valuesMerged = inner.valuesMerged;
  source.joins = inner.joins;
  source.nestsSubquery = true;
  source.query = true;
  return source;
}

RandomQueries::Source RandomQueries::anySource(int depth, bool orderFreeAllowed,
                                               bool besideOthers) {
  const int pick = random_.below(100);
  if ((pick < 20 || !anyTable()) && !schema_.views.empty() &&
      (mayReadView(inSubquery_) || !anyTable())) {
    Source view = viewSource(true);
    // A view that reads a sub-select or sorts is as a sub-select there.
    const bool subqueryAllowed = !(view.nestsSubquery || view.sorted) || !inCompoundPart_ ||
                                 !exclusions_.avoid(Exclusion::SubqueryInCompound);
    if ((orderFreeAllowed || !view.rowOrderFree) && subqueryAllowed) return view;
  }
  const bool subqueryAllowed =
      (orderFreeAllowed || !besideOthers || !exclusions_.avoid(Exclusion::SubqueryBesideSources)) &&
      !(inCompoundPart_ && exclusions_.avoid(Exclusion::SubqueryInCompound));
  if (pick >= 85 && depth < kDeepestNesting && subqueryAllowed) {
    return subquerySource(depth, orderFreeAllowed, besideOthers);
  }
  return tableSource(true);
}

// An equality between the two sides, with more terms now and then. The terms of a LEFT
// JOIN's ON read its own table unless Exclusion::LeftJoinOuterTerms is let through.
std::string RandomQueries::joinCondition(const Source& left, const Source& right) {
  auto columnOf = [&](const Source& source) {
    return source.columns.empty() ? values_.any() : random_.oneOf(source.columns).sql;
  };
  std::string condition = columnOf(left) + " = " + columnOf(right);
  if (random_.chance(30)) {
    condition += " AND " + columnOf(right) + (random_.chance(50) ? " IS NOT NULL" : " <> ''");
  }
  return condition;
}

std::string RandomQueries::joinOperator(const Source& left, const Source& right,
                                        std::string& where) {
  std::vector<std::string> shared;
  for (const std::string& name : right.plainColumns) {
    if (contains(left.plainColumns, name)) shared.push_back(name);
  }
  const bool unaliased = left.plainTable && right.plainTable;
  const bool namesJoinable = (unaliased || !exclusions_.avoid(Exclusion::UsingWithAlias)) &&
                             !(makingView_ && exclusions_.avoid(Exclusion::UsingInView));
  // Over a source without columns to name, the condition reads only the sources before it,
  // and over a view or sub-select (merged: a constant column, or its own LEFT JOIN) it may be
  // 2.8's LEFT JOIN's: it goes to the WHERE clause (Exclusion::InnerJoinOuterTerms).
  auto innerJoin = [&](const char* keyword) {
    std::string condition = joinCondition(left, right);
    const bool outerTerms = right.columns.empty() || right.query;
    if (outerTerms && exclusions_.avoid(Exclusion::InnerJoinOuterTerms)) {
      where += (where.empty() ? "" : " AND ") + condition;
      return " CROSS JOIN " + right.sql;
    }
    return keyword + right.sql + " ON " + condition;
  };
  switch (random_.below(9)) {
    case 0:
      if (random_.chance(70)) where += (where.empty() ? "" : " AND ") + joinCondition(left, right);
      return ", " + right.sql;
    case 1:
      return innerJoin(" JOIN ");
    case 2:
      return innerJoin(" INNER JOIN ");
    case 3:
    case 4: {
      if (right.columns.empty()) return " CROSS JOIN " + right.sql;
      std::string on = joinCondition(left, right);
      if (!exclusions_.avoid(Exclusion::LeftJoinOuterTerms) && random_.chance(40)) {
        Scope leftOnly = left.columns;
        on += " AND " + expressions_.condition(leftOnly, 1);
      }
      const char* keyword = random_.chance(30) ? " LEFT OUTER JOIN " : " LEFT JOIN ";
      // An inner join instead, whose rows both engines agree on.
      if (right.valuesMerged && exclusions_.avoid(Exclusion::LeftJoinMergedValues)) {
        where += (where.empty() ? "" : " AND ") + on;
        return " CROSS JOIN " + right.sql;
      }
      return keyword + right.sql + " ON " + on;
    }
    case 5:
      if (!shared.empty() && namesJoinable) {
        return std::string(random_.chance(30) ? " LEFT JOIN " : " JOIN ") + right.sql + " USING(" +
               random_.oneOf(shared) + ")";
      }
      return innerJoin(" JOIN ");
    case 6:
      if (namesJoinable) {
        return std::string(random_.chance(30) ? " NATURAL LEFT JOIN " : " NATURAL JOIN ") +
               right.sql;
      }
      return " CROSS JOIN " + right.sql;
    case 7:
      return " CROSS JOIN " + right.sql;
    default:
      return ", " + right.sql;
  }
}

RandomQueries::Select RandomQueries::fromClause(int sourceCount, int depth, bool orderFreeAllowed) {
  Select select;
  std::string joinWhere;
  for (int i = 0; i < sourceCount; ++i) {
    Source source = anySource(depth, orderFreeAllowed, sourceCount > 1);
    // The same table twice takes an alias, but now and then (its names are then ambiguous).
    const bool repeated =
        std::any_of(select.sources.begin(), select.sources.end(),
                    [&](const Source& other) { return other.name == source.name; });
    if (repeated && !random_.chance(5)) realias(source);
    select.from += i == 0 ? source.sql : joinOperator(select.sources.back(), source, joinWhere);
    select.scope.insert(select.scope.end(), source.columns.begin(), source.columns.end());
    select.rowOrderFree = select.rowOrderFree || source.rowOrderFree;
    select.sources.push_back(std::move(source));
  }
  if (!joinWhere.empty()) select.where.push_back(joinWhere);
  return select;
}

// The WHERE clause of the join's terms, and of a condition when one is drawn.
std::string RandomQueries::whereClause(const Select& select, int percent) {
  std::vector<std::string> terms = select.where;
  if (random_.chance(percent)) terms.push_back(expressions_.condition(select.scope, 1));
  std::string clause;
  for (size_t i = 0; i < terms.size(); ++i) clause += (i ? " AND " : " WHERE ") + terms[i];
  return clause;
}

// Result columns: "*" and "t.*" when any number will do, columns, expressions with and
// without aliases, sub-selects.
std::string RandomQueries::resultColumns(const Select& select, int columnCount, int depth,
                                         std::vector<std::string>& names, bool* computed) {
  std::string sql;
  if (columnCount < 0 && !select.scope.empty() && random_.chance(25)) {
    names.assign(select.scope.size(), "");
    return "*";
  }
  const int count = columnCount < 0 ? 1 + random_.below(4) : columnCount;
  std::vector<std::string> seen;
  for (int i = 0; i < count; ++i) {
    std::string term;
    const int pick = random_.below(100);
    const bool bareColumn = pick < 40 && !select.scope.empty();
    if (computed && !bareColumn) *computed = true;
    if (bareColumn) {
      const ColumnRef& column = random_.oneOf(select.scope);
      term = column.sql;
    } else if (pick < 48) {
      term = values_.any();
    } else {
      // Values that are stored stay narrow, so that later comparisons of them stay sound.
      // Excluded: sub-selects among the columns of a view or a sub-select in FROM.
      const bool subqueries =
          !(readAsSource_ && exclusions_.avoid(Exclusion::SubqueryColumnOfSource));
      expressions_.setSubqueries(subqueries ? this : nullptr);
      term = storing_ ? expressions_.narrowValue(select.scope, depth + 1)
                      : expressions_.value(select.scope, depth + 1);
      expressions_.setSubqueries(this);
    }
    // Written through a query, it becomes a real of 18 digits (Exclusion::LongRealInIndex).
    const std::string wide = "123456789012345678";
    for (size_t at; storing_ && exclusions_.avoid(Exclusion::LongRealInIndex) &&
                    (at = term.find(wide)) != std::string::npos;) {
      term.replace(at, wide.size(), "12345678");
    }
    const bool key = std::any_of(select.scope.begin(), select.scope.end(),
                                 [&](const ColumnRef& c) { return c.integerKey && c.sql == term; });
    names.push_back(nameTerm(term, "r" + std::to_string(i), 35, seen));
    if (key) keyColumns_.push_back(names.back());
    sql += (i ? ", " : "") + term;
  }
  return sql;
}

// Gives the term its alias now and then, and always where its name would repeat an earlier
// column's in rows that are read by name (Exclusion::DuplicateColumnNames). The name the
// statements can write for the column ("" for none).
std::string RandomQueries::nameTerm(std::string& term, const std::string& alias, int percent,
                                    std::vector<std::string>& seen) {
  std::string name = tableColumnName(term);
  const bool repeated = contains(seen, lowerCase(name));
  const bool readByName = storing_ || readAsSource_;
  const bool emptyStored =
      name.empty() && storing_ && exclusions_.avoid(Exclusion::EmptyColumnName);
  const bool distinctNames = readByName && exclusions_.avoid(Exclusion::DuplicateColumnNames);
  const bool quotedRead = readByName && !name.empty() && name.front() == '\'' &&
                          exclusions_.avoid(Exclusion::QuotedColumnName);
  std::string unique = alias;
  while (distinctNames && contains(seen, lowerCase(unique))) unique += "_";
  if (random_.chance(percent) || emptyStored || (repeated && distinctNames)) {
    term += (random_.chance(50) ? " AS " : " ") + unique;
    name = unique;
  } else if (quotedRead) {
    term += " AS " + unique;  // no draw, so that later statements stay as they were
    name = unique;
  }
  seen.push_back(lowerCase(name));
  const bool keyword = lowerCase(name) == "null";
  return isPlainName(name) && name != "rowid" && !keyword && !repeated ? name : "";
}

std::string RandomQueries::orderBy(const Select& select, size_t resultCount,
                                   const std::vector<std::string>& names) {
  std::string sql = " ORDER BY ";
  for (int i = 1 + random_.below(2); i > 0; --i) {
    const int pick = random_.below(100);
    if (pick < 35 || resultCount == 0) {
      int number = 1 + random_.below(std::max(1, static_cast<int>(resultCount)));
      if (random_.chance(4)) number = random_.chance(50) ? 0 : static_cast<int>(resultCount) + 1;
      sql += std::to_string(number);
    } else if (pick < 50 && !names.empty()) {
      const std::string& name = random_.oneOf(names);
      sql += name.empty() ? "1" : name;
    } else {
      sql += expressions_.value(select.scope, 2);
    }
    if (random_.chance(40)) sql += random_.chance(60) ? " DESC" : " ASC";
    if (i > 1) sql += ", ";
  }
  return sql;
}

std::string RandomQueries::limit(bool withoutFrom) {
  // Excluded: an OFFSET on a SELECT without FROM, over which 2.8 loops for ever.
  if (withoutFrom && exclusions_.avoid(Exclusion::OffsetWithoutFrom)) {
    return " LIMIT " + std::to_string(random_.below(3) - 1);
  }
  switch (random_.below(4)) {
    case 0:
      return " LIMIT " + std::to_string(random_.below(6));
    case 1:
      return " LIMIT " + std::to_string(random_.below(6)) + " OFFSET " +
             std::to_string(random_.below(4));
    case 2:
      return " LIMIT " + std::to_string(random_.below(4)) + ", " + std::to_string(random_.below(6));
    default:
      return " LIMIT -1";
  }
}

QueryShape RandomQueries::plainSelect(int depth, int columnCount, bool orderFreeAllowed,
                                      bool compoundPart) {
  const int sources = random_.chance(8) ? 0 : random_.chance(70) ? 1 : 2 + random_.below(2);
  Select select =
      sources == 0 || !anyTable() ? Select{} : fromClause(sources, depth, orderFreeAllowed);
  QueryShape shape;
  shape.withoutFrom = select.sources.empty();
  shape.joins = joins(select);
  shape.nestsSubquery = nestsSubquery(select);
  bool computed = select.sources.size() == 1 && select.sources[0].valuesMerged;
  std::string columns = resultColumns(select, columnCount, depth, shape.columns, &computed);
  // Over a lone DISTINCT source, DISTINCT (Exclusion::DistinctSourceMerged).
  const bool distinct =
      random_.chance(10) || (select.sources.size() == 1 && select.sources[0].distinct &&
                             exclusions_.avoid(Exclusion::DistinctSourceMerged));
  shape.sql = std::string("SELECT ") + (distinct ? "DISTINCT " : "") + columns;
  if (!select.sources.empty()) shape.sql += " FROM " + select.from;
  const std::string where = whereClause(select, 60);
  shape.sql += where;
  shape.valuesMerged = computed && select.sources.size() == 1 && where.empty();
  shape.rowOrderFree = select.rowOrderFree;
  // A compound's part has no ORDER BY or LIMIT of its own, but by mistake.
  if (compoundPart && !random_.chance(3)) return shape;
  if (random_.chance(45)) shape.sql += orderBy(select, shape.columns.size(), shape.columns);
  // LIMIT picks rows by their order: not over rows in hash order.
  if (!select.rowOrderFree && !limitless_ && random_.chance(20)) {
    shape.sql += limit(select.sources.empty());
  } else if (!select.rowOrderFree && !limitless_ && sources >= 3) {
    shape.sql += kJoinRowCap;
  }
  return shape;
}

QueryShape RandomQueries::groupedSelect(int depth, int columnCount, bool orderFreeAllowed,
                                        bool compoundPart) {
  if (!anyTable()) return plainSelect(depth, columnCount, orderFreeAllowed, compoundPart);
  Select select = fromClause(random_.chance(75) ? 1 : 2, depth, orderFreeAllowed);
  const bool grouped = random_.chance(75);
  // The group terms may be result columns too (Exclusion::SubqueryColumnOfSource).
  const bool subqueries = !(readAsSource_ && exclusions_.avoid(Exclusion::SubqueryColumnOfSource));
  expressions_.setSubqueries(subqueries ? this : nullptr);
  std::vector<std::string> groupTerms;
  if (grouped) {
    for (int i = 1 + random_.below(2); i > 0; --i) {
      std::string term = random_.chance(70) ? expressions_.column(select.scope)
                                            : expressions_.value(select.scope, 2);
      // Excluded: a number, which names a result column (Exclusion::GroupByNumber), also
      // under signs, brackets or quotes (- -1).
      const bool number =
          std::any_of(term.begin(), term.end(),
                      [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) &&
          std::all_of(term.begin(), term.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c)) || std::strchr(" ()+-'", c);
          });
      if (number && exclusions_.avoid(Exclusion::GroupByNumber)) {
        term = expressions_.column(select.scope);
      }
      groupTerms.push_back(term);
    }
  }
  QueryShape shape;
  shape.joins = joins(select);
  shape.nestsSubquery = nestsSubquery(select);
  const int count = columnCount < 0 ? 1 + random_.below(3) : columnCount;
  std::string columns;
  std::vector<std::string> seen;
  bool aggregateCalled = false;
  for (int i = 0; i < count; ++i) {
    std::string term;
    const int pick = random_.below(100);
    aggregateCalled = aggregateCalled || ((pick >= 35 || !grouped) && pick < 92);
    if (pick < 35 && grouped) {
      term = random_.oneOf(groupTerms);
    } else if (pick < 85) {
      term = expressions_.aggregate(select.scope, depth + 1);
    } else if (pick < 92) {
      term = expressions_.aggregate(select.scope, depth + 1) + " + " + values_.number();
    } else {
      term = expressions_.column(select.scope);  // a column outside the groups
    }
    shape.columns.push_back(nameTerm(term, "g" + std::to_string(i), 40, seen));
    columns += (i ? ", " : "") + term;
  }
  expressions_.setSubqueries(this);
  // Of grouped rows equal in its columns, DISTINCT keeps the first group in 2.8's hash order,
  // whose keys ORDER BY then sorts by: such rows are compared as a set, without LIMIT
  // (Exclusion::GroupOrder).
  const bool distinct = random_.chance(10) && (!grouped || orderFreeAllowed);
  shape.sql =
      std::string("SELECT ") + (distinct ? "DISTINCT " : "") + columns + " FROM " + select.from;
  std::string where = whereClause(select, 40);
  // min() or max() alone of a table, stored (Exclusion::IndexEndWhileWriting).
  const bool endOfIndex = !grouped && count == 1 && select.sources.size() == 1 &&
                          (columns.rfind("min(", 0) == 0 || columns.rfind("max(", 0) == 0);
  if (where.empty() && endOfIndex && storing_ &&
      exclusions_.avoid(Exclusion::IndexEndWhileWriting)) {
    where = " WHERE 1";
  }
  shape.sql += where;
  // Neither grouped nor aggregating, it reads as a plain SELECT: its "columns" are constants
  // over a source without nameable columns (Exclusion::LeftJoinMergedValues).
  shape.valuesMerged = !grouped && !aggregateCalled && select.sources.size() == 1 &&
                       (select.scope.empty() || select.sources[0].valuesMerged) && where.empty();
  if (grouped) {
    shape.sql += " GROUP BY ";
    for (size_t i = 0; i < groupTerms.size(); ++i) shape.sql += (i ? ", " : "") + groupTerms[i];
    if (random_.chance(30)) {
      shape.sql += " HAVING " + expressions_.aggregate(select.scope, depth + 1) + " > " +
                   std::to_string(random_.below(4));
    } else if (!aggregateCalled && exclusions_.avoid(Exclusion::GroupWithoutAggregate) &&
               (readAsSource_ || std::any_of(select.sources.begin(), select.sources.end(),
                                             [](const Source& source) { return source.query; }))) {
      shape.sql += " HAVING count(*) > 0";  // (Exclusion::GroupWithoutAggregate)
    }
  }
  if (compoundPart && !random_.chance(3)) {
    shape.rowOrderFree = grouped;
    return shape;
  }
  const bool ordered = grouped && (!orderFreeAllowed || random_.chance(50));
  if (ordered) {
    shape.sql += " ORDER BY ";
    for (size_t i = 0; i < groupTerms.size(); ++i) shape.sql += (i ? ", " : "") + groupTerms[i];
  }
  const bool orderKnown = !grouped || (ordered && !distinct);
  if (random_.chance(15) && orderKnown && !limitless_) shape.sql += limit(false);
  shape.rowOrderFree = !orderKnown;
  return shape;
}

QueryShape RandomQueries::compound(int depth, int columnCount, bool orderFreeAllowed) {
  const char* const operators[] = {" UNION ", " UNION ALL ", " INTERSECT ", " EXCEPT "};
  const int count = columnCount < 0 ? 1 + random_.below(2) : columnCount;
  QueryShape shape;
  std::vector<std::string> parts;
  std::vector<std::string> joints;
  bool partsOrderFree = false;
  const bool outerPart = inCompoundPart_;
  inCompoundPart_ = true;
  for (int part = 2 + random_.below(2); part > 0; --part) {
    QueryShape next = random_.chance(75) ? plainSelect(depth + 1, count, orderFreeAllowed, true)
                                         : groupedSelect(depth + 1, count, orderFreeAllowed, true);
    if (!parts.empty()) joints.push_back(random_.oneOf(operators));
    parts.push_back(next.sql);
    shape.columns = next.columns;  // a compound's table takes its last part's names
    partsOrderFree = partsOrderFree || next.rowOrderFree;
    shape.withoutFrom = shape.withoutFrom || next.withoutFrom;
    shape.joins = shape.joins || next.joins;
    shape.nestsSubquery = shape.nestsSubquery || next.nestsSubquery;
  }
  inCompoundPart_ = outerPart;
  // UNION ALL keeps the parts' own order: none where that order is not wanted.
  bool unionAll = false;
  shape.sql = parts[0];
  for (size_t i = 0; i < joints.size(); ++i) {
    if (joints[i] == std::string(" UNION ALL ") && partsOrderFree && !orderFreeAllowed) {
      joints[i] = " UNION ";
    }
    unionAll = unionAll || joints[i] == std::string(" UNION ALL ");
    shape.sql += joints[i] + parts[i + 1];
  }
  const bool orderable = !shape.joins || !exclusions_.avoid(Exclusion::CompoundOrderOverJoin);
  if (random_.chance(50) && orderable) {
    shape.sql += " ORDER BY " + std::to_string(1 + random_.below(count));
    if (random_.chance(30)) shape.sql += " DESC";
    if (count > 1 && random_.chance(50)) shape.sql += ", " + std::to_string(count);
    if (random_.chance(30) && !limitless_) shape.sql += limit(shape.withoutFrom);
  }
  shape.rowOrderFree = unionAll && partsOrderFree;
  return shape;
}

QueryShape RandomQueries::anyQuery(int depth, int columnCount, bool orderFreeAllowed) {
  std::vector<std::string> readerKeys = std::move(keyColumns_);
  keyColumns_.clear();
  const int pick = random_.below(100);
  QueryShape shape = !anyTable() || pick < 60 ? plainSelect(depth, columnCount, orderFreeAllowed)
                     : pick < 80              ? groupedSelect(depth, columnCount, orderFreeAllowed)
                                              : compound(depth, columnCount, orderFreeAllowed);
  shape.keyColumns = std::move(keyColumns_);
  keyColumns_ = std::move(readerKeys);
  return shape;
}

QueryShape RandomQueries::storedQuery(int columnCount, bool orderFreeAllowed) {
  nextAlias_ = 0;
  storing_ = true;
  QueryShape shape = anyQuery(0, columnCount, orderFreeAllowed);
  storing_ = false;
  return shape;
}

bool RandomQueries::mayReadView(bool inSubquery) const {
  return !(makingView_ && inSubquery && exclusions_.avoid(Exclusion::ViewInStoredSubquery));
}

QueryShape RandomQueries::viewQuery() {
  makingView_ = true;
  readAsSource_ = true;
  limitless_ = exclusions_.avoid(Exclusion::LimitInSource);
  QueryShape shape = storedQuery(-1, true);
  readAsSource_ = false;
  limitless_ = false;
  makingView_ = false;
  return shape;
}

QueryShape RandomQueries::statement(std::string& kind) {
  nextAlias_ = 0;
  keyColumns_.clear();
  if (!anyTable()) {
    kind = "select";
    return plainSelect(0, -1, true);
  }
  const int pick = random_.below(100);
  if (pick < 25) {
    kind = "select";
    return plainSelect(0, -1, true);
  }
  if (pick < 45) {
    kind = "join";
    QueryShape shape;
    Select select = fromClause(2 + random_.below(2), 0, true);
    std::string columns = resultColumns(select, -1, 0, shape.columns);
    shape.sql = "SELECT " + columns + " FROM " + select.from;
    shape.sql += whereClause(select, 50);
    if (random_.chance(50)) shape.sql += orderBy(select, shape.columns.size(), shape.columns);
    if (!select.rowOrderFree) shape.sql += kJoinRowCap;
    shape.rowOrderFree = select.rowOrderFree;
    return shape;
  }
  if (pick < 65) {
    kind = "group";
    return groupedSelect(0, -1, true);
  }
  if (pick < 80) {
    kind = "compound";
    return compound(0, -1, true);
  }
  kind = "subquery";
  QueryShape shape;
  Select select = fromClause(1, 0, true);
  Source inner = subquerySource(0, true, true);
  select.scope.insert(select.scope.end(), inner.columns.begin(), inner.columns.end());
  std::string columns = resultColumns(select, -1, 0, shape.columns);
  shape.sql =
      "SELECT " + columns + " FROM " + select.from + ", " + inner.sql + whereClause(select, 100);
  shape.rowOrderFree = select.rowOrderFree || inner.rowOrderFree;
  if (!shape.rowOrderFree) shape.sql += kJoinRowCap;
  return shape;
}

std::string RandomQueries::scalarSubquery(int depth) {
  if (depth >= kDeepestNesting + 2 || !anyTable()) return "SELECT " + values_.any();
  // A first row that no hash order chooses: an aggregate, or a value of a table's.
  const bool aggregate = random_.chance(70);
  const bool view = aggregate && !schema_.views.empty() && random_.chance(30);
  Source source = view && mayReadView(true) ? viewSource(true) : tableSource(true);
  std::string value =
      aggregate ? expressions_.aggregate(source.columns, 2) : expressions_.column(source.columns);
  if (source.sorted && exclusions_.avoid(Exclusion::SortedSubqueryNull)) {
    value = "coalesce(" + value + ", 0)";
  }
  std::string sql = "SELECT " + value + " FROM " + source.sql;
  if (random_.chance(50)) {
    sql += " WHERE " + expressions_.condition(source.columns, 2);
  } else if (aggregate && expressions_.writingRows() &&
             exclusions_.avoid(Exclusion::IndexEndWhileWriting)) {
    sql += " WHERE 1";
  }
  return sql;
}

std::string RandomQueries::columnSubquery(int depth) {
  if (depth >= kDeepestNesting + 2 || !anyTable()) return "SELECT " + values_.any();
  Source source = anySource(kDeepestNesting, true, false);
  std::string sql = "SELECT " + expressions_.column(source.columns) + " FROM " + source.sql;
  if (random_.chance(50)) sql += " WHERE " + expressions_.condition(source.columns, 2);
  return sql;
}

}  // namespace orvalen::test
