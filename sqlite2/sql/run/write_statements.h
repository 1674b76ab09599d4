#pragma once

// INSERT, UPDATE and DELETE. Each statement runs inside the transaction the caller opened (a write
// statement) or with the file at least share-locked (a read).

#include "sql/text/ast.h"

namespace sqlite2 {

struct Session;

void runInsert(Session& session, const Insert& insert);
void runUpdate(Session& session, const Update& update);
void runDelete(Session& session, const Delete& del);

}  // namespace sqlite2
