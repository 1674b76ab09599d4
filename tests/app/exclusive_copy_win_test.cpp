// What the copy does on Windows only: attributes of the template and wide names.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "exclusive_copy.h"
#include "support/temp_dir.h"

namespace orvalen::app {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

DWORD attributesOf(const std::string& path) {
  return GetFileAttributesW(std::filesystem::u8path(path).wstring().c_str());
}

TEST(CopyToNewFile, ANewPluginIsWritableEvenFromAReadOnlyTemplate) {
  TempDir dir;
  writeFile(dir.file("template.sdb"), "template bytes");
  ASSERT_TRUE(
      SetFileAttributesW(std::filesystem::u8path(dir.file("template.sdb")).wstring().c_str(),
                         FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(copyToNewFile(dir.file("template.sdb"), dir.file("demo.vdb")), CopyOutcome::kCopied);
  EXPECT_FALSE(attributesOf(dir.file("demo.vdb")) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(readFile(dir.file("demo.vdb")), "template bytes");
  SetFileAttributesW(std::filesystem::u8path(dir.file("template.sdb")).wstring().c_str(),
                     FILE_ATTRIBUTE_NORMAL);
}

TEST(CopyToNewFile, ChineseFolderAndFileNamesWork) {
  TempDir dir;
  const std::string folder = dir.file("视频插件");
  std::filesystem::create_directory(std::filesystem::u8path(folder));
  writeFile(dir.file("模板.sdb"), "template bytes");
  const std::string target = folder + "\\新插件.vdb";
  EXPECT_EQ(copyToNewFile(dir.file("模板.sdb"), target), CopyOutcome::kCopied);
  EXPECT_EQ(readFile(target), "template bytes");
  EXPECT_EQ(copyToNewFile(dir.file("模板.sdb"), target), CopyOutcome::kTargetExists);
}

}  // namespace
}  // namespace orvalen::app
