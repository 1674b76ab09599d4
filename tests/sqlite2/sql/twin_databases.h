#pragma once

// Two files, one written by our engine and one by the reference library, fed the same
// statements so that every outcome can be compared.

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sql/run/database.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"

namespace orvalen::test {

// Everything one execute call shows to a caller.
struct Outcome {
  int code = 0;
  std::string message;
  std::vector<std::string> names;  // of the first row
  std::vector<std::vector<std::optional<std::string>>> rows;
  int changes = 0;
  int lastInsertRowid = 0;

  bool operator==(const Outcome& other) const;
};
std::ostream& operator<<(std::ostream& out, const Outcome& outcome);

// Runs sql through our engine.
Outcome runOurs(sqlite2::Database& database, const std::string& sql);

class TwinDatabases {
 public:
  explicit TwinDatabases(const sqlite2_reference* reference);
  ~TwinDatabases();
  TwinDatabases(const TwinDatabases&) = delete;
  TwinDatabases& operator=(const TwinDatabases&) = delete;

  Outcome ours(const std::string& sql);
  Outcome theirs(const std::string& sql);
  // Runs sql in both and expects the same outcome; returns ours.
  Outcome same(const std::string& sql);
  // Runs every statement through same().
  void sameForAll(const std::vector<std::string>& statements);
  // Like same(), for rows whose order the reference library leaves to its hash table
  // (GROUP BY without ORDER BY): the rows are compared as sorted lists.
  Outcome sameIgnoringOrder(const std::string& sql);

  const std::string& ourPath() const { return ourPath_; }
  const std::string& theirPath() const { return theirPath_; }
  // Closes and reopens both connections (the schema is then read from the files).
  void reopen();
  // The reference library's integrity check of our file, after closing our connection.
  std::string referenceCheckOfOurFile();
  // Runs sql through the reference library on our file (both connections closed meanwhile).
  Outcome theirsOnOurFile(const std::string& sql);

 private:
  void openBoth();
  void closeBoth();

  const sqlite2_reference* reference_;
  TempDir dir_;
  std::string ourPath_, theirPath_;
  std::unique_ptr<sqlite2::Database> ourDb_;
  void* theirDb_ = nullptr;
};

// A test on twin databases, skipped with the reason where the reference library is missing.
class TwinDatabaseTest : public ::testing::Test {
 protected:
  // Opens the twins; false, with the test skipped, when the reference library is missing.
  bool openTwins();

  const sqlite2_reference* reference_ = nullptr;
  std::unique_ptr<TwinDatabases> twins_;
};

}  // namespace orvalen::test
