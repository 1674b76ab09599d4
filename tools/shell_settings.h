#pragma once

// How orvalen-sql shows result rows, as set by its options and dot commands.

#include <string>
#include <vector>

namespace orvalen::tools {

enum class OutputMode {
  kList,    // values joined by the separator
  kLine,    // one "name = value" line per column, a blank line between rows
  kColumn,  // fixed-width columns, widths from .width or from the first row
  kHtml,    // <TR><TD>...</TD></TR>
  kInsert,  // INSERT INTO <table> VALUES(...);
  kSemi,    // as list, each row ending with ';'
  kCsv,     // RFC 4180: quoted where needed, rows ending with CR LF
  kTabs,    // as list, with a tab between values
};

struct ShellSettings {
  OutputMode mode = OutputMode::kList;
  std::string separator = "|";
  std::string nullValue;
  bool header = false;
  bool echo = false;
  std::vector<int> widths;            // .width: column i's width when > 0
  std::string insertTable = "table";  // the table named by INSERT mode's statements
  // .prompt: what a terminal session shows before a statement, and before its further lines.
  std::string prompt = "orvalen-sql> ";
  std::string continuationPrompt = "       ...> ";
};

// The mode's name as .mode takes it.
const char* modeName(OutputMode mode);

// Sets the mode named by word (a prefix is enough, as "col" for column), with the separator
// that csv and tabs use; false for an unknown name.
bool selectMode(const std::string& word, ShellSettings* settings);

}  // namespace orvalen::tools
