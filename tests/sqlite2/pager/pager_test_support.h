#pragma once

// Shared helpers of the pager tests: page contents that name their page and version, files
// built from them, hand-made journals, and a way to look at a file while this process holds
// a lock on it.

#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pager/pager.h"
#include "sqlite2/error_code_of.h"

namespace sqlite2::test {

// 1024 bytes that differ for every page number and version.
std::string pagePattern(PageNumber page, uint32_t version);
// A database image of pages 1..count, each with pagePattern(page, version).
std::string databaseImage(PageNumber count, uint32_t version);

// Writes pagePattern(page, version) to pages first..last inside the open transaction.
void writePattern(Pager& pager, PageNumber first, PageNumber last, uint32_t version);
// The page's bytes as a string.
std::string pageBytes(Pager& pager, PageNumber page);

std::unique_ptr<Pager> openPager(const std::string& path, size_t cachePages = 2000,
                                 bool readOnly = false);

using orvalen::test::errorCodeOf;

// The number of trials ORVALEN_SOAK_TRIALS asks of the crash tests, or none when it is not set
// to a positive number.
std::optional<int> soakTrials();

// Starts the writer `child` (a child process registered with orvalen::test::registerChild)
// and kills it, as SIGKILL or TerminateProcess do, once it has reported `commits` commits with
// reportCommit(), and `delay` later still. The child may end on its own earlier; then nothing
// is killed.
void killChildAfter(const std::string& child, const std::vector<std::string>& arguments,
                    int commits, std::chrono::microseconds delay);
// In the writer: tells the parent that a transaction was committed.
void reportCommit();

// Closing any descriptor of a file drops every POSIX lock this process holds on it, so a test
// that reads the database while a pager holds a lock reads through a stream opened beforehand
// and kept until the end. Declare the view before the pager.
class FileView {
 public:
  explicit FileView(const std::string& path);
  ~FileView();
  FileView(const FileView&) = delete;
  FileView& operator=(const FileView&) = delete;
  std::string bytes() const;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  mutable std::ifstream stream_;
};

// Whether another handle can read a journal while its transaction is open. Not on Windows,
// where a journal is shared with nobody, as SQLite 2.8 opens it there; tests that look into
// an open journal skip there, saying so.
bool openJournalsAreReadable();
#define ORVALEN_SKIP_UNLESS_OPEN_JOURNALS_ARE_READABLE()                             \
  do {                                                                               \
    if (!::sqlite2::test::openJournalsAreReadable())                                 \
      GTEST_SKIP() << "an open journal cannot be read by another handle on Windows"; \
  } while (0)

// Builds a journal by hand, in any of the three formats.
class JournalBuilder {
 public:
  enum Format { kHostOrder = 1, kBigEndian = 2, kChecksummed = 3 };
  JournalBuilder(Format format, PageNumber originalPageCount, uint32_t recordCount = 0,
                 uint32_t checksumSeed = 0x12345678);
  // A record for the page; corruptChecksum stores a checksum that does not match.
  JournalBuilder& record(PageNumber page, const std::string& bytes, bool corruptChecksum = false);
  // Sets the header's record count to the number of records added so far.
  JournalBuilder& countRecords();
  std::string bytes() const { return bytes_; }

 private:
  void putInteger(std::string& out, uint32_t value) const;
  Format format_;
  uint32_t seed_;
  uint32_t records_ = 0;
  std::string bytes_;
};

}  // namespace sqlite2::test
