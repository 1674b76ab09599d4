#pragma once

// 2.8 merges a view or sub-select into the query reading it, so that the reader's WHERE terms
// on that source alone become terms of the source's own query: there an index of its tables
// may answer them, comparing as the index compares (a text column as text) and giving the
// rows in its order. Such terms are written again here over the source's result expressions,
// for the source's query to take as its own.

#include <string>
#include <vector>

#include "sql/schema/schema.h"
#include "sql/text/ast.h"

namespace sqlite2 {

// Terms of a reader on the columns of one source of its FROM alone.
struct ReaderTerms {
  std::vector<const Expr*> terms;      // each one of the reader's WHERE's AND chain
  std::string sourceName;              // the source's name in the reader (its alias)
  const Table* sourceTable = nullptr;  // the reader's table of the source's rows
};

// The terms of an AND chain.
void splitConjunction(const Expr& expr, std::vector<const Expr*>& terms);

// Whether `term` names only columns of `sourceTable` (by their own names or as sourceName.x),
// reads no row number and holds no sub-select: then it can be written over the source's
// result expressions.
bool readsOnlySource(const Expr& term, const std::string& sourceName, const Table& sourceTable);

// `term` (which readsOnlySource) with each column replaced by the source's result expression
// at its place.
ExprPtr termOverResults(const Expr& term, const std::string& sourceName, const Table& sourceTable,
                        const std::vector<const Expr*>& results);

}  // namespace sqlite2
