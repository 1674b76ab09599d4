// Each scripts/*.sql file through both engines, statement by statement, on fresh twin files:
// every statement must give the same outcome in both (rows, names, codes, texts, counts), and
// the files must read back the same at the end.
//
// A script is SQL with one statement per line (a statement may go on over lines until one
// ends with ";") and comment lines starting with "--". Where SQLite 2.8.15 goes plainly
// wrong and this engine does not follow it, comment lines right after the statement say
// what this engine answers instead, and the reference library's answer is not compared:
//   -- ours: 1|0          a result row, values joined by "|", NULL written as NULL
//   -- ours: (none)       no row
//   -- ours error: text   the error message
// A script with such statements checks at its end only that the reference library finds our
// file sound.
#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "database_dump.h"
#include "differential_expectations.h"
#include "support/temp_dir.h"

namespace orvalen::test {
namespace {

struct ScriptStep {
  std::string sql;
  int line = 0;
  std::optional<std::vector<std::string>> ourRows;  // set: this engine's answer instead
  std::optional<std::string> ourError;
};

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The "-- ours..." line's expectation added to the step before it.
void addExpectation(ScriptStep& step, const std::string& line) {
  if (!step.ourRows) step.ourRows.emplace();
  if (startsWith(line, "-- ours error: ")) {
    step.ourError = line.substr(15);
  } else if (line != "-- ours: (none)") {
    step.ourRows->push_back(line.substr(9));
  }
}

std::vector<ScriptStep> readScript(const std::string& path) {
  std::istringstream text(readFile(path));
  std::vector<ScriptStep> steps;
  std::string pending;
  int number = 0;
  for (std::string line; std::getline(text, line);) {
    ++number;
    if (startsWith(line, "-- ours") && pending.empty() && !steps.empty()) {
      addExpectation(steps.back(), line);
      continue;
    }
    if (startsWith(line, "--") || (pending.empty() && line.empty())) continue;
    pending += (pending.empty() ? "" : "\n") + line;
    if (!line.empty() && line.back() == ';') {
      steps.push_back(ScriptStep{pending, number, std::nullopt, std::nullopt});
      pending.clear();
    }
  }
  return steps;
}

std::string rowText(const std::vector<Cell>& row) {
  std::string text;
  for (size_t i = 0; i < row.size(); ++i) text += (i ? "|" : "") + row[i].value_or("NULL");
  return text;
}

void expectOurAnswer(const ScriptStep& step, const StatementOutcome& ours) {
  std::vector<std::string> rows;
  for (const std::vector<Cell>& row : ours.rows) rows.push_back(rowText(row));
  EXPECT_EQ(ours.error.value_or(""), step.ourError.value_or(""))
      << "line " << step.line << ": " << step.sql;
  EXPECT_EQ(rows, *step.ourRows) << "line " << step.line << ": " << step.sql;
}

std::vector<std::string> scriptNames() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(ORVALEN_DIFFERENTIAL_SCRIPTS)) {
    if (entry.path().extension() == ".sql") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class ScriptDifferential : public ::testing::TestWithParam<std::string> {};

TEST_P(ScriptDifferential, BothEnginesAnswerAlike) {
  ORVALEN_REQUIRE_REFERENCE(reference);
  preferMemoryBackedTemporaryFiles();
  TwinDatabases twins(ourEngineCalls(), *reference);
  bool mended = false;
  for (const ScriptStep& step :
       readScript(std::string(ORVALEN_DIFFERENTIAL_SCRIPTS) + "/" + GetParam() + ".sql")) {
    const TwinDatabases::Outcomes outcomes = twins.exec(step.sql);
    if (step.ourRows) {
      mended = true;
      expectOurAnswer(step, outcomes.tested);
      continue;
    }
    EXPECT_TRUE(outcomes.tested == outcomes.reference)
        << "line " << step.line << ": " << step.sql << "\n--- ours: " << outcomes.tested.describe()
        << "\n--- reference: " << outcomes.reference.describe();
  }
  if (mended) {
    EXPECT_EQ(integrityCheck(*reference, twins.testedPath()), "ok");
  } else {
    expectSameFiles(twins);
  }
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptDifferential, ::testing::ValuesIn(scriptNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace orvalen::test
