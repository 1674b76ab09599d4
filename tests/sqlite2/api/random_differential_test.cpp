// The same random statements through Orvalen's engine and the reference library on twin
// files: every call must give the same rows, column names, result codes, error texts,
// sqlite_changes and sqlite_last_insert_rowid, and after every step outside a transaction
// both files must pass the reference's integrity check and hold the same data.
//
// ORVALEN_RANDOM_SEED fixes the seed (printed at the start); ORVALEN_RANDOM_STATEMENTS raises
// the number of statements (10000 by default). A failing session's statements are written to
// random_differential_<seed>_<session>.sql in the working directory; ORVALEN_RANDOM_TRACE names
// a file that receives every statement before it runs, for a crash.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine_calls.h"
#include "random_statements.h"
#include "support/reference_engine.h"
#include "twin_databases.h"

namespace orvalen::test {
namespace {

constexpr int kStatementsPerSession = 500;

uint64_t environmentNumber(const char* name, uint64_t fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

std::string shortened(const std::string& sql) {
  return sql.size() <= 200 ? sql
                           : sql.substr(0, 160) + "...(" + std::to_string(sql.size()) + " bytes)";
}

class Session {
 public:
  Session(const EngineCalls& reference, uint64_t seed, int number)
      : twins_(ourEngineCalls(), reference),
        statements_(seed * 1000003 + number),
        chooser_(seed * 1000033 + number),
        seed_(seed),
        number_(number) {}

  // Runs one statement on both files; false after reporting a failure.
  bool step(const std::string& sql) {
    log_.push_back(sql);
    if (trace_) *trace_ << sql << std::endl;
    const bool viaGetTable = chooser_() % 4 == 0;
    const TwinDatabases::Outcomes outcomes = viaGetTable ? twins_.getTable(sql) : twins_.exec(sql);
    if (outcomes.tested != outcomes.reference) {
      return fail(std::string(viaGetTable ? "sqlite_get_table" : "sqlite_exec") +
                  " results differ\n--- ours: " + outcomes.tested.describe() +
                  "\n--- reference: " + outcomes.reference.describe());
    }
    if (statements_.inTransaction()) return true;
    const std::string problems = twins_.compareFiles();
    return problems.empty() || fail(problems);
  }

  bool run(int statementCount) {
    for (const std::string& sql : statements_.createSchema()) {
      if (!step(sql)) return false;
    }
    for (int i = 0; i < statementCount; ++i) {
      if (!step(statements_.next())) return false;
    }
    return true;
  }

 private:
  bool fail(const std::string& what) {
    const std::string script =
        "random_differential_" + std::to_string(seed_) + "_" + std::to_string(number_) + ".sql";
    std::ofstream(script) << [this] {
      std::string all;
      for (const std::string& sql : log_) all += sql + "\n";
      return all;
    }();
    std::string recent;
    for (size_t i = log_.size() > 12 ? log_.size() - 12 : 0; i < log_.size(); ++i) {
      recent += "  " + shortened(log_[i]) + "\n";
    }
    ADD_FAILURE() << "seed " << seed_ << ", session " << number_ << ", statement " << log_.size()
                  << ": " << shortened(log_.back()) << "\n"
                  << what << "\nlast statements:\n"
                  << recent << "all statements: " << script;
    return false;
  }

  TwinDatabases twins_;
  RandomStatements statements_;
  std::mt19937_64 chooser_;
  uint64_t seed_;
  int number_;
  std::vector<std::string> log_;
  std::unique_ptr<std::ofstream> trace_ = [] {
    const char* path = std::getenv("ORVALEN_RANDOM_TRACE");
    return path && *path ? std::make_unique<std::ofstream>(path, std::ios::app) : nullptr;
  }();
};

TEST(RandomDifferentialTest, EnginesAgreeOnRandomStatements) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  preferMemoryBackedTemporaryFiles();
  const uint64_t seed = environmentNumber("ORVALEN_RANDOM_SEED", std::random_device{}());
  const uint64_t total = environmentNumber("ORVALEN_RANDOM_STATEMENTS", 10000);
  std::cout << "random differential test: seed " << seed << ", " << total << " statements\n";
  const int sessions =
      static_cast<int>((total + kStatementsPerSession - 1) / kStatementsPerSession);
  for (int number = 0; number < sessions; ++number) {
    Session session(*ref, seed, number);
    if (!session.run(kStatementsPerSession)) return;
  }
}

}  // namespace
}  // namespace orvalen::test
