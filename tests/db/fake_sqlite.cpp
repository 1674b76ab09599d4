#include "fake_sqlite.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

#include "sqlite.h"

namespace fake {
namespace {

Library state;
std::set<const void*> handedOutTexts;
std::map<char**, std::size_t> handedOutTables;  // with their cell counts
char connectionTag;

sqlite* connection() {
  return reinterpret_cast<sqlite*>(&connectionTag);
}

char* handOutText(const std::string& text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  std::memcpy(copy, text.c_str(), text.size() + 1);
  handedOutTexts.insert(copy);
  ++state.liveTexts;
  return copy;
}

char* handOutError(const std::optional<std::string>& error) {
  return error ? handOutText(*error) : nullptr;
}

Answer nextAnswer() {
  if (state.answers.empty()) return {};
  Answer answer = state.answers.front();
  state.answers.pop_front();
  return answer;
}

// Runs the answer's locked attempts through the busy handler; false when it gave up.
bool waitThroughLocks(Answer& answer) {
  for (int attempt = 1; attempt <= answer.lockedAttempts; ++attempt) {
    if (!state.busyHandler || state.busyHandler(state.busyArg, "", attempt) == 0) {
      answer = {SQLITE_BUSY, std::string("database is locked")};
      return false;
    }
  }
  return true;
}

void expectConnection(sqlite* db) {
  EXPECT_EQ(db, connection()) << "not the fake's connection";
}

}  // namespace

Library& library() {
  return state;
}

void reset() {
  EXPECT_EQ(state.liveTexts, 0) << "texts handed out by the library were not released";
  EXPECT_EQ(state.liveTables, 0) << "result arrays were not released";
  state = Library();
}

std::vector<std::string> callsStartingWith(const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& call : state.calls) {
    if (call.compare(0, prefix.size(), prefix) == 0) found.push_back(call.substr(prefix.size()));
  }
  return found;
}

}  // namespace fake

using fake::state;

extern "C" {

sqlite* sqlite_open(const char* filename, int mode, char** errmsg) {
  state.calls.push_back(std::string("open ") + filename + " mode " + std::to_string(mode));
  if (state.openSucceeds) return fake::connection();
  *errmsg = fake::handOutError(state.openError);
  return nullptr;
}

void sqlite_close(sqlite* db) {
  fake::expectConnection(db);
  state.calls.push_back("close");
}

int sqlite_exec(sqlite* db, const char* sql, sqlite_callback callback, void* arg, char** errmsg) {
  fake::expectConnection(db);
  EXPECT_EQ(callback, nullptr);
  EXPECT_EQ(arg, nullptr);
  state.calls.push_back(std::string("exec ") + sql);
  fake::Answer answer = fake::nextAnswer();
  fake::waitThroughLocks(answer);
  *errmsg = fake::handOutError(answer.error);
  return answer.result;
}

int sqlite_get_table(sqlite* db, const char* sql, char*** result, int* rowCount, int* columnCount,
                     char** errmsg) {
  fake::expectConnection(db);
  state.calls.push_back(std::string("get_table ") + sql);
  fake::Answer answer = fake::nextAnswer();
  fake::waitThroughLocks(answer);
  *errmsg = fake::handOutError(answer.error);
  if (answer.result != SQLITE_OK) return answer.result;
  char** cells = new char*[state.cells.size() + 1];
  for (std::size_t i = 0; i < state.cells.size(); ++i) {
    cells[i] = state.cells[i] ? strdup(state.cells[i]->c_str()) : nullptr;
  }
  cells[state.cells.size()] = nullptr;
  fake::handedOutTables[cells] = state.cells.size();
  ++state.liveTables;
  *result = cells;
  *rowCount = state.rows;
  *columnCount = state.columns;
  return SQLITE_OK;
}

void sqlite_free_table(char** result) {
  state.calls.push_back("free_table");
  auto table = fake::handedOutTables.find(result);
  ASSERT_NE(table, fake::handedOutTables.end()) << "freeing an array not handed out";
  for (std::size_t i = 0; i < table->second; ++i) std::free(result[i]);
  fake::handedOutTables.erase(table);
  --state.liveTables;
  delete[] result;
}

int sqlite_changes(sqlite* db) {
  fake::expectConnection(db);
  return state.changes;
}

int sqlite_last_insert_rowid(sqlite* db) {
  fake::expectConnection(db);
  state.calls.push_back("last_insert_rowid");
  return state.lastInsertRowid;
}

void sqlite_busy_timeout(sqlite* db, int ms) {
  fake::expectConnection(db);
  state.calls.push_back("busy_timeout " + std::to_string(ms));
  state.busyHandler = nullptr;
  state.busyArg = nullptr;
}

void sqlite_busy_handler(sqlite* db, sqlite_busy_callback handler, void* arg) {
  fake::expectConnection(db);
  state.calls.push_back("busy_handler");
  state.busyHandler = handler;
  state.busyArg = arg;
}

// The library's standard texts of the codes the tests meet.
const char* sqlite_error_string(int code) {
  switch (code) {
    case SQLITE_BUSY:
      return "database is locked";
    case SQLITE_CORRUPT:
      return "database disk image is malformed";
    case SQLITE_FULL:
      return "database is full";
    case SQLITE_CANTOPEN:
      return "unable to open database file";
    case SQLITE_NOTADB:
      return "file is encrypted or is not a database";
    default:
      return "unknown error";
  }
}

char* sqlite_mprintf(const char* format, ...) {
  if (state.mprintfFails) return nullptr;
  va_list args;
  va_start(args, format);
  char buffer[4096];
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return fake::handOutText(buffer);
}

void sqlite_freemem(void* p) {
  ASSERT_EQ(fake::handedOutTexts.erase(p), 1u) << "releasing a text not handed out";
  --state.liveTexts;
  std::free(p);
}

}  // extern "C"
