#pragma once

// gtest expectations over twin databases: the engine under test must answer each statement
// as the reference library does.

#include <initializer_list>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "engine_calls.h"
#include "support/reference_engine.h"
#include "twin_databases.h"

namespace orvalen::test {

// Runs sql through sqlite_exec on both files and expects the same outcome.
inline void expectSameExec(TwinDatabases& twins, const std::string& sql) {
  const TwinDatabases::Outcomes outcomes = twins.exec(sql);
  EXPECT_EQ(outcomes.tested, outcomes.reference)
      << "sqlite_exec of: " << sql << "\n--- ours: " << outcomes.tested.describe()
      << "\n--- reference: " << outcomes.reference.describe();
}

// The same through sqlite_get_table.
inline void expectSameGetTable(TwinDatabases& twins, const std::string& sql) {
  const TwinDatabases::Outcomes outcomes = twins.getTable(sql);
  EXPECT_EQ(outcomes.tested, outcomes.reference)
      << "sqlite_get_table of: " << sql << "\n--- ours: " << outcomes.tested.describe()
      << "\n--- reference: " << outcomes.reference.describe();
}

// Each statement through both calls in turn (queries only: a write would run twice).
inline void expectSameQueries(TwinDatabases& twins, std::initializer_list<const char*> queries) {
  for (const char* sql : queries) {
    expectSameExec(twins, sql);
    expectSameGetTable(twins, sql);
  }
}

inline void expectSameStatements(TwinDatabases& twins,
                                 std::initializer_list<const char*> statements) {
  for (const char* sql : statements) expectSameExec(twins, sql);
}

inline void expectSameFiles(const TwinDatabases& twins) {
  const std::string problems = twins.compareFiles();
  EXPECT_TRUE(problems.empty()) << problems;
}

// A fixture with fresh twin files for each test (skipped without the reference engine); the
// files must read back the same at the end of a test that otherwise passed.
class TwinDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reference_ = referenceEngine(&why_);
    if (!reference_) GTEST_SKIP() << "reference engine unavailable: " << why_;
    preferMemoryBackedTemporaryFiles();
    twins_ = std::make_unique<TwinDatabases>(ourEngineCalls(), *reference_);
  }
  void TearDown() override {
    if (twins_ && !HasFailure()) expectSameFiles(*twins_);
  }

  TwinDatabases& twins() { return *twins_; }

 private:
  std::string why_;
  const sqlite2_reference* reference_ = nullptr;
  std::unique_ptr<TwinDatabases> twins_;
};

}  // namespace orvalen::test
