// A child process writes table rows through our b-tree over our pager and is killed with
// SIGKILL at random moments. Afterwards one engine (ours or the reference, in turn) opens the
// file first and rolls the journal back; then both must find the file sound and holding exactly
// the rows of one committed transaction.

#include <chrono>
#include <iostream>
#include <map>
#include <random>

#include <gtest/gtest.h>

#include "btree/btree.h"
#include "pager_test_support.h"
#include "record/row_record.h"
#include "record/table_key.h"
#include "support/child_process.h"
#include "support/reference_engine.h"
#include "support/temp_dir.h"

namespace sqlite2::test {
namespace {

using orvalen::test::fileExists;
using orvalen::test::readFile;
using orvalen::test::referenceIntegrity;
using orvalen::test::referenceQuery;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

// Row number -> the row's two columns.
using Rows = std::map<int32_t, std::pair<std::string, std::string>>;

constexpr int32_t kVersionRow = 1;
constexpr size_t kWriterCache = 40;

std::string payload(int32_t row, uint32_t version) {
  size_t length = row * 37 % 11 == 0 ? 1500 : 40 + row % 200;  // some rows overflow a page
  std::string text(length, 'a');
  for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>('a' + (row + version + i) % 26);
  return text;
}

Rows initialRows() {
  Rows rows{{kVersionRow, {"version", "0"}}};
  for (int32_t row = 2; row <= 301; ++row) rows[row] = {std::to_string(row), payload(row, 0)};
  return rows;
}

// What transaction `version` does to the rows: deletes about a sixth, rewrites about a
// ninth, adds twenty, and records its number.
struct Change {
  std::vector<int32_t> deleted;
  Rows written;
};

Change changeOf(const Rows& rows, uint32_t version) {
  Change change;
  change.written[kVersionRow] = {"version", std::to_string(version)};
  for (const auto& [row, columns] : rows) {
    if (row == kVersionRow) continue;
    if ((row * 31 + version) % 6 == 0) {
      change.deleted.push_back(row);
    } else if ((row + version) % 9 == 0) {
      change.written[row] = {columns.first, payload(row, version) + "u"};
    }
  }
  for (int32_t i = 0; i < 20; ++i) {
    int32_t row = static_cast<int32_t>(1000 * version) + 2 + i;
    change.written[row] = {std::to_string(row), payload(row, version)};
  }
  return change;
}

void applyChange(const Change& change, Rows& rows) {
  for (int32_t row : change.deleted) rows.erase(row);
  for (const auto& [row, columns] : change.written) rows[row] = columns;
}

Rows rowsOfVersion(uint32_t version) {
  Rows rows = initialRows();
  for (uint32_t v = 1; v <= version; ++v) applyChange(changeOf(rows, v), rows);
  return rows;
}

void writeChange(Btree& btree, PageNumber root, const Change& change) {
  Cursor cursor(btree, root, true);
  for (int32_t row : change.deleted) {
    if (cursor.seek(encodeTableKey(row)) == 0) cursor.remove();
  }
  for (const auto& [row, columns] : change.written) {
    cursor.insert(encodeTableKey(row), encodeRecord({columns.first, columns.second}));
  }
}

// A new file of our engine's making: the schema row and the initial rows. Returns the root.
PageNumber createDatabase(const std::string& path) {
  auto btree = Btree::open(path, {});
  btree->beginTransaction();
  PageNumber root = btree->createTree();
  {
    Cursor schema(*btree, kSchemaRoot, true);
    schema.insert(encodeTableKey(1),
                  encodeRecord({"table", "t", "t", std::to_string(root), "CREATE TABLE t(a, b)"}));
  }
  MetaValues meta = btree->readMeta();
  meta[1] = 1;  // schema cookie
  meta[2] = 4;  // file format
  btree->writeMeta(meta);
  Change initial;
  initial.written = initialRows();
  writeChange(*btree, root, initial);
  btree->commit();
  return root;
}

// One attempt of the writer: a statement that is rolled back, then the next version in a
// statement of its own; every fourth attempt rolls the whole transaction back instead of
// committing. Returns the version committed afterwards.
uint32_t writeAttempt(Btree& btree, PageNumber root, Rows& rows, uint32_t committed, int attempt) {
  Change change = changeOf(rows, committed + 1);
  btree.beginTransaction();
  btree.beginStatement();
  Change junk;
  for (int32_t row = 500000; row < 500030; ++row) junk.written[row] = {"junk", payload(row, 9)};
  writeChange(btree, root, junk);
  btree.rollbackStatement();
  btree.beginStatement();
  writeChange(btree, root, change);
  btree.commitStatement();
  if (attempt % 4 == 0) {
    btree.rollback();
    return committed;
  }
  btree.commit();
  applyChange(change, rows);
  return committed + 1;
}

// The child that is killed: writes attempt after attempt to the table with root page
// arguments[1] in the file at arguments[0].
int writeUntilKilled(const std::vector<std::string>& arguments) {
  PagerOptions options;
  options.cachePages = kWriterCache;
  auto btree = Btree::open(arguments.at(0), options);
  const auto root = static_cast<PageNumber>(std::stoul(arguments.at(1)));
  Rows rows = initialRows();
  uint32_t committed = 0;
  for (int attempt = 1; attempt < 100000; ++attempt) {
    uint32_t now = writeAttempt(*btree, root, rows, committed, attempt);
    if (now != committed) reportCommit();
    committed = now;
  }
  return 0;
}
const bool registered = orvalen::test::registerChild("storage-crash-writer", writeUntilKilled);

Rows readOurs(const std::string& path, PageNumber root, std::string* integrity) {
  auto btree = Btree::open(path, {});
  Rows rows;
  Cursor cursor(*btree, root, false);
  for (bool on = cursor.first(); on; on = cursor.next()) {
    std::string data = cursor.data();
    RecordView record(data);
    rows[decodeTableKey(cursor.key())] = {std::string(record.field(0).value_or("")),
                                          std::string(record.field(1).value_or(""))};
  }
  for (const std::string& problem : btree->checkIntegrity({kSchemaRoot, root})) {
    *integrity += problem + "\n";
  }
  return rows;
}

std::vector<std::string> asReferenceRows(const Rows& rows) {
  std::vector<std::string> lines;
  for (const auto& [row, columns] : rows) {
    lines.push_back(std::to_string(row) + "|" + columns.first + "|" + columns.second);
  }
  return lines;
}

std::chrono::microseconds timeOfOneAttempt(const std::string& scratch) {
  PageNumber root = createDatabase(scratch);
  PagerOptions options;
  options.cachePages = kWriterCache;
  auto btree = Btree::open(scratch, options);
  Rows rows = initialRows();
  auto start = std::chrono::steady_clock::now();
  writeAttempt(*btree, root, rows, 0, 1);
  writeAttempt(*btree, root, rows, 1, 2);
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                               start) /
         2;
}

TEST(StorageCrashTest, AKilledWriterLeavesOneCommittedStateForBothEngines) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  TempDir dir;
  std::string path = dir.file("crash.db");
  std::string journal = path + "-journal";
  const PageNumber root = createDatabase(path);
  const std::string initialFile = readFile(path);
  ASSERT_EQ(referenceIntegrity(path), "ok");
  auto attemptTime = timeOfOneAttempt(dir.file("scratch.db"));

  unsigned seed = std::random_device()();
  std::mt19937 random(seed);
  // Each kill comes after zero to two commits and up to two attempts' time more.
  std::uniform_int_distribution<int> commits(0, 2);
  std::uniform_int_distribution<long> delay(0, 2 * std::max<long>(attemptTime.count(), 500));
  std::map<uint32_t, Rows> expected;  // by version, computed when first needed
  int trials = soakTrials().value_or(200);
  int hot = 0;
  uint32_t highest = 0;
  for (int trial = 0; trial < trials; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial) + ", seed " + std::to_string(seed));
    writeFile(path, initialFile);
    killChildAfter("storage-crash-writer", {path, std::to_string(root)}, commits(random),
                   std::chrono::microseconds(delay(random)));
    hot += fileExists(journal);

    // Whichever engine comes first rolls the journal back.
    std::string ourIntegrity;
    Rows ours;
    std::vector<std::string> theirs;
    if (trial % 2 == 0) {
      ours = readOurs(path, root, &ourIntegrity);
      theirs = referenceQuery(path, "SELECT _ROWID_, a, b FROM t;");
    } else {
      theirs = referenceQuery(path, "SELECT _ROWID_, a, b FROM t;");
      ours = readOurs(path, root, &ourIntegrity);
    }
    ASSERT_FALSE(fileExists(journal));
    ASSERT_EQ(ourIntegrity, "");
    ASSERT_EQ(referenceIntegrity(path), "ok");

    ASSERT_TRUE(ours.count(kVersionRow));
    uint32_t version = static_cast<uint32_t>(std::stoul(ours[kVersionRow].second));
    highest = std::max(highest, version);
    if (!expected.count(version)) expected[version] = rowsOfVersion(version);
    ASSERT_TRUE(ours == expected[version]) << "our engine reads a mix (version " << version << ")";
    ASSERT_EQ(theirs, asReferenceRows(expected[version])) << "version " << version;
  }
  std::cout << trials << " kills, " << hot << " with a hot journal, up to version " << highest
            << ", one attempt " << attemptTime.count() << " us, seed " << seed << "\n";
  EXPECT_GT(hot, trials / 4) << "too few kills hit a transaction";
  EXPECT_GT(highest, 0u) << "no kill came after a commit";
}

}  // namespace
}  // namespace sqlite2::test
