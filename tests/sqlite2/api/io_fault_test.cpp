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

// The code a call must report when the operation fails with the fault.
int expectedCode(FileOperation operation, InjectedFault fault) {
  switch (operation) {
    case FileOperation::kOpen:
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

class IoFaultTrials {
 public:
  IoFaultTrials(const sqlite2_reference& reference, const Workload& workload)
      : reference_(reference), workload_(workload) {
    pristine_ = buildPluginFile(path_);
    oldDump_ = inspectFile(reference_, path_).dump;
    restorePristine();
    sqlite* db = openOurs(path_);
    WorkloadOutcome outcome = runWorkload(db, workload_);
    sqlite_close(db);
    EXPECT_EQ(outcome.code, SQLITE_OK) << outcome.message;
    FileInspection after = inspectFile(reference_, path_);
    EXPECT_EQ(after.integrity, "ok");
    newDump_ = after.dump;
    EXPECT_NE(newDump_, oldDump_);
  }

  // Runs trials for N = 1, 2, ... until the workload no longer reaches the Nth operation;
  // returns the number of operations that failed.
  long runAll(const FaultPlan& plan) {
    long n = 1;
    while (runTrial(plan, n)) ++n;
    return n - 1;
  }

  // What went wrong, one line per trial that went wrong.
  const std::vector<std::string>& problems() const { return problems_; }
  // The workload's operations by kind, as the last trial (the one without a fault) saw them.
  const std::string& operationKinds() const { return operationKinds_; }

 private:
  void restorePristine() {
    writeFile(path_, pristine_);
    std::remove((path_ + "-journal").c_str());
  }

  // Returns whether the fault was reached.
  bool runTrial(const FaultPlan& plan, long n) {
    restorePristine();
    sqlite* db = openOurs(path_);
    if (!db) return false;
    WorkloadOutcome outcome;
    {
      sqlite2::ScopedFaultHook hook(&faults_);
      faults_.failAt(n, plan.fault, plan.persistence);
      outcome = runWorkload(db, workload_);
    }
    if (!faults_.fired()) {
      EXPECT_EQ(outcome.code, SQLITE_OK) << outcome.message;
      operationKinds_ = operationCounts(faults_);
      sqlite_close(db);
      return false;
    }
    std::string problem = checkAfterFault(db, plan, outcome);
    if (!problem.empty()) {
      problems_.push_back("operation " + std::to_string(n) + " (" +
                          operationName(faults_.firstFailedOperation()) + "): " + problem);
    }
    return true;
  }

  // Closes the connection; returns what is wrong, or nothing.
  std::string checkAfterFault(sqlite* db, const FaultPlan& plan, const WorkloadOutcome& outcome) {
    FileOperation failed = faults_.firstFailedOperation();
    std::string problem;
    // Only a lock that cannot be changed back after the commit leaves the work done; every
    // other failure must be reported, with the code of what failed.
    bool reportAllowed = outcome.code == SQLITE_OK && failed == FileOperation::kLock;
    if (!reportAllowed && outcome.code != expectedCode(failed, plan.fault)) {
      problem += "call " + std::to_string(outcome.failedCall) + " returned " +
                 std::to_string(outcome.code) + " (" + outcome.message + "); ";
    }
    const bool done = outcome.code == SQLITE_OK;
    const std::string& expected = done ? newDump_ : oldDump_;
    const char* which = done ? "new" : "old";
    // The same connection goes on, and sees the file as the call's outcome says it is.
    std::string seen = dumpConnection(ourEngineCalls(), db);
    if (seen != expected) {
      problem += std::string("the connection does not see the ") + which +
                 " content: " + firstDifference(seen, expected) + "; ";
    }
    sqlite_close(db);
    FileInspection after = inspectFile(reference_, path_);
    if (after.integrity != "ok") problem += "integrity check: " + after.integrity + "; ";
    if (after.dump != expected) {
      problem += std::string("SQLite 2.8 does not find the ") + which +
                 " content: " + firstDifference(after.dump, expected);
    }
    return problem;
  }

  const sqlite2_reference& reference_;
  Workload workload_;
  TempDir dir_;
  std::string path_ = dir_.file("plugin.vdb");
  std::string pristine_;
  std::string oldDump_;
  std::string newDump_;
  FaultInjector faults_;
  std::vector<std::string> problems_;
  std::string operationKinds_;
};

struct IoFaultCase {
  Workload (*workload)();
  FaultPlan plan;
};

class IoFaultTest : public ::testing::TestWithParam<IoFaultCase> {};

TEST_P(IoFaultTest, EveryFailingOperationGivesACleanErrorAndAnIntactFile) {
  ORVALEN_REQUIRE_REFERENCE(reference);
  const IoFaultCase& test = GetParam();
  auto start = std::chrono::steady_clock::now();
  IoFaultTrials trials(*reference, test.workload());
  ASSERT_FALSE(HasFailure());
  long faults = trials.runAll(test.plan);
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%s, %s: %ld operations failed in turn (%s), %.1f s\n", test.workload().name.c_str(),
              describe(test.plan).c_str(), faults, trials.operationKinds().c_str(), seconds);
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

std::vector<IoFaultCase> allCases() {
  std::vector<IoFaultCase> cases;
  for (auto workload : {insertOneVideo, updateOneVideo, deleteOneVideo, deleteCategoryBranch,
                        createIndex, bulkLoadOf10000}) {
    for (auto fault : {InjectedFault::kIoError, InjectedFault::kDiskFull}) {
      for (auto persistence : {FaultInjector::kOnce, FaultInjector::kPersistent}) {
        cases.push_back({workload, {fault, persistence}});
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
