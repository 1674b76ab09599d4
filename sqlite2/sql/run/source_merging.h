#pragma once

// SQLite 2.8 merges a view or a sub-select of FROM into the query reading it where it can,
// rather than running it into a table of rows first. The types of the source's columns, the
// names of a compound's columns and which compounds run a second time all follow from that
// one choice, made here for all of them.

#include <cstddef>

#include "sql/run/query_rows.h"
#include "sql/run/session.h"
#include "sql/text/ast.h"

namespace sqlite2 {

using MergeClauses = QueryRows::Clauses;

// The clauses a query has of its own (not endOfIndex, which needs its tables).
MergeClauses ownClauses(const Select& select);

// A query that merged a source has the source's clauses as well.
void addClauses(MergeClauses& into, const MergeClauses& merged);

// Whether `source`, at place `at` of the reader's FROM, merges into the reader. `readerClauses`
// are the reader's so far (its own, and those of the sources merged before `at`);
// `sourceClauses` the source's once it has merged its own sources.
bool mergesInto(const Select& reader, const MergeClauses& readerClauses, size_t at,
                const Select& source, const MergeClauses& sourceClauses);

// min() or max() alone of the row number or of an index's first column, without WHERE or
// GROUP BY: 2.8 reads it from one end of the table or index and never merges it.
bool readsEndOfIndex(Session& session, const Select& query);

// The clauses a query has once the views and sub-selects of its FROM that merge into it have
// brought theirs, worked out from its text and the schema without running it.
MergeClauses clausesOnceMerged(Session& session, const Select& query);

// The query a FROM item reads, or null for a table or a name the real run refuses.
const Select* queryOfSource(Session& session, const FromItem& item);

// The same two for a walk over many queries, which counts in `looked` those it looked at and
// looks at none once a few thousand were: views may read themselves, or each other many times
// over, before the real run refuses them.
MergeClauses clausesOnceMerged(Session& session, const Select& query, int& looked);
const Select* queryOfSource(Session& session, const FromItem& item, int& looked);

}  // namespace sqlite2
