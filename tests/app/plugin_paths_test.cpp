#include "plugin_paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "executable_path.h"
#include "support/temp_dir.h"

namespace orvalen::app {
namespace {

using test::TempDir;
using test::writeFile;

TEST(NewPluginPath, AlwaysAppendsTheExtension) {
  EXPECT_EQ(newPluginPath("/home/u/demo"), "/home/u/demo.vdb");
  EXPECT_EQ(newPluginPath("/home/u/demo.vdb"), "/home/u/demo.vdb.vdb");
  EXPECT_EQ(newPluginPath("/home/u/视频.VDB"), "/home/u/视频.VDB.vdb");
}

TEST(PluginFileArgument, IsTheLastArgumentThatIsNoOption) {
  const struct {
    std::vector<std::string> arguments;
    std::string file;
  } cases[] = {
      {{}, ""},
      {{"/home/u/视频.vdb"}, "/home/u/视频.vdb"},
      {{"--sync", "demo.vdb"}, "demo.vdb"},
      {{"-x", ""}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(pluginFileArgument(c.arguments), c.file);
}

TEST(ExecutablePath, IsTheAbsolutePathOfThisTestProgram) {
  const std::string path = executablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(std::filesystem::u8path(path).is_absolute()) << path;
  EXPECT_NE(path.find("orvalen_app_core_test"), std::string::npos) << path;
  EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::u8path(path)));
}

TEST(DirectoryOf, KeepsTheTrailingSlashAndNeedsOne) {
  EXPECT_EQ(directoryOf("/usr/bin/orvalen"), "/usr/bin/");
  EXPECT_EQ(directoryOf("/orvalen"), "/");
  EXPECT_EQ(directoryOf("orvalen"), "");
}

TEST(TemplateCandidates, BesideTheExecutableFirstThenTheDataFolders) {
  const auto candidates =
      templateCandidates("/opt/o/bin/orvalen", "../share/orvalen", "/usr/share/orvalen");
  ASSERT_EQ(candidates.size(), 3u);
  EXPECT_EQ(candidates[0], "/opt/o/bin/plugin_db_sample.sdb");
  EXPECT_EQ(candidates[1], "/opt/o/bin/../share/orvalen/plugin_db_sample.sdb");
  EXPECT_EQ(candidates[2], "/usr/share/orvalen/plugin_db_sample.sdb");
  EXPECT_TRUE(templateCandidates("orvalen", "../share/orvalen", "/usr/share/orvalen").empty());
}

TEST(FirstExistingFile, SkipsMissingFilesAndFolders) {
  TempDir dir;
  std::filesystem::create_directory(std::filesystem::u8path(dir.file("folder")));
  writeFile(dir.file("real"), "x");
  EXPECT_EQ(firstExistingFile({dir.file("missing"), dir.file("folder"), dir.file("real")}),
            dir.file("real"));
  EXPECT_EQ(firstExistingFile({dir.file("missing"), dir.file("folder")}), "");
  EXPECT_EQ(firstExistingFile({}), "");
}

}  // namespace
}  // namespace orvalen::app
