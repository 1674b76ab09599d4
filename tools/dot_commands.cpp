// ShellSession::runCommand: the dot commands. A command may be shortened to any prefix of
// its name that is not taken by a command earlier in kCommands (".s" is .schema, ".se"
// .separator), as in SQLite 2.8's shell.
#include "dot_commands.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "csv_import.h"
#include "dump.h"
#include "listing_commands.h"
#include "shell_session.h"
#include "value_formats.h"

namespace orvalen::tools {

namespace {

using Words = std::vector<std::string>;
using Handler = Outcome (*)(ShellSession& session, const Words& words);

struct Command {
  const char* name;
  size_t shortest;  // the fewest letters that name it
  size_t minWords;  // counting the command itself
  size_t maxWords;
  Handler run;
};

constexpr size_t kAny = 1000;

Outcome failure(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "Error: %s\n", message.c_str());
  return Outcome::kFailed;
}

Outcome fromResult(bool ok, const std::string& error) {
  return ok ? Outcome::kDone : failure(error);
}

// "on", "yes" or a non-zero number, as SQLite 2.8's shell reads its switches.
bool isOn(const std::string& word) {
  std::string lower = word;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower == "on" || lower == "yes" || std::atoi(word.c_str()) != 0;
}

const std::string* optionalWord(const Words& words, size_t at) {
  return words.size() > at ? &words[at] : nullptr;
}

Outcome dumpCommand(ShellSession& session, const Words& words) {
  std::string error;
  const Words patterns(words.begin() + 1, words.end());
  return fromResult(dumpDatabase(session.db(), patterns, session.out(), &error), error);
}

Outcome echoCommand(ShellSession& session, const Words& words) {
  session.settings().echo = isOn(words[1]);
  return Outcome::kDone;
}

Outcome quitCommand(ShellSession&, const Words&) {
  return Outcome::kQuit;
}

Outcome headersCommand(ShellSession& session, const Words& words) {
  session.settings().header = isOn(words[1]);
  return Outcome::kDone;
}

Outcome helpCommand(ShellSession& session, const Words&) {
  std::fputs(
      ".databases             The databases of the connection and their files\n"
      ".dump ?TABLE? ...      The database, or the tables LIKE TABLE, as SQL that rebuilds it\n"
      ".echo ON|OFF           Show each line read before running it\n"
      ".exit                  Leave orvalen-sql\n"
      ".header(s) ON|OFF      Show column names above the rows\n"
      ".help                  This list\n"
      ".import FILE TABLE     Load a CSV file into TABLE (made from the file's first line\n"
      "                       of column names when it does not exist)\n"
      ".indices ?TABLE?       The indexes on TABLE (all indexes without one)\n"
      ".mode MODE ?TABLE?     How rows are shown; MODE is one of:\n"
      "                         column  left-aligned columns (widths from .width)\n"
      "                         csv     comma-separated values\n"
      "                         html    rows of an HTML table\n"
      "                         insert  SQL INSERT statements for TABLE\n"
      "                         line    one value a line\n"
      "                         list    values joined by the .separator text\n"
      "                         semi    as list, each row ending with ';'\n"
      "                         tabs    tab-separated values\n"
      ".nullvalue TEXT        Show NULL as TEXT\n"
      ".output FILE           Write rows to FILE; .output stdout writes them here again\n"
      ".prompt MAIN ?MORE?    The prompts before a statement and before its further lines\n"
      ".quit                  Leave orvalen-sql\n"
      ".read FILE             Run the SQL and commands of FILE\n"
      ".schema ?TABLE?        The CREATE statements, of TABLE and its indexes if given\n"
      ".separator TEXT        The text between values in list mode (\\t for a tab)\n"
      ".show                  The current settings\n"
      ".tables ?PATTERN?      The tables and views, of names holding PATTERN if given\n"
      ".timeout MS            Wait up to MS milliseconds for a locked database\n"
      ".width NUM ...         Column widths for column mode\n",
      session.out());
  return Outcome::kDone;
}

// As SQLite 2.8's shell shows them: PRAGMA database_list in column mode with headers and
// widths of its own, whatever the settings; they stay as they were.
Outcome databasesCommand(ShellSession& session, const Words&) {
  ShellSettings& settings = session.settings();
  const ShellSettings saved = settings;
  settings.mode = OutputMode::kColumn;
  settings.header = true;
  settings.widths = {3, 15, 58};
  const Outcome outcome = session.runSql("PRAGMA database_list;");
  settings = saved;
  return outcome;
}

Outcome importCommand(ShellSession& session, const Words& words) {
  const ShellSettings& settings = session.settings();
  const std::string separator = settings.mode == OutputMode::kCsv ? "," : settings.separator;
  const bool ok = importCsv(session.db(), {words[1], words[2], separator}, stderr);
  return ok ? Outcome::kDone : Outcome::kFailed;
}

Outcome indicesCommand(ShellSession& session, const Words& words) {
  std::string error;
  return fromResult(listIndices(session.db(), optionalWord(words, 1), session.out(), &error),
                    error);
}

Outcome modeCommand(ShellSession& session, const Words& words) {
  ShellSettings& settings = session.settings();
  if (!selectMode(words[1], &settings)) {
    return failure("mode should be one of: column csv html insert line list semi tabs");
  }
  if (settings.mode == OutputMode::kInsert) {
    settings.insertTable = words.size() > 2 ? sqlName(words[2]) : "table";
  }
  return Outcome::kDone;
}

Outcome nullValueCommand(ShellSession& session, const Words& words) {
  session.settings().nullValue = resolveEscapes(words[1]);
  return Outcome::kDone;
}

Outcome outputCommand(ShellSession& session, const Words& words) {
  if (session.redirectOutput(words[1])) return Outcome::kDone;
  return failure("can't write to \"" + words[1] + "\"");
}

// As in SQLite 2.8's shell, the continuation prompt stays as it was when only MAIN is given.
Outcome promptCommand(ShellSession& session, const Words& words) {
  ShellSettings& settings = session.settings();
  settings.prompt = words[1];
  if (words.size() > 2) settings.continuationPrompt = words[2];
  return Outcome::kDone;
}

Outcome readCommand(ShellSession& session, const Words& words);

Outcome schemaCommand(ShellSession& session, const Words& words) {
  std::string error;
  return fromResult(showSchema(session.db(), optionalWord(words, 1), session.out(), &error), error);
}

Outcome separatorCommand(ShellSession& session, const Words& words) {
  session.settings().separator = resolveEscapes(words[1]);
  return Outcome::kDone;
}

Outcome showCommand(ShellSession& session, const Words&) {
  const ShellSettings& settings = session.settings();
  std::FILE* out = session.out();
  std::fprintf(out, "%9.9s: %s\n", "echo", settings.echo ? "on" : "off");
  std::fprintf(out, "%9.9s: %s\n", "headers", settings.header ? "on" : "off");
  std::fprintf(out, "%9.9s: %s\n", "mode", modeName(settings.mode));
  std::fprintf(out, "%9.9s: %s\n", "nullvalue", settings.nullValue.c_str());
  std::fprintf(out, "%9.9s: %s\n", "output", session.outputName().c_str());
  std::fprintf(out, "%9.9s: %s\n", "separator", settings.separator.c_str());
  std::fprintf(out, "%9.9s: ", "width");
  for (int width : settings.widths) std::fprintf(out, "%d ", width);
  std::fputc('\n', out);
  return Outcome::kDone;
}

Outcome tablesCommand(ShellSession& session, const Words& words) {
  std::string error;
  return fromResult(listTables(session.db(), optionalWord(words, 1), session.out(), &error), error);
}

Outcome timeoutCommand(ShellSession& session, const Words& words) {
  sqlite_busy_timeout(session.db(), std::atoi(words[1].c_str()));
  return Outcome::kDone;
}

Outcome widthCommand(ShellSession& session, const Words& words) {
  std::vector<int>& widths = session.settings().widths;
  // Widths not given stay as they were.
  if (widths.size() < words.size() - 1) widths.resize(words.size() - 1, 0);
  for (size_t i = 1; i < words.size(); ++i) widths[i - 1] = std::atoi(words[i].c_str());
  return Outcome::kDone;
}

// In the order a shortened name is tried.
constexpr Command kCommands[] = {
    {"databases", 2, 1, 1, databasesCommand}, {"dump", 1, 1, kAny, dumpCommand},
    {"echo", 1, 2, 2, echoCommand},           {"exit", 1, 1, 1, quitCommand},
    {"headers", 1, 2, 2, headersCommand},     {"help", 1, 1, 1, helpCommand},
    {"indices", 1, 1, 2, indicesCommand},     {"import", 2, 3, 3, importCommand},
    {"mode", 1, 2, 3, modeCommand},           {"nullvalue", 1, 2, 2, nullValueCommand},
    {"output", 1, 2, 2, outputCommand},       {"prompt", 1, 2, 3, promptCommand},
    {"quit", 1, 1, 1, quitCommand},           {"read", 1, 2, 2, readCommand},
    {"schema", 1, 1, 2, schemaCommand},       {"separator", 2, 2, 2, separatorCommand},
    {"show", 2, 1, 1, showCommand},           {"tables", 2, 1, 2, tablesCommand},
    {"timeout", 2, 2, 2, timeoutCommand},     {"width", 1, 2, kAny, widthCommand},
};

bool names(const Command& command, const std::string& word) {
  const size_t length = word.size();
  if (length < command.shortest || length > std::strlen(command.name)) return false;
  return std::strncmp(word.c_str(), command.name, length) == 0;
}

Outcome readCommand(ShellSession& session, const Words& words) {
  std::FILE* file = std::fopen(words[1].c_str(), "rb");
  if (!file) return failure("can't open \"" + words[1] + "\"");
  std::string text;
  char block[1 << 16];
  for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) text.append(block, got);
  const bool readFailed = std::ferror(file) != 0;
  std::fclose(file);
  if (readFailed) return failure("can't read \"" + words[1] + "\"");
  if (!session.enterRead()) return failure(".read nested too deeply at \"" + words[1] + "\"");
  const Outcome outcome = session.runScript(text.c_str());
  session.leaveRead();
  return outcome;
}

}  // namespace

std::vector<std::string> commandWords(const std::string& line) {
  std::vector<std::string> words;
  size_t at = 0;
  for (;;) {
    while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
    if (at >= line.size()) return words;
    if (line[at] == '\'' || line[at] == '"') {
      const char quote = line[at++];
      const size_t end = line.find(quote, at);
      words.push_back(line.substr(at, end == std::string::npos ? std::string::npos : end - at));
      at = end == std::string::npos ? line.size() : end + 1;
    } else {
      const size_t start = at;
      while (at < line.size() && !std::isspace(static_cast<unsigned char>(line[at]))) ++at;
      words.push_back(line.substr(start, at - start));
    }
  }
}

std::string resolveEscapes(const std::string& text) {
  std::string resolved;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      resolved += text[i];
      continue;
    }
    const char c = text[++i];
    if (c >= '0' && c <= '7') {
      int value = 0;
      for (int digits = 0; digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7';
           ++digits, ++i) {
        value = value * 8 + (text[i] - '0');
      }
      --i;
      resolved += static_cast<char>(value);
    } else {
      resolved += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
  }
  return resolved;
}

Outcome ShellSession::runCommand(const std::string& line) {
  const Words words = commandWords(line);
  const std::string name = words.empty() ? "" : words[0].substr(1);
  for (const Command& command : kCommands) {
    if (!names(command, name) || words.size() < command.minWords ||
        words.size() > command.maxWords) {
      continue;
    }
    return command.run(*this, words);
  }
  std::fflush(stdout);
  std::fprintf(stderr, "unknown command or invalid arguments:  \"%s\". Enter \".help\" for help\n",
               name.c_str());
  return Outcome::kFailed;
}

}  // namespace orvalen::tools
