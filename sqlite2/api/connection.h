#pragma once

// What a sqlite* handle of the C interface is.

#include <memory>

#include "sql/run/database.h"
#include "sqlite.h"

struct sqlite {
  std::unique_ptr<sqlite2::Database> database;
  // sqlite_exec and sqlite_get_table calls under way; a row callback may call again.
  int activeCalls = 0;
  // sqlite_close was called from inside a callback: the handle goes when the outermost call
  // returns, and meanwhile every call on it is refused.
  bool closeRequested = false;
};

namespace sqlite2::api {

// Whether the handle can take a call (not NULL, open, not being closed).
bool isUsable(const sqlite* db);

// Marks a call under way for its lifetime and carries out a close requested meanwhile.
class ActiveCall {
 public:
  explicit ActiveCall(sqlite* db) : db_(db) { ++db_->activeCalls; }
  ~ActiveCall();
  ActiveCall(const ActiveCall&) = delete;
  ActiveCall& operator=(const ActiveCall&) = delete;

 private:
  sqlite* db_;
};

}  // namespace sqlite2::api
