#include "twin_databases.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "common/error.h"

namespace orvalen::test {

namespace {

using Row = std::vector<std::optional<std::string>>;

// A call without values (an empty result reported under PRAGMA empty_result_callbacks) is
// kept as a row of no values.
void collect(Outcome& outcome, int count, const char* const* values, const char* const* names) {
  if (outcome.rows.empty() && names) outcome.names.assign(names, names + count);
  Row row;
  if (!values) count = 0;
  for (int i = 0; i < count; ++i) {
    row.push_back(values[i] ? std::optional<std::string>(values[i]) : std::nullopt);
  }
  outcome.rows.push_back(std::move(row));
}

int collectReferenceRow(void* arg, int count, char** values, char** names) {
  collect(*static_cast<Outcome*>(arg), count, values, names);
  return 0;
}

}  // namespace

bool Outcome::operator==(const Outcome& other) const {
  return code == other.code && message == other.message && names == other.names &&
         rows == other.rows && changes == other.changes && lastInsertRowid == other.lastInsertRowid;
}

std::ostream& operator<<(std::ostream& out, const Outcome& outcome) {
  out << "{code " << outcome.code << " '" << outcome.message << "' changes " << outcome.changes
      << " last " << outcome.lastInsertRowid << " names [";
  for (const std::string& name : outcome.names) out << name << ";";
  out << "] rows";
  for (const Row& row : outcome.rows) {
    out << " (";
    for (const std::optional<std::string>& value : row) out << (value ? *value : "NULL") << "|";
    out << ")";
  }
  return out << "}";
}

Outcome runOurs(sqlite2::Database& database, const std::string& sql) {
  Outcome outcome;
  try {
    database.execute(sql,
                     [&outcome](int count, const char* const* values, const char* const* names) {
                       collect(outcome, count, values, names);
                       return true;
                     });
  } catch (const sqlite2::Error& error) {
    outcome.code = error.code();
    outcome.message = error.what();
  }
  outcome.changes = database.changes();
  outcome.lastInsertRowid = database.lastInsertRowid();
  return outcome;
}

TwinDatabases::TwinDatabases(const sqlite2_reference* reference)
    : reference_(reference), ourPath_(dir_.file("ours.db")), theirPath_(dir_.file("theirs.db")) {
  openBoth();
}

TwinDatabases::~TwinDatabases() {
  closeBoth();
}

void TwinDatabases::openBoth() {
  ourDb_ = sqlite2::Database::open(ourPath_);
  char* error = nullptr;
  theirDb_ = reference_->open(theirPath_.c_str(), 0, &error);
  if (error) reference_->freemem(error);
  if (!theirDb_) throw std::runtime_error("the reference library cannot open " + theirPath_);
}

void TwinDatabases::closeBoth() {
  ourDb_.reset();
  if (theirDb_) reference_->close(theirDb_);
  theirDb_ = nullptr;
}

void TwinDatabases::reopen() {
  closeBoth();
  openBoth();
}

Outcome TwinDatabases::theirsOnOurFile(const std::string& sql) {
  closeBoth();
  std::swap(ourPath_, theirPath_);
  openBoth();
  Outcome outcome = theirs(sql);
  closeBoth();
  std::swap(ourPath_, theirPath_);
  openBoth();
  return outcome;
}

Outcome TwinDatabases::ours(const std::string& sql) {
  return runOurs(*ourDb_, sql);
}

Outcome TwinDatabases::theirs(const std::string& sql) {
  Outcome outcome;
  char* error = nullptr;
  outcome.code = reference_->exec(theirDb_, sql.c_str(), collectReferenceRow, &outcome, &error);
  if (error) {
    outcome.message = error;
    reference_->freemem(error);
  }
  outcome.changes = reference_->changes(theirDb_);
  outcome.lastInsertRowid = reference_->last_insert_rowid(theirDb_);
  return outcome;
}

Outcome TwinDatabases::same(const std::string& sql) {
  Outcome expected = theirs(sql);
  Outcome actual = ours(sql);
  EXPECT_EQ(actual, expected) << "for: " << sql;
  return actual;
}

Outcome TwinDatabases::sameIgnoringOrder(const std::string& sql) {
  Outcome expected = theirs(sql);
  Outcome actual = ours(sql);
  std::sort(expected.rows.begin(), expected.rows.end());
  std::sort(actual.rows.begin(), actual.rows.end());
  EXPECT_EQ(actual, expected) << "for: " << sql;
  return actual;
}

void TwinDatabases::sameForAll(const std::vector<std::string>& statements) {
  for (const std::string& sql : statements) same(sql);
}

std::string TwinDatabases::referenceCheckOfOurFile() {
  closeBoth();
  std::string result = referenceIntegrity(ourPath_);
  openBoth();
  return result;
}

bool TwinDatabaseTest::openTwins() {
  std::string why;
  reference_ = referenceEngine(&why);
  if (!reference_) {
    // GTEST_SKIP() returns from the function it stands in, which here returns a value.
    [&] { GTEST_SKIP() << "reference engine unavailable: " << why; }();
    return false;
  }
  twins_ = std::make_unique<TwinDatabases>(reference_);
  return true;
}

}  // namespace orvalen::test
