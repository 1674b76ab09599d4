// A commit that the file size limit of POSIX systems stops part way through.

#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "pager/pager.h"
#include "pager_test_support.h"
#include "sqlite.h"
#include "support/temp_dir.h"

namespace sqlite2::test {
namespace {

using orvalen::test::fileExists;
using orvalen::test::readFile;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

class PagerFileSizeLimitTest : public ::testing::Test {
 protected:
  void SetUp() override { writeFile(path_, databaseImage(3, 1)); }
  TempDir dir_;
  std::string path_ = dir_.file("test.db");
};

// The process may not make files longer than five pages, so the commit fails part way through
// writing the database, after some of the new pages reached the file.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &previous_);
    previousHandler_ = signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = previous_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    signal(SIGXFSZ, previousHandler_);
  }

 private:
  struct rlimit previous_;
  sighandler_t previousHandler_;
};

TEST_F(PagerFileSizeLimitTest, AFailedCommitLeavesTheTransactionOpenForRollback) {
  FileView database(path_);
  auto pager = openPager(path_);
  pager->beginWrite();
  writePattern(*pager, 1, 10, 2);
  {
    FileSizeLimit limit(5 * kPageSize + 100);
    EXPECT_EQ(errorCodeOf([&] { pager->commit(); }), SQLITE_FULL);
  }
  EXPECT_TRUE(pager->inWriteTransaction());
  std::string partial = database.bytes();
  EXPECT_EQ(partial.size(), 5 * kPageSize + 100);
  EXPECT_EQ(partial.substr(0, kPageSize), pagePattern(1, 2)) << "the commit began";
  pager->rollback();
  EXPECT_FALSE(fileExists(pager->journalPath()));
  EXPECT_EQ(readFile(path_), databaseImage(3, 1));
}

}  // namespace
}  // namespace sqlite2::test
