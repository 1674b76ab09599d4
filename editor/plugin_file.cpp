#include "editor/plugin_file.h"

#include <filesystem>

#include "db/catalogue.h"

namespace orvalen {

namespace {

// Opening would make an empty database where no file is, which is never a plugin file: a
// missing file is reported as what it is, before anything is made.
void requireExistingFile(const std::string& path) {
  std::error_code error;
  // The path is UTF-8; a plain std::string would be taken in the ANSI code page on Windows.
  if (!std::filesystem::exists(std::filesystem::u8path(path), error) && !error) {
    throw CppSQLiteException(FailureKind::kMissingFile, "there is no file at this path");
  }
}

}  // namespace

void OpenPluginFile(CppSQLiteDB& db, const std::string& path) {
  requireExistingFile(path);
  try {
    db.open(path.c_str());
    RequireCatalogueTables(db);
  } catch (const CppSQLiteException&) {
    db.close();
    throw;
  }
}

}  // namespace orvalen
