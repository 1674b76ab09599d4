#include "sql/run/source_columns.h"

#include <algorithm>

#include "common/error.h"
#include "sql/run/session.h"
#include "sql/text/parser.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

// The columns of each table of FROM, by name, and which of them USING or NATURAL joined to
// the table before (left out of "*" over several tables).
struct LightSource {
  std::string name;  // what qualifies its columns
  std::vector<std::string> columns;
  std::vector<bool> joined;
};

std::vector<std::string> itemColumns(Session& session, const FromItem& item) {
  if (item.subquery) return sourceColumnNames(session, *item.subquery);
  std::shared_ptr<Table> table = session.table(item);
  if (table->isView) {
    ExpandingView expanding(session, *table);
    return viewColumnNamesKept(session, *table);
  }
  std::vector<std::string> names;
  for (const Column& column : table->columns) names.push_back(column.name);
  return names;
}

bool has(const std::vector<std::string>& names, const std::string& name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& other) { return sameName(other, name); });
}

std::vector<LightSource> lightSources(Session& session, const Select& select) {
  std::vector<LightSource> sources;
  for (const FromItem& item : select.from) {
    LightSource source{item.alias ? *item.alias : item.table, itemColumns(session, item), {}};
    source.joined.assign(source.columns.size(), false);
    if (!sources.empty()) {
      const LightSource& before = sources.back();
      for (size_t i = 0; i < source.columns.size(); ++i) {
        const std::string& name = source.columns[i];
        bool natural = (item.join & kJoinNatural) && has(before.columns, name);
        bool named = item.usingColumns && has(*item.usingColumns, name);
        source.joined[i] = natural || named;
      }
    }
    sources.push_back(std::move(source));
  }
  for (size_t place = 1; place < sources.size(); ++place) {
    checkJoinShape(select.from[place], sources[place - 1].columns, sources[place].columns);
  }
  return sources;
}

void addColumnsOf(const LightSource& source, bool several, std::vector<SourceColumnName>& names) {
  for (size_t i = 0; i < source.columns.size(); ++i) {
    if (several && source.joined[i]) continue;
    names.push_back(SourceColumnName{source.columns[i], several});
  }
}

}  // namespace

namespace {

// A name that starts with a quote is cut at the closing quote, as SQLite 2.8 does with the
// names of a sub-select's or a view's columns: 'a' || 'b' is named a, an alias "'c'" c.
std::string unquotedStart(const std::string& name) {
  if (name.empty()) return name;
  const char open = name.front();
  if (open != '\'' && open != '"' && open != '[') return name;
  const char close = open == '[' ? ']' : open;
  std::string unquoted;
  for (size_t i = 1; i < name.size(); ++i) {
    if (name[i] == close && (i + 1 == name.size() || name[i + 1] != close)) break;
    if (name[i] == close) ++i;
    unquoted += name[i];
  }
  return unquoted;
}

}  // namespace

SourceColumnName expressionColumnName(const ResultColumn& column) {
  const Expr& expr = *column.expr;
  if (column.alias) return SourceColumnName{unquotedStart(*column.alias), false};
  switch (expr.kind) {
    case ExprKind::QualifiedName:
      return SourceColumnName{expr.text, true};
    default:
      return SourceColumnName{unquotedStart(std::string(expr.source)), false};
  }
}

std::string starColumnName(const std::string& name) {
  std::string compressed = compressSpaces(name);
  const size_t first = compressed.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return compressed.substr(first, compressed.find_last_not_of(' ') + 1 - first);
}

std::vector<std::string> uniqueColumnNames(const std::vector<SourceColumnName>& columns) {
  std::vector<std::string> names;
  for (const SourceColumnName& column : columns) {
    std::string unique = column.name;
    for (int suffix = 1; column.madeUnique && has(names, unique); ++suffix) {
      unique = column.name + "_" + std::to_string(suffix);
    }
    names.push_back(unique);
  }
  return names;
}

void checkJoinShape(const FromItem& item, const std::vector<std::string>& leftColumns,
                    const std::vector<std::string>& rightColumns) {
  if ((item.join & kJoinNatural) && (item.on || item.usingColumns)) {
    throw Error(SQLITE_ERROR, "a NATURAL join may not have an ON or USING clause");
  }
  if (item.on && item.usingColumns) {
    throw Error(SQLITE_ERROR, "cannot have both ON and USING clauses in the same join");
  }
  if (!item.usingColumns) return;
  for (const std::string& name : *item.usingColumns) {
    if (!has(leftColumns, name) || !has(rightColumns, name)) {
      throw Error(SQLITE_ERROR,
                  "cannot join using column " + name + " - column not present in both tables");
    }
  }
}

std::vector<std::string> sourceColumnNames(Session& session, const Select& select) {
  return partColumnNames(session,
                         select.compound.empty() ? select : *select.compound.back().select);
}

std::vector<std::string> viewColumnNamesKept(Session& session, Table& view) {
  if (view.keptColumnNames) return *view.keptColumnNames;
  std::vector<std::string> names = sourceColumnNames(session, *view.viewSelect);
  if (view.temporary) view.keptColumnNames = names;
  return names;
}

std::vector<std::string> partColumnNames(Session& session, const Select& select) {
  std::vector<LightSource> sources = lightSources(session, select);
  const bool several = sources.size() > 1;
  std::vector<SourceColumnName> names;
  for (const ResultColumn& column : select.columns) {
    switch (column.kind) {
      case ResultColumn::Kind::AllColumns:
        if (sources.empty()) throw Error(SQLITE_ERROR, "no tables specified");
        for (const LightSource& source : sources) addColumnsOf(source, several, names);
        break;
      case ResultColumn::Kind::TableColumns: {
        bool found = false;
        for (const LightSource& source : sources) {
          if (!sameName(source.name, column.qualifier)) continue;
          found = true;
          addColumnsOf(source, several, names);
        }
        if (!found) throw Error(SQLITE_ERROR, "no such table: " + column.qualifier);
        break;
      }
      case ResultColumn::Kind::Expression:
        names.push_back(expressionColumnName(column));
        break;
    }
  }
  return uniqueColumnNames(names);
}

}  // namespace sqlite2
