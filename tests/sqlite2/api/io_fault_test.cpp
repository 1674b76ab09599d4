// Every file operation of a workload fails in turn: for N = 1, 2, ... the Nth operation fails
// (with EIO or with ENOSPC, once or from then on) until the workload completes without
// reaching it. After each failure the call must report the right code, the same connection
// must go on and see either the old or the new content (the new only when the call
// succeeded), and the reference library must find the file sound with that same content.

#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "database_dump.h"
#include "engine_calls.h"
#include "fault_workloads.h"
#include "sqlite.h"
#include "support/fault_injector.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"

namespace orvalen::test {
namespace {

using sqlite2::FileOperation;
using sqlite2::InjectedFault;

// The code a call must report when the operation fails with the fault. The only files the
// workloads open are hot journals, and one that cannot be opened makes the database busy, as
// in the reference library; the only files they create are journals.
int expectedCode(FileOperation operation, InjectedFault fault) {
  switch (operation) {
    case FileOperation::kOpen:
      return SQLITE_BUSY;
    case FileOperation::kCreate:
      return SQLITE_CANTOPEN;
    case FileOperation::kWrite:
    case FileOperation::kTruncate:
      return fault == InjectedFault::kDiskFull ? SQLITE_FULL : SQLITE_IOERR;
    default:
      return SQLITE_IOERR;
  }
}

struct FaultPlan {
  InjectedFault fault;
  FaultInjector::Persistence persistence;
};

std::string describe(const FaultPlan& plan) {
  return std::string(plan.fault == InjectedFault::kIoError ? "EIO" : "ENOSPC") +
         (plan.persistence == FaultInjector::kOnce ? " once" : " persistent");
}

sqlite* openOurs(const std::string& path) {
  char* message = nullptr;
  sqlite* db = sqlite_open(path.c_str(), 0, &message);
  EXPECT_NE(db, nullptr) << (message ? message : "");
  sqlite_freemem(message);
  return db;
}

// Where two dumps part: the first line that differs, from each.
std::string firstDifference(const std::string& seen, const std::string& expected) {
  size_t at = 0;
  while (at < seen.size() && at < expected.size() && seen[at] == expected[at]) ++at;
  size_t lineStart = seen.rfind('\n', at == 0 ? 0 : at - 1);
  lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
  auto lineAt = [lineStart](const std::string& text) {
    return text.substr(lineStart, text.find('\n', lineStart) - lineStart);
  };
  return "\"" + lineAt(seen) + "\" where \"" + lineAt(expected) + "\" was expected";
}

constexpr char kCountVideos[] = "select count(*) from tb_item_list;";

class IoFaultTrials {
 public:
  IoFaultTrials(const sqlite2_reference& reference, const Workload& workload)
      : reference_(reference), workload_(workload) {
    pristine_ = buildPluginFile(path_);
    oldDump_ = inspectFile(reference_, path_).dump;
    oldCount_ = referenceQuery(path_, kCountVideos).at(0);
    if (workload_.recoversHotJournal) {
      journal_ = leaveHotJournal(path_, deleteCategoryBranch());
      pristine_ = readFile(path_);
    }
    restorePristine();
    sqlite* db = openOurs(path_);
    WorkloadOutcome outcome = runWorkload(db, workload_);
    sqlite_close(db);
    EXPECT_EQ(outcome.code, SQLITE_OK) << outcome.message;
    FileInspection after = inspectFile(reference_, path_);
    EXPECT_EQ(after.integrity, "ok");
    newDump_ = after.dump;
    newCount_ = referenceQuery(path_, kCountVideos).at(0);
    // Reading after a crash finds the file as it was before the dead writer's transaction;
    // every other workload changes it.
    EXPECT_EQ(newDump_ == oldDump_, workload_.recoversHotJournal);
  }

  // Runs trials for N = first, first + step, ... until the workload no longer reaches the
  // Nth operation; returns the number of trials whose operation failed.
  long runAll(const FaultPlan& plan, long first, long step) {
    long trials = 0;
    for (long n = first; runTrial(plan, n); n += step) ++trials;
    return trials;
  }

  // What went wrong, one line per trial that went wrong.
  const std::vector<std::string>& problems() const { return problems_; }
  // The workload's operations, in all and by kind, as the last trial (the one the fault did
  // not reach) saw them.
  long operationCount() const { return operationCount_; }
  const std::string& operationKinds() const { return operationKinds_; }

 private:
  std::string journalPath() const { return path_ + "-journal"; }

  void restorePristine() {
    writeFile(path_, pristine_);
    if (journal_.empty()) {
      std::remove(journalPath().c_str());
    } else {
      writeFile(journalPath(), journal_);
    }
  }

  // Returns whether the fault was reached.
  bool runTrial(const FaultPlan& plan, long n) {
    restorePristine();
    // A workload that recovers a hot journal opens the file under the faults; the others
    // start from an open connection.
    const bool opensUnderFaults = workload_.recoversHotJournal;
    sqlite* db = opensUnderFaults ? nullptr : openOurs(path_);
    if (!opensUnderFaults && !db) return false;
    WorkloadOutcome outcome;
    std::string openFailure;
    std::string stillFailing;
    {
      sqlite2::ScopedFaultHook hook(&faults_);
      faults_.failAt(n, plan.fault, plan.persistence);
      if (opensUnderFaults) db = openReporting(&openFailure);
      if (db) outcome = runWorkload(db, workload_);
      if (db && faults_.fired() && plan.persistence == FaultInjector::kPersistent) {
        stillFailing = countWhileFailing(db, outcome.code == SQLITE_OK);
      }
    }
    if (!faults_.fired()) {
      EXPECT_NE(db, nullptr) << openFailure;
      EXPECT_EQ(outcome.code, SQLITE_OK) << outcome.message;
      operationCount_ = faults_.operationsSeen();
      operationKinds_ = operationCounts(faults_);
      if (db) sqlite_close(db);
      return false;
    }
    std::string problem = stillFailing;
    if (db) {
      problem = checkOutcome(plan, outcome) + checkConnection(db, outcome.code == SQLITE_OK);
    } else {
      // The open failed: it must say why, and the next connection goes on.
      if (openFailure.empty()) problem = "the failed open gave no message; ";
      problem += checkConnection(openOurs(path_), false);
    }
    problem += checkFile(!db || outcome.code == SQLITE_OK ? newDump_ : oldDump_);
    if (!problem.empty()) {
      problems_.push_back("operation " + std::to_string(n) + " (" +
                          operationName(faults_.firstFailedOperation()) + "): " + problem);
    }
    return true;
  }

  // While every operation still fails, a query on the connection fails cleanly, or answers
  // as the failed call left the file.
  std::string countWhileFailing(sqlite* db, bool done) {
    std::string count;
    auto keepCount = [](void* out, int, char** values, char**) {
      *static_cast<std::string*>(out) = values[0] ? values[0] : "";
      return 0;
    };
    int code = sqlite_exec(db, kCountVideos, keepCount, &count, nullptr);
    if (code != SQLITE_OK || count == (done ? newCount_ : oldCount_)) return "";
    return "while failing, a query counted " + count + " videos; ";
  }

  sqlite* openReporting(std::string* failure) {
    char* message = nullptr;
    sqlite* db = sqlite_open(path_.c_str(), 0, &message);
    if (message) *failure = message;
    sqlite_freemem(message);
    return db;
  }

  // The failing call must report the failure with the code of what failed. Only a lock that
  // cannot be changed back after the commit leaves the work done. A hot journal that cannot
  // be opened makes sqlite_open treat the file as locked by another connection and leave the
  // playback to the first statement (which succeeds, or fails with the next failure's code).
  std::string checkOutcome(const FaultPlan& plan, const WorkloadOutcome& outcome) {
    FileOperation failed = faults_.firstFailedOperation();
    if (outcome.code == SQLITE_OK && failed == FileOperation::kLock) return "";
    if (failed == FileOperation::kOpen && workload_.recoversHotJournal) {
      if (outcome.code == SQLITE_OK) return "";
      failed = faults_.secondFailedOperation();
    }
    if (outcome.code == expectedCode(failed, plan.fault)) return "";
    return "call " + std::to_string(outcome.failedCall) + " returned " +
           std::to_string(outcome.code) + " (" + outcome.message + "); ";
  }

  // The connection goes on and sees the file as the call's outcome says it is; then it is
  // closed.
  std::string checkConnection(sqlite* db, bool done) {
    if (!db) return "the next connection cannot open the file; ";
    std::string seen = dumpConnection(ourEngineCalls(), db);
    sqlite_close(db);
    if (seen == (done ? newDump_ : oldDump_)) return "";
    return std::string("the connection does not see the ") + (done ? "new" : "old") +
           " content: " + firstDifference(seen, done ? newDump_ : oldDump_) + "; ";
  }

  std::string checkFile(const std::string& expected) {
    FileInspection after = inspectFile(reference_, path_);
    std::string problem;
    if (after.integrity != "ok") problem += "integrity check: " + after.integrity + "; ";
    if (after.dump != expected) {
      problem += "SQLite 2.8 finds other content: " + firstDifference(after.dump, expected);
    }
    return problem;
  }

  const sqlite2_reference& reference_;
  Workload workload_;
  TempDir dir_;
  std::string path_ = dir_.file("plugin.vdb");
  std::string pristine_;
  std::string journal_;  // beside the file at the start of each trial, when not empty
  std::string oldDump_;
  std::string newDump_;
  std::string oldCount_;  // of videos
  std::string newCount_;
  FaultInjector faults_;
  std::vector<std::string> problems_;
  long operationCount_ = 0;
  std::string operationKinds_;
};

struct IoFaultCase {
  Workload (*workload)();
  FaultPlan plan;
  long first;  // the first operation to fail
  long step;   // 1: every one after it in turn; k: every kth
};

class IoFaultTest : public ::testing::TestWithParam<IoFaultCase> {};

TEST_P(IoFaultTest, EveryFailingOperationGivesACleanErrorAndAnIntactFile) {
  ORVALEN_REQUIRE_REFERENCE(reference);
  const IoFaultCase& test = GetParam();
  auto start = std::chrono::steady_clock::now();
  IoFaultTrials trials(*reference, test.workload());
  ASSERT_FALSE(HasFailure());
  long faults = trials.runAll(test.plan, test.first, test.step);
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::string which = test.step == 1 ? "each"
                                     : "every " + std::to_string(test.step) + "th from " +
                                           std::to_string(test.first);
  std::printf("%s, %s: %ld operations (%s), %s failed in turn: %ld trials, %.1f s\n",
              test.workload().name.c_str(), describe(test.plan).c_str(), trials.operationCount(),
              trials.operationKinds().c_str(), which.c_str(), faults, seconds);
  EXPECT_GT(faults, 0);
  const std::vector<std::string>& problems = trials.problems();
  std::string shown;
  for (size_t i = 0; i < problems.size() && i < 5; ++i) shown += "\n  " + problems[i];
  EXPECT_TRUE(problems.empty()) << problems.size() << " of " << faults
                                << " trials went wrong, the first:" << shown;
}

Workload bulkLoadOf10000() {
  return bulkLoad(10000);
}

// Every operation of every workload fails with each of the four plans. Only the bulk load in
// builds without NDEBUG (Debug and the sanitizer builds, where its 10,000 statements take
// seconds per trial) shares its operations among the plans: plan k fails operations
// k, k + 4, k + 8, ..., so that each operation still fails once, with one of the plans.
std::vector<IoFaultCase> allCases() {
#ifdef NDEBUG
  constexpr long kBulkStep = 1;
#else
  constexpr long kBulkStep = 4;
#endif
  std::vector<IoFaultCase> cases;
  for (auto workload : {insertOneVideo, updateOneVideo, deleteOneVideo, deleteCategoryBranch,
                        createIndex, bulkLoadOf10000, readAfterACrash}) {
    long plan = 0;
    for (auto fault : {InjectedFault::kIoError, InjectedFault::kDiskFull}) {
      for (auto persistence : {FaultInjector::kOnce, FaultInjector::kPersistent}) {
        long step = workload == bulkLoadOf10000 ? kBulkStep : 1;
        cases.push_back({workload, {fault, persistence}, 1 + plan++ % step, step});
      }
    }
  }
  return cases;
}

std::string caseName(const ::testing::TestParamInfo<IoFaultCase>& info) {
  std::string name = info.param.workload().name + " " + describe(info.param.plan);
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Workloads, IoFaultTest, ::testing::ValuesIn(allCases()), caseName);

}  // namespace
}  // namespace orvalen::test
