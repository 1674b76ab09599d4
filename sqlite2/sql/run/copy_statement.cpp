// COPY reads a text file of one row a line, its fields split by the delimiter (a tab unless
// USING DELIMITERS gives another text), in the format SQLite 2.8 reads:
// - a backslash before the end of a line joins the next line to it, the line break kept;
// - a line break is "\n" or "\r\n"; an empty line or a line "\." ends the data;
// - a field that is exactly \N is NULL; elsewhere \b \f \n \r \t \v stand for those control
//   characters and a backslash before any other character stands for that character;
// - fields beyond the table's columns are left out, missing ones are NULL;
// - the INTEGER PRIMARY KEY takes the row number given, which must be an integer (NULL
//   included: unlike INSERT, COPY does not choose a number for it).

#include "sql/run/copy_statement.h"

#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "os/file_system.h"
#include "sql/run/session.h"
#include "sql/run/table_writer.h"
#include "sql/values/sql_value.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

std::string readCopyData(const std::string& path) {
  try {
    return readWholeFile(path);
  } catch (const Error& error) {
    if (error.code() != SQLITE_CANTOPEN) throw;
    throw Error(SQLITE_ERROR, "unable to open file: " + path);
  }
}

// Whether the text ends in a backslash that no backslash before it escapes.
bool endsInEscape(std::string_view text) {
  size_t backslashes = 0;
  while (backslashes < text.size() && text[text.size() - 1 - backslashes] == '\\') ++backslashes;
  return backslashes % 2 == 1;
}

// Reads the next line of the data, joined lines included, without its line break. Returns
// false at the end of the data.
bool nextLine(std::string_view data, size_t& position, std::string& line) {
  line.clear();
  while (position < data.size()) {
    size_t end = data.find('\n', position);
    if (end == std::string_view::npos) end = data.size();
    std::string_view piece = data.substr(position, end - position);
    position = end < data.size() ? end + 1 : end;
    bool joined = end < data.size() && endsInEscape(piece);
    if (!joined && !piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
    line.append(piece);
    if (!joined) break;
    line.push_back('\n');
  }
  return !line.empty() && line != "\\.";
}

char escapedCharacter(char c) {
  switch (c) {
    case 'b':
      return '\b';
    case 'f':
      return '\f';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    case 'v':
      return '\v';
    default:
      return c;
  }
}

SqlValue fieldValue(std::string_view field) {
  if (field == "\\N") return SqlValue::null();
  std::string text;
  text.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 1 < field.size()) {
      text.push_back(escapedCharacter(field[++i]));
    } else {
      text.push_back(field[i]);
    }
  }
  return SqlValue::ownedText(std::move(text));
}

std::vector<SqlValue> rowOfLine(std::string_view line, const std::string& delimiter,
                                size_t columnCount) {
  std::vector<SqlValue> values;
  values.reserve(columnCount);
  size_t start = 0;
  while (values.size() < columnCount && start != std::string_view::npos) {
    size_t end = delimiter.empty() ? std::string_view::npos : line.find(delimiter, start);
    values.push_back(fieldValue(
        line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start)));
    start = end == std::string_view::npos ? end : end + delimiter.size();
  }
  while (values.size() < columnCount) values.push_back(SqlValue::null());
  return values;
}

}  // namespace

void runCopy(Session& session, const Copy& copy) {
  std::shared_ptr<Table> table = session.table(copy.database, copy.table);
  session.requireWritable(*table);
  session.requireNotBeingRead(*table);
  session.startWriting(*table);
  session.statementStarted = true;
  std::string data = readCopyData(copy.file);
  TableWriter writer(session, *table, copy.conflict);
  size_t position = 0;
  std::string line;
  while (nextLine(data, position, line)) {
    std::vector<SqlValue> values = rowOfLine(line, copy.delimiter, table->columns.size());
    if (table->rowNumberColumn >= 0 && values[table->rowNumberColumn].isNull()) {
      throw Error(SQLITE_MISMATCH, "datatype mismatch");
    }
    insertValuesOfAllColumns(session, writer, *table, values);
  }
}

}  // namespace sqlite2
