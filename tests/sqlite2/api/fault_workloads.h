#pragma once

// The editor's typical writes to a plugin file, as units of work for fault tests: each runs
// on an open connection the way the editor (or orvalen-sql) issues it and stops at the first
// call that fails, rolling an explicit transaction back as the editor does.

#include <string>
#include <vector>

#include "sqlite.h"

namespace orvalen::test {

// Builds a plugin file at path: a tree of categories three levels deep, a dozen videos in
// each category. Returns its bytes.
std::string buildPluginFile(const std::string& path);

struct Workload {
  std::string name;
  // The calls in order; a call may hold several statements.
  std::vector<std::string> calls;
  // Whether the calls form one explicit transaction (BEGIN ... COMMIT).
  bool explicitTransaction = false;
  // Whether the work starts by opening a file that has a hot journal beside it (made by
  // leaveHotJournal), so that the open plays the journal back.
  bool recoversHotJournal = false;
};

// The outcome of running a workload.
struct WorkloadOutcome {
  int code = SQLITE_OK;          // of the first call that failed
  std::string message;           // its message
  size_t failedCall = 0;         // its index
  int rollbackCode = SQLITE_OK;  // of the ROLLBACK sent after a failure inside BEGIN
};

WorkloadOutcome runWorkload(sqlite* db, const Workload& workload);

Workload insertOneVideo();
Workload updateOneVideo();
Workload deleteOneVideo();
// Deletes one top-level category with its subcategories and every video in them.
Workload deleteCategoryBranch();
// Adds `rows` videos in one transaction; they need more pages than the cache holds, so
// changed pages reach the file before the commit.
Workload bulkLoad(int rows);
// Indexes the videos by category.
Workload createIndex();
// Opens a file left by a writer that died before deleting its journal, and reads it.
Workload readAfterACrash();

// Turns the plugin file at path into what a writer that died just before deleting its
// journal leaves: the work's changes in the file, and beside it the journal that undoes them.
// Returns the journal's bytes.
std::string leaveHotJournal(const std::string& path, const Workload& work);

}  // namespace orvalen::test
