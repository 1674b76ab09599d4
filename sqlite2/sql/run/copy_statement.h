#pragma once

// COPY: a text file's lines inserted into a table. Each statement runs inside the transaction the
// caller opened (a write statement) or with the file at least share-locked (a read).

#include "sql/text/ast.h"

namespace sqlite2 {

struct Session;

// COPY: the rows of a text file, each inserted as INSERT inserts a value for every column.
void runCopy(Session& session, const Copy& copy);

}  // namespace sqlite2
