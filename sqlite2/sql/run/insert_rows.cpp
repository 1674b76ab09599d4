#include "sql/run/insert_rows.h"

#include <string>

#include "sql/run/expression.h"
#include "sql/run/select_statement.h"
#include "sql/run/session.h"

namespace sqlite2 {

namespace {

// The values are compiled before the column list is checked: an unknown name among the
// values is the error reported first. Literals, all that a dump holds, need no compiling;
// with nothing else there is nothing compiled (an empty list).
std::vector<CompiledExprPtr> compileValues(Session& session, const Insert& insert) {
  std::vector<CompiledExprPtr> compiled;
  ExpressionCompiler compiler(nullptr, std::string(), &session);
  for (size_t i = 0; i < insert.values.size(); ++i) {
    if (isLiteral(*insert.values[i])) continue;
    compiled.resize(insert.values.size());
    compiled[i] = compiler.compile(*insert.values[i]);
  }
  return compiled;
}

SqlValue valueOf(const Insert& insert, const std::vector<CompiledExprPtr>& compiled, size_t i) {
  if (compiled.empty() || !compiled[i]) return literalValue(*insert.values[i]);
  return compiled[i]->evaluate(EvalContext());
}

}  // namespace

// The values' names resolved (or the SELECT's) without evaluating them; how many there are.
size_t prepareInsertValues(Session& session, const Insert& insert) {
  if (insert.select) return prepareSelect(session, *insert.select);
  compileValues(session, insert);
  return insert.values.size();
}

// The rows an INSERT gives: its VALUES, or what its SELECT finds (gathered before anything
// is written, so that a SELECT from the same table sees it as it was).
std::vector<std::vector<SqlValue>> rowsToInsert(Session& session, const Insert& insert,
                                                size_t& valueCount) {
  std::vector<std::vector<SqlValue>> rows;
  if (insert.select) {
    QueryRows found = collectSelect(session, *insert.select);
    session.throwHeldError();
    valueCount = found.names.size();
    for (OutputRow& row : found.rows) {
      std::vector<SqlValue> values;
      values.reserve(row.size());
      for (OutputValue& value : row) {
        values.push_back(value ? SqlValue::ownedText(std::move(*value)) : SqlValue::null());
      }
      rows.push_back(std::move(values));
    }
    return rows;
  }
  std::vector<CompiledExprPtr> compiled = compileValues(session, insert);
  valueCount = insert.values.size();
  std::vector<SqlValue> values;
  values.reserve(valueCount);
  for (size_t i = 0; i < valueCount; ++i) values.push_back(valueOf(insert, compiled, i));
  rows.push_back(std::move(values));
  return rows;
}

}  // namespace sqlite2
