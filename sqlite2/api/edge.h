#pragma once

// The C interface's edge: nothing thrown inside the engine may reach a C caller.

#include <functional>

namespace sqlite2::api {

// Runs body; returns SQLITE_OK, or the result code of what it threw, storing the message in
// *errmsg (see storeMessage). sqlite2::Error keeps its code and text; running out of memory
// gives SQLITE_NOMEM; anything else SQLITE_INTERNAL.
int runAtEdge(char** errmsg, const std::function<void()>& body);

// Reports a call that the library cannot serve (a NULL connection or argument): stores the
// standard text of SQLITE_MISUSE and returns SQLITE_MISUSE.
int reportMisuse(char** errmsg);

}  // namespace sqlite2::api
