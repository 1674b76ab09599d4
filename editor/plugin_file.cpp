#include "editor/plugin_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>

namespace orvalen {

namespace {

std::string lowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::set<std::string> tableNames(CppSQLiteDB& db) {
  CppSQLiteTable table = db.queryTable("select name from sqlite_master where type='table';");
  std::set<std::string> names;
  for (int row = 0; row < table.rowCount(); ++row) {
    table.selectRow(row);
    if (const char* name = table.fieldText(0)) names.insert(lowerCase(name));
  }
  return names;
}

void requirePluginTables(CppSQLiteDB& db) {
  std::set<std::string> names = tableNames(db);
  for (const char* required : {"tb_type_list", "tb_item_list"}) {
    if (names.count(required) == 0) {
      std::string text = std::string("the table ") + required + " is missing";
      throw CppSQLiteException(FailureKind::kNotPluginFile, text.c_str());
    }
  }
}

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
    requirePluginTables(db);
  } catch (const CppSQLiteException&) {
    db.close();
    throw;
  }
}

}  // namespace orvalen
