#pragma once

// PRAGMA, PRAGMA integrity_check among them. Each statement runs inside the transaction the caller
// opened (a write statement) or with the file at least share-locked (a read).

#include "sql/run/row_callback.h"
#include "sql/text/ast.h"

namespace sqlite2 {

struct Session;

void runIntegrityCheck(Session& session, const ResultRowCallback& onRow);
// Every PRAGMA of SQLite 2.8 but the debugging ones: unknown names do nothing, as there.
void runPragma(Session& session, const Pragma& pragma, const ResultRowCallback& onRow);
// The cache size and safety level go back to the file's defaults, as when the schema is read
// afresh after VACUUM or a rollback.
void restoreFileDefaults(Session& session);
// Whether the PRAGMA writes the file's header (the default_ settings given a value).
bool pragmaWritesHeader(const Pragma& pragma);

}  // namespace sqlite2
