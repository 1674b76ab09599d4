#include "schema_listing.h"

#include <algorithm>

namespace orvalen::tools {

namespace {

// Reads one master table; false with *error set when it cannot.
bool readMasterTable(sqlite* db, const char* table, bool temporary,
                     std::vector<SchemaEntry>* entries, std::string* error) {
  const std::string query = std::string("SELECT type, name, tbl_name, sql FROM ") + table + ";";
  char** cells = nullptr;
  int rows = 0;
  int columns = 0;
  char* message = nullptr;
  const int rc = sqlite_get_table(db, query.c_str(), &cells, &rows, &columns, &message);
  if (rc != SQLITE_OK) {
    *error = message ? message : sqlite_error_string(rc);
    sqlite_freemem(message);
    return false;
  }
  for (int row = 1; row <= rows && columns == 4; ++row) {
    char** cell = cells + row * columns;
    auto text = [](const char* value) { return std::string(value ? value : ""); };
    entries->push_back({text(cell[0]), text(cell[1]), text(cell[2]), text(cell[3]),
                        cell[3] != nullptr, temporary});
  }
  sqlite_free_table(cells);
  return true;
}

unsigned char foldCase(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool likeFrom(const std::string& pattern, size_t p, const std::string& text, size_t t) {
  for (; p < pattern.size(); ++p, ++t) {
    if (pattern[p] == '%') {
      while (p < pattern.size() && pattern[p] == '%') ++p;
      if (p == pattern.size()) return true;
      for (size_t from = t; from <= text.size(); ++from) {
        if (likeFrom(pattern, p, text, from)) return true;
      }
      return false;
    }
    if (t >= text.size()) return false;
    if (pattern[p] != '_' && foldCase(static_cast<unsigned char>(pattern[p])) !=
                                 foldCase(static_cast<unsigned char>(text[t]))) {
      return false;
    }
  }
  return t == text.size();
}

// SQLite 2.8's shell orders by the type's second letter: tAble, vIew, iNdex, tRigger.
char typeRank(const std::string& type) {
  return type.size() > 1 ? type[1] : '\0';
}

}  // namespace

bool readSchema(sqlite* db, bool withTemporary, std::vector<SchemaEntry>* entries,
                std::string* error) {
  if (!readMasterTable(db, "sqlite_master", false, entries, error)) return false;
  // An engine without temporary tables has no sqlite_temp_master: nothing more to list.
  std::string ignored;
  if (withTemporary) readMasterTable(db, "sqlite_temp_master", true, entries, &ignored);
  return true;
}

bool likeMatches(const std::string& pattern, const std::string& text) {
  return likeFrom(pattern, 0, text, 0);
}

int declaredColumnCount(const std::string& createTable) {
  const size_t open = createTable.find('(');
  if (open == std::string::npos) return 0;
  // The definitions are split at the commas outside parentheses and quotes.
  std::vector<std::string> definitions(1);
  int depth = 0;
  char quote = 0;
  for (size_t i = open + 1; i < createTable.size() && depth >= 0; ++i) {
    const char c = createTable[i];
    if (quote) {
      quote = c == quote ? 0 : quote;
    } else if (c == '\'' || c == '"' || c == '`' || c == '[') {
      quote = c == '[' ? ']' : c;
    } else if (c == '(' || c == ')') {
      depth += c == '(' ? 1 : -1;
    } else if (c == ',' && depth == 0) {
      definitions.emplace_back();
      continue;
    }
    definitions.back() += c;
  }
  int columns = 0;
  for (const std::string& definition : definitions) {
    const size_t start = definition.find_first_not_of(" \t\r\n");
    if (start == std::string::npos) continue;
    const std::string word =
        definition.substr(start, definition.find_first_of(" \t\r\n(", start) - start);
    const bool constraint = sameName(word, "CONSTRAINT") || sameName(word, "PRIMARY") ||
                            sameName(word, "UNIQUE") || sameName(word, "CHECK") ||
                            sameName(word, "FOREIGN");
    if (!constraint) ++columns;
  }
  return columns;
}

bool sameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (foldCase(static_cast<unsigned char>(a[i])) != foldCase(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

void sortForCreation(std::vector<SchemaEntry>* entries) {
  std::stable_sort(entries->begin(), entries->end(),
                   [](const SchemaEntry& a, const SchemaEntry& b) {
                     const char rankA = typeRank(a.type);
                     const char rankB = typeRank(b.type);
                     if (rankA != rankB) return rankA < rankB;
                     return a.name < b.name;
                   });
}

}  // namespace orvalen::tools
