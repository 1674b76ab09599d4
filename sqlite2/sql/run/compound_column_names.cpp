#include "sql/run/compound_column_names.h"

#include <memory>
#include <optional>

#include "sql/run/expression.h"
#include "sql/run/session.h"
#include "sql/run/source_columns.h"
#include "sql/run/source_merging.h"
#include "sql/text/parser.h"

namespace sqlite2 {

namespace {

std::vector<std::string> expressionTexts(Session& session, const Select& select, bool asResult);

// One source of FROM as the reader sees it: the query merged into the reader, if it is, and
// the names of its columns.
struct MergedSource {
  std::string name;
  std::shared_ptr<const Select> merged;
  std::shared_ptr<Table> view;  // held while its query is read
  std::vector<std::string> columns;
};

// The reader's clauses take those of the source when it merges.
MergedSource mergedSource(Session& session, const Select& reader, size_t at,
                          MergeClauses& readerClauses) {
  const FromItem& item = reader.from[at];
  MergedSource source{item.alias ? *item.alias : item.table, nullptr, nullptr, {}};
  std::shared_ptr<const Select> query = item.subquery;
  if (!query) {
    source.view = session.table(item);
    if (!source.view->isView) {
      for (const Column& column : source.view->columns) source.columns.push_back(column.name);
      return source;
    }
    query = source.view->viewSelect;
    source.columns = viewColumnNamesKept(session, *source.view);
  } else {
    source.columns = sourceColumnNames(session, *query);
  }
  const MergeClauses clauses = clausesOnceMerged(session, *query);
  if (mergesInto(reader, readerClauses, at, *query, clauses)) {
    source.merged = query;
    addClauses(readerClauses, clauses);
  }
  return source;
}

int columnOf(const MergedSource& source, const std::string& name) {
  for (size_t i = 0; i < source.columns.size(); ++i) {
    if (sameName(source.columns[i], name)) return static_cast<int>(i);
  }
  return -1;
}

// The text a column of a merged source stands for, or none.
std::optional<std::string> mergedText(Session& session, const MergedSource& source, int column) {
  if (!source.merged || column < 0) return std::nullopt;
  std::optional<ExpandingView> expanding;
  if (source.view) expanding.emplace(session, *source.view);
  std::vector<std::string> texts = expressionTexts(session, *source.merged, false);
  if (static_cast<size_t>(column) >= texts.size()) return std::nullopt;
  return texts[static_cast<size_t>(column)];
}

std::string expressionText(Session& session, const Expr& expr,
                           const std::vector<MergedSource>& sources) {
  if (expr.kind == ExprKind::Name || expr.kind == ExprKind::QualifiedName) {
    for (const MergedSource& source : sources) {
      if (expr.kind == ExprKind::QualifiedName && !sameName(source.name, expr.qualifier)) continue;
      const int column = columnOf(source, expr.text);
      if (column < 0) continue;
      if (std::optional<std::string> text = mergedText(session, source, column)) return *text;
      break;
    }
  }
  return compressSpaces(expr.source);
}

// The columns of "*" over a source; a query's result shows those it does not merge as
// "*" names them, a merged query's columns stand for them as written.
void addStarTexts(Session& session, const MergedSource& source, bool several, bool asResult,
                  std::vector<std::string>& texts) {
  for (size_t i = 0; i < source.columns.size(); ++i) {
    std::optional<std::string> text = mergedText(session, source, static_cast<int>(i));
    if (text) {
      texts.push_back(*text);
      continue;
    }
    std::string name = several ? source.name + "." + source.columns[i] : source.columns[i];
    texts.push_back(asResult ? starColumnName(name) : name);
  }
}

// Each result column's expression as written once the sources it reads are merged in; as the
// query's result, its alias where it has one.
std::vector<std::string> expressionTexts(Session& session, const Select& select, bool asResult) {
  std::vector<MergedSource> sources;
  bool mergedOne = false;
  MergeClauses clauses = ownClauses(select);
  for (size_t at = 0; at < select.from.size(); ++at) {
    sources.push_back(mergedSource(session, select, at, clauses));
    // One of them at most: the first that can be.
    if (mergedOne) sources.back().merged = nullptr;
    mergedOne = mergedOne || sources.back().merged;
  }
  const bool several = sources.size() > 1;
  std::vector<std::string> texts;
  for (const ResultColumn& column : select.columns) {
    if (column.kind == ResultColumn::Kind::Expression) {
      texts.push_back(asResult && column.alias ? *column.alias
                                               : expressionText(session, *column.expr, sources));
      continue;
    }
    for (const MergedSource& source : sources) {
      if (column.kind == ResultColumn::Kind::TableColumns &&
          !sameName(source.name, column.qualifier)) {
        continue;
      }
      addStarTexts(session, source, several, asResult, texts);
    }
  }
  return texts;
}

}  // namespace

std::vector<std::string> mergedColumnNames(Session& session, const Select& part) {
  return expressionTexts(session, part, true);
}

}  // namespace sqlite2
