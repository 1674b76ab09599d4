// What the OS layer does on Windows only: the share modes SQLite 2.8 opens its files with,
// wide (Chinese) path names, the temporary folder, full path names, and deleting an open
// journal through its handle.

#include <windows.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "os/file.h"
#include "os/file_system.h"
#include "sqlite.h"
#include "sqlite2/error_code_of.h"
#include "support/temp_dir.h"

namespace sqlite2 {
namespace {

namespace fs = std::filesystem;
using orvalen::test::errorCodeOf;
using orvalen::test::readFile;
using orvalen::test::TempDir;
using orvalen::test::writeFile;

std::wstring wide(const std::string& utf8) {
  return fs::u8path(utf8).wstring();
}

// Whether another handle, as another program would open it, gets the file for reading and
// writing (sharing everything itself).
bool anotherHandleCanOpen(const std::string& path) {
  HANDLE handle = CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

// Sets a variable of the C runtime's and of the process's environment, and puts it back.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    set(value);
  }
  ~ScopedVariable() { set(previous_); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  void set(const std::string& value) {
    _putenv_s(name_.c_str(), value.c_str());
    SetEnvironmentVariableW(wide(name_).c_str(), value.empty() ? nullptr : wide(value).c_str());
  }
  std::string name_;
  std::string previous_;
};

TEST(FileOnWindows, ADatabaseIsSharedAndAJournalIsNot) {
  TempDir dir;
  File database = File::openReadWrite(dir.file("test.db"));
  EXPECT_TRUE(anotherHandleCanOpen(dir.file("test.db")));

  File journal = File::createExclusive(dir.file("test.db-journal"));
  EXPECT_FALSE(anotherHandleCanOpen(dir.file("test.db-journal")));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_TRUE(fileExists(dir.file("test.db-journal"))) << "seen by its attributes while open";
  EXPECT_EQ(errorCodeOf([&] { deleteFile(dir.file("test.db-journal")); }), SQLITE_IOERR)
      << "nobody else can delete an open journal";
  journal.close();
  EXPECT_TRUE(anotherHandleCanOpen(dir.file("test.db-journal")));
}

TEST(FileOnWindows, AJournalIsNeverMadeOverAnExistingFile) {
  TempDir dir;
  writeFile(dir.file("j"), "someone's");
  EXPECT_EQ(errorCodeOf([&] { File::createExclusive(dir.file("j")); }), SQLITE_CANTOPEN);
  EXPECT_EQ(readFile(dir.file("j")), "someone's");
}

TEST(FileOnWindows, CloseAndDeleteRemovesTheJournalItMade) {
  TempDir dir;
  File journal = File::createExclusive(dir.file("j"));
  journal.writeAt(0, "header", 6);
  journal.closeAndDelete(dir.file("j"));
  EXPECT_FALSE(journal.isOpen());
  EXPECT_FALSE(fileExists(dir.file("j")));
}

TEST(FileOnWindows, ChineseFolderAndFileNamesWork) {
  TempDir dir;
  const std::string folder = dir.file("视频插件");
  ASSERT_TRUE(CreateDirectoryW(wide(folder).c_str(), nullptr));
  const std::string path = folder + "\\中文.vdb";
  File file = File::openReadWrite(path);
  file.writeAt(0, "abc", 3);
  file.close();
  EXPECT_TRUE(fileExists(path));
  EXPECT_EQ(readFile(path), "abc");
  EXPECT_TRUE(fs::exists(fs::u8path(dir.path()) / L"视频插件" / L"中文.vdb"));
  EXPECT_EQ(absolutePath(path), path);
  deleteFile(path);
  EXPECT_FALSE(fileExists(path));
}

TEST(FileOnWindows, AReadOnlyFileOpensReadOnly) {
  TempDir dir;
  writeFile(dir.file("f"), "abc");
  ASSERT_TRUE(SetFileAttributesW(wide(dir.file("f")).c_str(), FILE_ATTRIBUTE_READONLY));
  if (anotherHandleCanOpen(dir.file("f"))) {
    SetFileAttributesW(wide(dir.file("f")).c_str(), FILE_ATTRIBUTE_NORMAL);
    GTEST_SKIP() << "the read-only attribute is not enforced here (Wine run by root)";
  }
  File file = File::openReadWrite(dir.file("f"));
  EXPECT_TRUE(file.isReadOnly());
  char buffer[3];
  EXPECT_EQ(file.readAt(0, buffer, 3), 3u);
  file.close();
  SetFileAttributesW(wide(dir.file("f")).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FileOnWindows, TemporaryFilesLiveInTheTemporaryFolderUntilClosed) {
  TempDir dir;
  ScopedVariable tmp("TMP", dir.path() + "\\");
  File scratch = File::createTemporary();
  scratch.writeAt(2000, "kept", 4);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(fs::u8path(dir.path())))
    names.push_back(entry.path().filename().u8string());
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].substr(0, 7), "sqlite_");
  EXPECT_EQ(names[0].size(), 7u + 15u);
  char buffer[4];
  EXPECT_EQ(scratch.readAt(2000, buffer, 4), 4u);
  scratch.close();
  EXPECT_TRUE(fs::is_empty(fs::u8path(dir.path()))) << "deleted when closed";
}

TEST(FileOnWindows, AbsolutePathsAreTheSystemsFullPathNames) {
  wchar_t current[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, current), 0u);
  std::string here = fs::path(current).u8string();
  if (here.back() != '\\') here += '\\';
  EXPECT_EQ(absolutePath("relative.db"), here + "relative.db");
  EXPECT_EQ(absolutePath("C:/a/./b/../c.db"), "C:\\a\\c.db");
  EXPECT_EQ(directoryOf("C:\\a\\c.db"), "C:\\a");
  EXPECT_EQ(directoryOf("c.db"), ".");
}

}  // namespace
}  // namespace sqlite2
