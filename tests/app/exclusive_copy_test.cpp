#include "exclusive_copy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/temp_dir.h"

namespace orvalen::app {
namespace {

using test::fileExists;
using test::readFile;
using test::TempDir;
using test::writeFile;

std::set<std::string> namesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(folder)))
    names.insert(entry.path().filename().u8string());
  return names;
}

// Bytes that a text-mode or NUL-terminated copy would damage, longer than one copy buffer.
std::string binaryContents() {
  std::string bytes;
  for (int i = 0; i < 200000; ++i) bytes.push_back(static_cast<char>((i * 7919) % 256));
  return bytes;
}

TEST(CopyToNewFile, CopiesEveryByteAndLeavesNoTemporaryFile) {
  TempDir source;
  TempDir target;
  const std::string bytes = binaryContents();
  writeFile(source.file("template.sdb"), bytes);

  EXPECT_EQ(copyToNewFile(source.file("template.sdb"), target.file("demo.vdb")),
            CopyOutcome::kCopied);
  EXPECT_EQ(readFile(target.file("demo.vdb")), bytes);
  EXPECT_EQ(namesIn(target.path()), std::set<std::string>{"demo.vdb"});
}

TEST(CopyToNewFile, NeverTouchesAnExistingTarget) {
  TempDir dir;
  writeFile(dir.file("template.sdb"), "template bytes");
  writeFile(dir.file("demo.vdb"), "the user's own plugin");

  EXPECT_EQ(copyToNewFile(dir.file("template.sdb"), dir.file("demo.vdb")),
            CopyOutcome::kTargetExists);
  EXPECT_EQ(readFile(dir.file("demo.vdb")), "the user's own plugin");
  EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"demo.vdb", "template.sdb"}));
}

TEST(CopyToNewFile, AMissingOrUnusableSourceWritesNothing) {
  TempDir dir;
  std::filesystem::create_directory(std::filesystem::u8path(dir.file("folder")));
  EXPECT_EQ(copyToNewFile(dir.file("missing.sdb"), dir.file("a.vdb")),
            CopyOutcome::kSourceUnreadable);
  EXPECT_EQ(copyToNewFile(dir.file("folder"), dir.file("b.vdb")), CopyOutcome::kSourceUnreadable);
  EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"folder"});
}

TEST(CopyToNewFile, AnUnwritableFolderLeavesNothingBehind) {
  TempDir dir;
  writeFile(dir.file("template.sdb"), "template bytes");
  EXPECT_EQ(copyToNewFile(dir.file("template.sdb"), dir.file("no/such/folder/demo.vdb")),
            CopyOutcome::kTargetUnwritable);
  EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"template.sdb"});
}

}  // namespace
}  // namespace orvalen::app
