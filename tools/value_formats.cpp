#include "value_formats.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>

namespace orvalen::tools {

namespace {

// Every keyword of SQLite 2.8 and the SQLite 3 ones that cannot name a table unquoted, in
// upper case and sorted: a table with such a name must be quoted in INSERT INTO.
constexpr const char* kKeywords[] = {
    "ABORT",
    "ADD",
    "AFTER",
    "ALL",
    "ALTER",
    "ANALYZE",
    "AND",
    "AS",
    "ASC",
    "ATTACH",
    "AUTOINCREMENT",
    "BEFORE",
    "BEGIN",
    "BETWEEN",
    "BY",
    "CASCADE",
    "CASE",
    "CAST",
    "CHECK",
    "CLUSTER",
    "COLLATE",
    "COLUMN",
    "COMMIT",
    "CONFLICT",
    "CONSTRAINT",
    "COPY",
    "CREATE",
    "CROSS",
    "CURRENT_DATE",
    "CURRENT_TIME",
    "CURRENT_TIMESTAMP",
    "DATABASE",
    "DEFAULT",
    "DEFERRABLE",
    "DEFERRED",
    "DELETE",
    "DELIMITERS",
    "DESC",
    "DETACH",
    "DISTINCT",
    "DROP",
    "EACH",
    "ELSE",
    "END",
    "ESCAPE",
    "EXCEPT",
    "EXCLUSIVE",
    "EXISTS",
    "EXPLAIN",
    "FAIL",
    "FOR",
    "FOREIGN",
    "FROM",
    "FULL",
    "GLOB",
    "GROUP",
    "HAVING",
    "IF",
    "IGNORE",
    "IMMEDIATE",
    "IN",
    "INDEX",
    "INDEXED",
    "INITIALLY",
    "INNER",
    "INSERT",
    "INSTEAD",
    "INTERSECT",
    "INTO",
    "IS",
    "ISNULL",
    "JOIN",
    "KEY",
    "LEFT",
    "LIKE",
    "LIMIT",
    "MATCH",
    "NATURAL",
    "NO",
    "NOT",
    "NOTNULL",
    "NULL",
    "OF",
    "OFFSET",
    "ON",
    "OR",
    "ORDER",
    "OUTER",
    "PLAN",
    "PRAGMA",
    "PRIMARY",
    "QUERY",
    "RAISE",
    "RECURSIVE",
    "REFERENCES",
    "REGEXP",
    "REINDEX",
    "RELEASE",
    "RENAME",
    "REPLACE",
    "RESTRICT",
    "RIGHT",
    "ROLLBACK",
    "ROW",
    "SAVEPOINT",
    "SELECT",
    "SET",
    "STATEMENT",
    "TABLE",
    "TEMP",
    "TEMPORARY",
    "THEN",
    "TO",
    "TRANSACTION",
    "TRIGGER",
    "UNION",
    "UNIQUE",
    "UPDATE",
    "USING",
    "VACUUM",
    "VALUES",
    "VIEW",
    "VIRTUAL",
    "WHEN",
    "WHERE",
    "WITH",
    "WITHOUT",
};

bool isKeyword(const std::string& name) {
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return std::binary_search(std::begin(kKeywords), std::end(kKeywords), std::string_view(upper),
                            [](std::string_view a, std::string_view b) { return a < b; });
}

bool isPlainWord(const std::string& name) {
  if (name.empty()) return false;
  const auto first = static_cast<unsigned char>(name[0]);
  if (!std::isalpha(first) && first != '_') return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
  });
}

bool needsCsvQuotes(std::string_view field, std::string_view separator) {
  if (field.empty()) return false;
  if (field.front() == ' ' || field.back() == ' ') return true;
  if (!separator.empty() && field.find(separator) != std::string_view::npos) return true;
  return field.find_first_of("\"\r\n") != std::string_view::npos;
}

void write(std::FILE* out, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), out);
}

// Writes text with each occurrence of mark written twice.
void writeDoubling(std::FILE* out, std::string_view text, char mark) {
  for (size_t at = text.find(mark); at != std::string_view::npos; at = text.find(mark)) {
    write(out, text.substr(0, at + 1));
    std::fputc(mark, out);
    text.remove_prefix(at + 1);
  }
  write(out, text);
}

}  // namespace

bool isCanonicalInteger(std::string_view text) {
  const bool negative = !text.empty() && text[0] == '-';
  std::string_view digits = negative ? text.substr(1) : text;
  if (digits.empty() || digits.size() > 19) return false;
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  if (digits[0] == '0') return digits.size() == 1 && !negative;
  if (digits.size() < 19) return true;
  // Nineteen digits: compare with the 64-bit limits.
  return digits <= (negative ? "9223372036854775808" : "9223372036854775807");
}

void writeSqlValue(std::FILE* out, const char* value) {
  std::string text;
  appendSqlValue(&text, value);
  write(out, text);
}

void appendSqlValue(std::string* out, const char* value) {
  if (!value) {
    out->append("NULL");
    return;
  }
  std::string_view text(value);
  if (isCanonicalInteger(text)) {
    out->append(text);
    return;
  }
  out->push_back('\'');
  for (size_t at = text.find('\''); at != std::string_view::npos; at = text.find('\'')) {
    out->append(text.substr(0, at + 1)).push_back('\'');
    text.remove_prefix(at + 1);
  }
  out->append(text).push_back('\'');
}

void writeQuotedText(std::FILE* out, std::string_view text) {
  std::fputc('\'', out);
  writeDoubling(out, text, '\'');
  std::fputc('\'', out);
}

std::string sqlName(const std::string& name) {
  if (isPlainWord(name) && !isKeyword(name)) return name;
  std::string quoted = "'";
  for (char c : name) {
    quoted += c;
    if (c == '\'') quoted += c;
  }
  return quoted + "'";
}

void writeCsvField(std::FILE* out, std::string_view field, std::string_view separator) {
  if (!needsCsvQuotes(field, separator)) {
    write(out, field);
    return;
  }
  std::fputc('"', out);
  writeDoubling(out, field, '"');
  std::fputc('"', out);
}

void writeHtmlText(std::FILE* out, std::string_view text) {
  for (size_t at = text.find_first_of("<&"); at != std::string_view::npos;
       at = text.find_first_of("<&")) {
    write(out, text.substr(0, at));
    write(out, text[at] == '<' ? "&lt;" : "&amp;");
    text.remove_prefix(at + 1);
  }
  write(out, text);
}

}  // namespace orvalen::tools
