#include "dot_commands.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

namespace orvalen::tools {

namespace {

struct SchemaEntry {
  std::string type;
  std::string name;
  std::string tableName;
  std::string sql;  // empty for automatic indexes
};

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Reads sqlite_master; false (with the message printed) when the file cannot be read.
bool readSchema(sqlite* db, std::FILE* err, std::vector<SchemaEntry>* entries) {
  char** cells = nullptr;
  int rows = 0;
  int columns = 0;
  char* error = nullptr;
  const int rc = sqlite_get_table(db, "SELECT type, name, tbl_name, sql FROM sqlite_master;",
                                  &cells, &rows, &columns, &error);
  if (rc != SQLITE_OK) {
    std::fprintf(err, "SQL error: %s\n", error ? error : sqlite_error_string(rc));
    sqlite_freemem(error);
    return false;
  }
  for (int row = 1; row <= rows && columns == 4; ++row) {
    char** cell = cells + row * columns;
    auto text = [](const char* value) { return std::string(value ? value : ""); };
    entries->push_back({text(cell[0]), text(cell[1]), text(cell[2]), text(cell[3])});
  }
  sqlite_free_table(cells);
  return true;
}

void listTables(sqlite* db, std::FILE* out, std::FILE* err) {
  std::vector<SchemaEntry> entries;
  if (!readSchema(db, err, &entries)) return;
  std::vector<std::string> names;
  for (const SchemaEntry& entry : entries) {
    if (entry.type == "table" || entry.type == "view") names.push_back(entry.name);
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) std::fprintf(out, "%s\n", name.c_str());
}

// Tables first, then their indexes and other objects, each group by name.
bool schemaOrder(const SchemaEntry& a, const SchemaEntry& b) {
  const bool aIsTable = a.type == "table";
  const bool bIsTable = b.type == "table";
  if (aIsTable != bIsTable) return aIsTable;
  return a.name < b.name;
}

void showSchema(sqlite* db, const std::string& table, std::FILE* out, std::FILE* err) {
  std::vector<SchemaEntry> entries;
  if (!readSchema(db, err, &entries)) return;
  const std::string wanted = lowerCase(table);
  std::vector<SchemaEntry> shown;
  for (const SchemaEntry& entry : entries) {
    if (entry.sql.empty()) continue;
    if (!wanted.empty() && lowerCase(entry.tableName) != wanted) continue;
    shown.push_back(entry);
  }
  std::stable_sort(shown.begin(), shown.end(), schemaOrder);
  for (const SchemaEntry& entry : shown) std::fprintf(out, "%s;\n", entry.sql.c_str());
}

void showHelp(std::FILE* out) {
  std::fputs(
      ".help              Show this list\n"
      ".quit              Leave the shell (also .exit, or end of input)\n"
      ".schema ?TABLE?    Show the CREATE statements, of one table and its indexes if given\n"
      ".tables            List the tables and views\n"
      "Anything else is SQL, run when a line ends with ';'.\n",
      out);
}

}  // namespace

DotOutcome runDotCommand(sqlite* db, const std::string& line, std::FILE* out, std::FILE* err) {
  std::istringstream words(line);
  std::string command;
  std::string argument;
  std::string extra;
  words >> command >> argument >> extra;
  const bool noArgument = argument.empty();
  if ((command == ".quit" || command == ".exit") && noArgument) return DotOutcome::kQuit;
  if (command == ".help" && noArgument) {
    showHelp(out);
  } else if (command == ".tables" && noArgument) {
    listTables(db, out, err);
  } else if (command == ".schema" && extra.empty()) {
    showSchema(db, argument, out, err);
  } else {
    std::fprintf(err, "unknown command or wrong arguments: \"%s\"; enter \".help\" for help\n",
                 line.c_str());
  }
  return DotOutcome::kContinue;
}

}  // namespace orvalen::tools
