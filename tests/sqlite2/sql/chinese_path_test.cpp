// Files in folders with Chinese names: a temporary table while the temporary folder is one, an
// attached file in one, COPY from a file in one. Wide paths on Windows; on Linux each step is
// also run through the reference library, in a folder of its own, and must answer the same.

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sql/run/database.h"
#include "sqlite.h"
#include "support/environment.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"
#include "twin_databases.h"

namespace orvalen::test {
namespace {

namespace fs = std::filesystem;

struct Step {
  std::string sql;       // {side} and {rows} stand for files in the scenario's folder
  std::string expected;  // rows as "a|b", joined by ";", or "error: <message>"
};

struct Scenario {
  const char* what;
  bool temporaryDatabase;  // whether the connection keeps a file in the temporary folder
  std::vector<Step> steps;
};

const std::vector<Scenario>& scenarios() {
  static const std::vector<Scenario> all = {
      {"a temporary table in a Chinese temporary folder",
       true,
       {{"create temp table x(a, b)", ""},
        {"insert into x values(1, '临时')", ""},
        {"select * from x", "1|临时"},
        {"select count(*) from sqlite_temp_master", "1"}}},
      {"ATTACH and DETACH of a file in a Chinese folder",
       false,
       {{"attach '{side}' as side", ""},
        {"insert into side.s values('二')", ""},
        {"select * from side.s", "一;二"},
        {"detach side", ""},
        {"select * from side.s", "error: no such table: side.s"},
        {"attach '{side}' as again", ""},
        {"select count(*) from again.s", "2"}}},
      {"COPY from a file in a Chinese folder",
       false,
       {{"create table c(a, b)", ""},
        {"copy c from '{rows}'", ""},
        {"select * from c", "1|甲;2|乙"},
        {"copy c from '{rows}.无'", "error: unable to open file: {rows}.无"}}},
  };
  return all;
}

std::string compact(const Outcome& outcome) {
  if (outcome.code != SQLITE_OK) return "error: " + outcome.message;
  std::string text;
  for (const auto& row : outcome.rows) {
    if (!text.empty()) text += ";";
    for (size_t i = 0; i < row.size(); ++i) text += (i ? "|" : "") + row[i].value_or("NULL");
  }
  return text;
}

// A folder with a Chinese name, and in it the files the scenarios name.
class ChineseFolder {
 public:
  ChineseFolder(const TempDir& base, const std::string& name) : path_(base.file(name)) {
    fs::create_directory(fs::u8path(path_));
    fs::create_directory(fs::u8path(temporaryFolder()));
    writeFile(file("行.txt"), "1\t甲\n2\t乙\n");
    auto side = sqlite2::Database::open(file("附加.db"));
    runOurs(*side, "create table s(a); insert into s values('一')");
  }
  std::string file(const std::string& name) const {
    return path_ + static_cast<char>(fs::path::preferred_separator) + name;
  }
  std::string temporaryFolder() const { return file("临时文件夹"); }
  std::string withFiles(std::string text) const {
    replace(text, "{side}", file("附加.db"));
    replace(text, "{rows}", file("行.txt"));
    return text;
  }
  std::string withMarks(std::string text) const {
    replace(text, file("附加.db"), "{side}");
    replace(text, file("行.txt"), "{rows}");
    return text;
  }
  bool temporaryFolderHoldsAFile() const { return !fs::is_empty(fs::u8path(temporaryFolder())); }

 private:
  static void replace(std::string& text, const std::string& mark, const std::string& by) {
    for (size_t at; (at = text.find(mark)) != std::string::npos;) text.replace(at, mark.size(), by);
  }
  std::string path_;
};

// Points every variable that names the temporary folder at the folder while it lives.
class TemporaryFolderVariables {
 public:
  explicit TemporaryFolderVariables(const std::string& folder) {
    for (const char* name : kNames) {
      const char* old = std::getenv(name);
      saved_.push_back(old ? std::optional<std::string>(old) : std::nullopt);
      setEnvironmentVariable(name, folder);
    }
  }
  ~TemporaryFolderVariables() {
    for (size_t i = 0; i < saved_.size(); ++i) {
      if (saved_[i]) {
        setEnvironmentVariable(kNames[i], *saved_[i]);
      } else {
        unsetEnvironmentVariable(kNames[i]);
      }
    }
  }

 private:
  static constexpr const char* kNames[] = {"TMPDIR", "TMP", "TEMP"};
  std::vector<std::optional<std::string>> saved_;
};

int collectRow(void* outcome, int count, char** values, char**) {
  std::vector<std::optional<std::string>> row;
  for (int i = 0; i < count; ++i) {
    row.push_back(values[i] ? std::optional<std::string>(values[i]) : std::nullopt);
  }
  static_cast<Outcome*>(outcome)->rows.push_back(std::move(row));
  return 0;
}

// Each step's outcome in compact form, its paths marked.
std::vector<std::string> runTheReference(const sqlite2_reference* ref, const Scenario& scenario,
                                         const ChineseFolder& folder) {
  char* error = nullptr;
  void* db = ref->open(folder.file("插件.vdb").c_str(), 0, &error);
  if (error) ref->freemem(error);
  std::vector<std::string> outcomes;
  for (const Step& step : scenario.steps) {
    Outcome outcome;
    std::string sql = folder.withFiles(step.sql);
    outcome.code = ref->exec(db, sql.c_str(), collectRow, &outcome, &error);
    if (error) {
      outcome.message = error;
      ref->freemem(error);
    }
    outcomes.push_back(folder.withMarks(compact(outcome)));
  }
  ref->close(db);
  return outcomes;
}

TEST(ChinesePathTest, TemporaryAttachedAndCopiedFilesInChineseFolders) {
  std::string why;
  const sqlite2_reference* reference = referenceEngine(&why);
  for (const Scenario& scenario : scenarios()) {
    SCOPED_TRACE(scenario.what);
    TempDir base;
    ChineseFolder ours(base, "中文目录");
    TemporaryFolderVariables variables(ours.temporaryFolder());
    auto db = sqlite2::Database::open(ours.file("插件.vdb"));
    std::vector<std::string> outcomes;
    for (const Step& step : scenario.steps) {
      outcomes.push_back(ours.withMarks(compact(runOurs(*db, ours.withFiles(step.sql)))));
      EXPECT_EQ(outcomes.back(), step.expected) << step.sql;
    }
    EXPECT_EQ(ours.temporaryFolderHoldsAFile(), scenario.temporaryDatabase);
    db.reset();
    EXPECT_FALSE(ours.temporaryFolderHoldsAFile()) << "temporary files are removed at the end";
    if (!reference) continue;
    ChineseFolder theirs(base, "参考目录");
    EXPECT_EQ(runTheReference(reference, scenario, theirs), outcomes);
  }
}

}  // namespace
}  // namespace orvalen::test
