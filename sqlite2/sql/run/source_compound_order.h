#pragma once

// SQLite 2.8 merges a view or a sub-select in FROM into the query reading it where it can
// (the rules below), after it has run the views and sub-selects of the source's own FROM. It
// then runs again those that the merge brought to any place of the reader's FROM but the
// first; a compound with an ORDER BY among them has its ORDER BY matched to its columns a
// second time, and the terms it rewrote the first time match none: the reader is refused
// with "ORDER BY term number 1 does not match any result column".

#include "sql/run/session.h"
#include "sql/text/ast.h"

namespace sqlite2 {

// The query reading a source, and whether it has an ORDER BY and a LIMIT of its own (a part
// of a compound has neither).
struct SourceReader {
  const Select& select;
  bool ordered;
  bool limited;
};

// Throws that error where merging the view or sub-select at that place of the reader's FROM
// into the reader would.
void checkCompoundOrderOfSource(Session& session, SourceReader reader, size_t place);

// A numbered ORDER BY or GROUP BY term has 2.8 run its result column's expression a second
// time in its place, sub-selects and all: throws what that second run would (the same
// refusal where a compound with an ORDER BY is among them).
void checkRerunOfNumberedColumn(Session& session, const Expr& column);

}  // namespace sqlite2
