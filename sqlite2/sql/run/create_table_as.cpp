// CREATE [TEMP] TABLE name AS SELECT ...: a table with a column for each of the query's result
// columns, named as a view's columns are (query_rows.h), without types or constraints, and
// holding the query's rows. As in SQLite 2.8, sqlite_master keeps a CREATE TABLE text made
// from the names alone, which is what the file's later readers parse.

#include <string>
#include <vector>

#include "sql/run/schema_statements.h"
#include "sql/run/select_statement.h"
#include "sql/run/session.h"
#include "sql/run/source_columns.h"
#include "sql/run/table_writer.h"
#include "sql/text/parser.h"
#include "sql/text/tokenizer.h"

namespace sqlite2 {

namespace {

// Texts whose names together (the table's and the columns') reach this length are written
// with one column a line.
constexpr size_t kLongestOneLineDefinition = 40;

bool isNameStart(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isNamePart(unsigned char c) {
  return isNameStart(c) || (c >= '0' && c <= '9');
}

// A name is written bare when it reads back as the same name: letters, digits and '_' not
// starting with a digit, and no keyword.
bool needsQuotes(const std::string& name) {
  if (name.empty() || !isNameStart(static_cast<unsigned char>(name[0]))) return true;
  for (char c : name) {
    if (!isNamePart(static_cast<unsigned char>(c))) return true;
  }
  return keywordType(name) != TokenType::Id;
}

std::string writtenName(const std::string& name) {
  if (!needsQuotes(name)) return name;
  std::string quoted = "'";
  for (char c : name) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

// The length SQLite 2.8 counts for a name when it chooses the layout: its bytes, with a name
// holding quotes counted as written between quotes.
size_t countedLength(const std::string& name) {
  size_t quotes = 0;
  for (char c : name) quotes += c == '\'';
  return name.size() + quotes + (quotes ? 2 : 0);
}

std::string definitionText(const std::string& name, const std::vector<std::string>& columns,
                           bool temporary) {
  size_t counted = countedLength(name);
  for (const std::string& column : columns) counted += countedLength(column);
  const bool oneLine = counted < kLongestOneLineDefinition;
  std::string text = std::string(temporary ? "CREATE TEMP TABLE " : "CREATE TABLE ") +
                     writtenName(name) + (oneLine ? "(" : "(\n  ");
  for (size_t i = 0; i < columns.size(); ++i) {
    if (i) text += oneLine ? "," : ",\n  ";
    text += writtenName(columns[i]);
  }
  return text + (oneLine ? ")" : "\n)");
}

// An expression's column is named as written, spaces and all, as SQLite 2.8 names it. Where
// the names worked out before the query ran are not those of the columns it gave (a TEMP view
// keeps the names of a table made again since), the query's own are taken, so that no column
// it gives is lost.
std::vector<std::string> definitionNames(std::vector<std::string> written,
                                         const std::vector<std::string>& given) {
  if (written.size() != given.size()) return given;
  for (size_t i = 0; i < written.size(); ++i) {
    if (compressSpaces(written[i]) != compressSpaces(given[i])) written[i] = given[i];
  }
  return written;
}

}  // namespace

void runCreateTableAs(Session& session, const CreateTable& create) {
  // The column names are worked out first, from the tables of the last SELECT of a compound,
  // as SQLite 2.8 does: a missing table there is reported before the query's other mistakes.
  const std::vector<std::string> names = sourceColumnNames(session, *create.select);
  session.newTableHeld = true;
  QueryRows rows = collectSelect(session, *create.select);
  session.throwHeldError();
  const std::string text =
      definitionText(create.name, definitionNames(names, rows.tableColumns), create.temporary);
  Parser parser(text, Parser::Mode::LoadSchema);
  Statement definition;
  parser.next(definition);
  runCreateTable(session, std::get<CreateTable>(definition.body), text);
  // The rows are neither counted as changes nor as the last insert, as in SQLite 2.8.
  std::shared_ptr<Table> table = session.schema->findTable(create.name);
  TableWriter writer(session, *table);
  for (const OutputRow& row : rows.rows) writer.insertRow(writer.chooseRowNumber(), row);
}

}  // namespace sqlite2
