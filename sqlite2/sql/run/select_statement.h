#pragma once

// SELECT: running a query (compound or not) and delivering its rows, and preparing one without
// running it. Each statement runs inside the transaction the caller opened (a write statement) or
// with the file at least share-locked (a read).

#include <string>
#include <vector>

#include "sql/run/query_rows.h"
#include "sql/run/row_callback.h"
#include "sql/text/ast.h"

namespace sqlite2 {

struct Session;
struct Table;

void runSelect(Session& session, const Select& select, const ResultRowCallback& onRow);
// Resolves a SELECT's names as running it would, without running it; the number of its
// result columns.
size_t prepareSelect(Session& session, const Select& select);
// Runs a SELECT (compound or not) and gathers its rows.
QueryRows collectSelect(Session& session, const Select& select);
// The names of a view's columns, from its query (which is prepared, not run).
std::vector<std::string> viewColumnNames(Session& session, const Table& view);

}  // namespace sqlite2
