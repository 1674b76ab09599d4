#pragma once

// VACUUM. Each statement runs inside the transaction the caller opened (a write statement) or with
// the file at least share-locked (a read).

namespace sqlite2 {

struct Session;

// VACUUM: the file rebuilt without its free pages, inside a transaction of its own.
void runVacuum(Session& session);

}  // namespace sqlite2
