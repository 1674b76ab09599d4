#pragma once

// A test double of the SQLite 2 C interface, linked in the engine's place: it answers as
// scripted, records every call, and keeps count of the texts and result arrays it has handed
// out, so tests can see that each is released exactly once.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "sqlite.h"

namespace fake {

// One scripted answer of sqlite_exec or sqlite_get_table.
struct Answer {
  int result = 0;
  std::optional<std::string> error;  // the error text handed back, if any
  // How often the statement finds the file locked before it answers: the installed busy
  // handler is asked that many times (attempts 1, 2, ...); when it gives up first, the answer
  // is SQLITE_BUSY with "database is locked".
  int lockedAttempts = 0;
};

struct Library {
  bool openSucceeds = true;
  std::optional<std::string> openError;
  bool mprintfFails = false;
  std::deque<Answer> answers;  // taken one per exec / get_table call; empty: success
  std::vector<std::optional<std::string>> cells;  // the result of get_table, names first
  int rows = 0;
  int columns = 0;
  int changes = 0;
  int lastInsertRowid = 0;

  // The busy handler installed with sqlite_busy_handler (sqlite_busy_timeout removes it).
  sqlite_busy_callback busyHandler = nullptr;
  void* busyArg = nullptr;

  std::vector<std::string> calls;  // "open PATH", "busy_timeout MS", "exec SQL", "close", ...
  int liveTexts = 0;               // handed out and not yet released
  int liveTables = 0;
};

// The double's state; reset() gives a fresh one and checks the last test released all.
Library& library();
void reset();

// The calls recorded whose text starts with prefix ("exec ", "get_table ").
std::vector<std::string> callsStartingWith(const std::string& prefix);

// Starts each test with a fresh double and ends it checking that everything handed out was
// released.
class FakeLibraryTest : public testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override { reset(); }
  Library& lib = library();
};

}  // namespace fake
