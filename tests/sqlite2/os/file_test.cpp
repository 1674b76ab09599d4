#include "os/file.h"

#include <sys/uio.h>

#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "os/file_system.h"
#include "sqlite.h"
#include "sqlite2/error_code_of.h"
#include "support/temp_dir.h"

namespace sqlite2 {
namespace {

using orvalen::test::errorCodeOf;
using orvalen::test::readFile;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

TEST(File, OpenFailsForMissingDirectoriesAndForDirectories) {
  TempDir dir;
  EXPECT_EQ(errorCodeOf([&] { File::openReadWrite(dir.file("missing/x.db")); }), SQLITE_CANTOPEN);
  EXPECT_EQ(errorCodeOf([&] { File::openReadWrite(dir.path()); }), SQLITE_CANTOPEN);
  EXPECT_EQ(errorCodeOf([&] { File::openReadOnly(dir.path()); }), SQLITE_CANTOPEN);
  EXPECT_EQ(errorCodeOf([&] { File::openExisting(dir.file("absent")); }), SQLITE_CANTOPEN);
  EXPECT_FALSE(fileExists(dir.file("absent")));
}

TEST(File, ReadsAndWritesAtOffsets) {
  TempDir dir;
  File file = File::openReadWrite(dir.file("f"));
  file.writeAt(5, "hello", 5);
  EXPECT_EQ(file.size(), 10u);
  EXPECT_EQ(readFile(dir.file("f")), std::string(5, '\0') + "hello");

  char buffer[16] = {};
  EXPECT_EQ(file.readAt(7, buffer, sizeof buffer), 3u) << "a read past the end is short";
  EXPECT_EQ(std::string(buffer, 3), "llo");
  EXPECT_EQ(file.readAt(100, buffer, sizeof buffer), 0u);
}

TEST(File, VectorWriteLaysBuffersEndToEndBeyondTheSystemLimit) {
  TempDir dir;
  File file = File::openReadWrite(dir.file("f"));
  const int count = IOV_MAX + 300;
  std::vector<std::string> pieces;
  std::string expected;
  for (int i = 0; i < count; ++i) {
    pieces.push_back(std::to_string(i) + ",");
    expected += pieces.back();
  }
  std::vector<struct iovec> buffers;
  for (std::string& piece : pieces) buffers.push_back({piece.data(), piece.size()});
  file.writeVectorAt(3, buffers.data(), count);
  EXPECT_EQ(readFile(dir.file("f")), std::string(3, '\0') + expected);
}

TEST(File, VectorReadFillsBuffersInTurnAndStopsAtTheEnd) {
  TempDir dir;
  std::string content;
  for (int i = 0; i < 2500; ++i) content += static_cast<char>('a' + i % 26);
  writeFile(dir.file("f"), content);
  File file = File::openReadOnly(dir.file("f"));
  std::vector<std::string> buffers(4, std::string(1000, '#'));
  std::vector<struct iovec> vector;
  for (std::string& buffer : buffers) vector.push_back({buffer.data(), buffer.size()});
  // From offset 100: 2400 bytes are there, over three buffers; the fourth gets nothing.
  EXPECT_EQ(file.readVectorAt(100, vector.data(), 4), 2400u);
  EXPECT_EQ(buffers[0], content.substr(100, 1000));
  EXPECT_EQ(buffers[1], content.substr(1100, 1000));
  EXPECT_EQ(buffers[2].substr(0, 400), content.substr(2100, 400));
  EXPECT_EQ(buffers[2].substr(400), std::string(600, '#')) << "bytes past the end untouched";
  EXPECT_EQ(buffers[3], std::string(1000, '#'));
  EXPECT_EQ(file.readVectorAt(5000, vector.data(), 4), 0u);
}

TEST(File, TruncatesAndGrows) {
  TempDir dir;
  File file = File::openReadWrite(dir.file("f"));
  file.writeAt(0, "0123456789", 10);
  file.truncate(4);
  EXPECT_EQ(file.size(), 4u);
  file.truncate(6);
  EXPECT_EQ(readFile(dir.file("f")), std::string("0123") + std::string(2, '\0'));
}

TEST(File, ReadOnlyDescriptorRefusesWrites) {
  TempDir dir;
  writeFile(dir.file("f"), "abc");
  File file = File::openReadOnly(dir.file("f"));
  EXPECT_TRUE(file.isReadOnly());
  char buffer[3];
  EXPECT_EQ(file.readAt(0, buffer, 3), 3u);
  EXPECT_EQ(errorCodeOf([&] { file.writeAt(0, "x", 1); }), SQLITE_IOERR);
  EXPECT_EQ(readFile(dir.file("f")), "abc");
}

TEST(FileSystem, ExistenceAndDeletion) {
  TempDir dir;
  writeFile(dir.file("f"), "x");
  EXPECT_TRUE(fileExists(dir.file("f")));
  deleteFile(dir.file("f"));
  EXPECT_FALSE(fileExists(dir.file("f")));
  EXPECT_NO_THROW(deleteFile(dir.file("f"))) << "deleting what is gone is not an error";
}

}  // namespace
}  // namespace sqlite2
