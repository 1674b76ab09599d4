#include "plugin_file.h"

#include "support/temp_dir.h"

namespace plugin_test {

std::string copyOfTemplate(const orvalen::test::TempDir& dir, const std::string& name) {
  std::string path = dir.file(name);
  orvalen::test::writeFile(path, orvalen::test::readFile(ORVALEN_TEMPLATE_FILE));
  return path;
}

std::vector<std::string> rowsOf(CppSQLiteDB& db, const std::string& sql) {
  CppSQLiteTable table = db.queryTable(sql.c_str());
  std::vector<std::string> rows;
  for (int row = 0; row < table.rowCount(); ++row) {
    table.selectRow(row);
    std::string line;
    for (int column = 0; column < table.columnCount(); ++column) {
      const char* value = table.fieldText(column);
      line += (column ? "|" : "") + std::string(value ? value : "<null>");
    }
    rows.push_back(line);
  }
  return rows;
}

}  // namespace plugin_test
