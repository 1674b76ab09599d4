#pragma once

// INSERT, UPDATE and DELETE. Each statement runs inside the transaction the caller opened (a write
// statement) or with the file at least share-locked (a read).

#include "sql/run/session.h"

namespace sqlite2 {

void runInsert(Session& session, const Insert& insert);
// The rows an INSERT gives: its VALUES, or what its SELECT finds, and how many values each has.
std::vector<std::vector<SqlValue>> rowsToInsert(Session& session, const Insert& insert,
                                                size_t& valueCount);
void runUpdate(Session& session, const Update& update);
void runDelete(Session& session, const Delete& del);

}  // namespace sqlite2
