// sqlite2-ref-shell: the reference SQLite 2.8 library behind the output modes and listing
// commands of SQLite 2.8's shell, for comparing orvalen-sql's output with 2.8's. Written from
// the documented output formats of that shell; the listing commands ask the reference engine
// the questions that shell asks (LIKE, UNION ALL and ORDER BY run inside the engine).
//
//   sqlite2-ref-shell FILE ARG ...
//
// Each ARG is SQL or one of .mode list|line|column|html|insert|semi [TABLE], .headers on|off,
// .separator S, .nullvalue S, .width N..., .dump [TABLE...], .schema [TABLE], .tables
// [PATTERN], .indices TABLE. Exits 1 on the first failure, 2 when the engine cannot be had.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sqlite2_reference.h"

namespace {

sqlite2_reference ref;

enum class Mode { kList, kLine, kColumn, kHtml, kInsert, kSemi };

struct State {
  Mode mode = Mode::kList;
  bool header = false;
  std::string separator = "|";
  std::string nullValue;
  std::string table = "table";
  std::vector<int> widths;
  std::vector<int> actualWidths;
  int count = 0;
};

// 2.8's shell writes a value bare when it reads as a number: sign, digits, an optional
// fraction and exponent.
bool looksNumeric(const char* z) {
  bool digit = false;
  if (*z == '-' || *z == '+') ++z;
  while (std::isdigit(static_cast<unsigned char>(*z))) digit = true, ++z;
  if (digit && *z == '.') {
    ++z;
    while (std::isdigit(static_cast<unsigned char>(*z))) ++z;
  }
  if (digit && (*z == 'e' || *z == 'E')) {
    const char* e = z + 1;
    if (*e == '+' || *e == '-') ++e;
    if (std::isdigit(static_cast<unsigned char>(*e))) {
      z = e;
      while (std::isdigit(static_cast<unsigned char>(*z))) ++z;
    }
  }
  return digit && *z == 0;
}

void quoted(const char* z) {
  std::putchar('\'');
  for (; *z; ++z) {
    if (*z == '\'') std::putchar('\'');
    std::putchar(*z);
  }
  std::putchar('\'');
}

// A name for INSERT INTO: quoted when it is not a letter or '_' followed by letters, digits
// and '_'.
std::string tableName(const std::string& name) {
  bool plain =
      !name.empty() && (std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_');
  for (char c : name) plain = plain && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
  if (plain) return name;
  std::string out = "'";
  for (char c : name) out += c == '\'' ? "''" : std::string(1, c);
  return out + "'";
}

void html(const char* z) {
  for (; *z; ++z) {
    if (*z == '<')
      std::fputs("&lt;", stdout);
    else if (*z == '&')
      std::fputs("&amp;", stdout);
    else
      std::putchar(*z);
  }
}

int printRow(void* arg, int n, char** values, char** names) {
  State& s = *static_cast<State*>(arg);
  auto value = [&](int i) { return values[i] ? values[i] : s.nullValue.c_str(); };
  switch (s.mode) {
    case Mode::kList:
    case Mode::kSemi:
      if (s.count++ == 0 && s.header) {
        for (int i = 0; i < n; ++i)
          std::printf("%s%s", names[i], i == n - 1 ? "\n" : s.separator.c_str());
      }
      if (!values) break;
      for (int i = 0; i < n; ++i) {
        std::fputs(value(i), stdout);
        std::fputs(i < n - 1 ? s.separator.c_str() : s.mode == Mode::kSemi ? ";\n" : "\n", stdout);
      }
      break;
    case Mode::kLine: {
      if (!values) break;
      int w = 5;
      for (int i = 0; i < n; ++i) w = std::max(w, static_cast<int>(std::strlen(names[i])));
      if (s.count++ > 0) std::printf("\n");
      for (int i = 0; i < n; ++i) std::printf("%*s = %s\n", w, names[i], value(i));
      break;
    }
    case Mode::kColumn:
      if (s.count++ == 0) {
        s.actualWidths.assign(n, 0);
        for (int i = 0; i < n; ++i) {
          int w = i < static_cast<int>(s.widths.size()) ? s.widths[i] : 0;
          if (w <= 0) {
            w = std::max(10, static_cast<int>(std::strlen(names[i])));
            w = std::max(w, static_cast<int>(std::strlen(values ? value(i) : s.nullValue.c_str())));
          }
          s.actualWidths[i] = w;
          if (s.header) std::printf("%-*.*s%s", w, w, names[i], i == n - 1 ? "\n" : "  ");
        }
        for (int i = 0; s.header && i < n; ++i) {
          const int w = s.actualWidths[i];
          std::printf("%-*.*s%s", w, w, std::string(w, '-').c_str(), i == n - 1 ? "\n" : "  ");
        }
      }
      if (!values) break;
      for (int i = 0; i < n; ++i) {
        const int w = s.actualWidths[i];
        std::printf("%-*.*s%s", w, w, value(i), i == n - 1 ? "\n" : "  ");
      }
      break;
    case Mode::kHtml:
      if (s.count++ == 0 && s.header) {
        std::printf("<TR>");
        for (int i = 0; i < n; ++i) std::printf("<TH>%s</TH>", names[i]);
        std::printf("</TR>\n");
      }
      if (!values) break;
      std::printf("<TR>");
      for (int i = 0; i < n; ++i) {
        std::printf("<TD>");
        html(value(i));
        std::printf("</TD>\n");
      }
      std::printf("</TR>\n");
      break;
    case Mode::kInsert:
      if (!values) break;
      std::printf("INSERT INTO %s VALUES(", s.table.c_str());
      for (int i = 0; i < n; ++i) {
        if (i) std::putchar(',');
        if (!values[i])
          std::fputs("NULL", stdout);
        else if (looksNumeric(values[i]))
          std::fputs(values[i], stdout);
        else
          quoted(values[i]);
      }
      std::printf(");\n");
      break;
  }
  return 0;
}

bool run(void* db, const std::string& sql, State& s) {
  char* error = nullptr;
  s.count = 0;
  const int rc = ref.exec(db, sql.c_str(), printRow, &s, &error);
  if (rc == 0) return true;
  std::fflush(stdout);
  std::fprintf(stderr, "SQL error: %s\n", error ? error : ref.error_string(rc));
  return false;
}

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\'' ? "''" : std::string(1, c);
  return out;
}

struct DumpContext {
  void* db;
  State* state;
};

int dumpObject(void* arg, int, char** values, char**) {
  DumpContext& context = *static_cast<DumpContext*>(arg);
  std::printf("%s;\n", values[2]);
  if (std::strcmp(values[1], "table") != 0) return 0;
  State rows = *context.state;
  rows.mode = Mode::kInsert;
  rows.table = tableName(values[0]);
  rows.count = 0;
  const std::string select = "SELECT * FROM '" + escaped(values[0]) + "'";
  return ref.exec(context.db, select.c_str(), printRow, &rows, nullptr) == 0 ? 0 : 1;
}

bool dump(void* db, const std::vector<std::string>& tables, State& s) {
  DumpContext context{db, &s};
  std::printf("BEGIN TRANSACTION;\n");
  std::vector<std::string> queries;
  const std::string base = "SELECT name, type, sql FROM sqlite_master WHERE ";
  const std::string order = " AND type!='meta' AND sql NOT NULL ORDER BY substr(type,2,1), name";
  if (tables.empty()) queries.push_back(base + "1" + order);
  for (const std::string& t : tables)
    queries.push_back(base + "tbl_name LIKE '" + escaped(t) + "'" + order);
  for (const std::string& query : queries) {
    char* error = nullptr;
    if (ref.exec(db, query.c_str(), dumpObject, &context, &error) != 0) {
      std::fprintf(stderr, "Error: %s\n", error ? error : "dump failed");
      return false;
    }
  }
  std::printf("COMMIT;\n");
  return true;
}

bool tables(void* db, const char* pattern) {
  const std::string like = pattern ? " AND name LIKE '%" + escaped(pattern) + "%'" : "";
  const std::string sql = "SELECT name FROM sqlite_master WHERE type IN ('table','view')" + like +
                          " UNION ALL SELECT name FROM sqlite_temp_master WHERE type IN "
                          "('table','view')" +
                          like + " ORDER BY 1";
  char** result = nullptr;
  int rows = 0;
  if (ref.get_table(db, sql.c_str(), &result, &rows, nullptr, nullptr) != 0) return false;
  int widest = 0;
  for (int i = 1; i <= rows; ++i)
    widest = std::max(widest, static_cast<int>(std::strlen(result[i])));
  const int columns = std::max(1, 80 / (widest + 2));
  const int lines = (rows + columns - 1) / columns;
  for (int i = 0; i < lines; ++i) {
    for (int j = i + 1; j <= rows; j += lines)
      std::printf("%s%-*s", j <= lines ? "" : "  ", widest, result[j]);
    std::printf("\n");
  }
  ref.free_table(result);
  return true;
}

bool command(void* db, const std::vector<std::string>& w, State& s) {
  const std::string& c = w[0];
  if (c == ".mode") {
    const char* names[] = {"list", "line", "column", "html", "insert", "semi"};
    for (int i = 0; i < 6; ++i) {
      if (w[1] == names[i]) s.mode = static_cast<Mode>(i);
    }
    if (s.mode == Mode::kInsert) s.table = w.size() > 2 ? tableName(w[2]) : "table";
    return true;
  }
  if (c == ".headers") return s.header = w[1] == "on", true;
  if (c == ".separator") return s.separator = w[1], true;
  if (c == ".nullvalue") return s.nullValue = w[1], true;
  if (c == ".width") {
    s.widths.clear();
    for (size_t i = 1; i < w.size(); ++i) s.widths.push_back(std::atoi(w[i].c_str()));
    return true;
  }
  if (c == ".dump") return dump(db, std::vector<std::string>(w.begin() + 1, w.end()), s);
  if (c == ".tables") return tables(db, w.size() > 1 ? w[1].c_str() : nullptr);
  State semi = s;
  semi.mode = w[0] == ".schema" ? Mode::kSemi : Mode::kList;
  semi.header = false;
  if (c == ".schema" && w.size() == 1) {
    return run(db,
               "SELECT sql FROM (SELECT * FROM sqlite_master UNION ALL SELECT * FROM "
               "sqlite_temp_master) WHERE type!='meta' AND sql NOTNULL ORDER BY "
               "substr(type,2,1), name",
               semi);
  }
  const std::string t = w.size() > 1 ? escaped(w[1]) : "";
  if (c == ".schema") {
    return run(db,
               "SELECT sql FROM (SELECT * FROM sqlite_master UNION ALL SELECT * FROM "
               "sqlite_temp_master) WHERE tbl_name LIKE '" +
                   t +
                   "' AND type!='meta' AND "
                   "sql NOTNULL ORDER BY type DESC, name",
               semi);
  }
  if (c == ".indices") {
    return run(db,
               "SELECT name FROM sqlite_master WHERE type='index' AND tbl_name LIKE '" + t +
                   "' UNION ALL SELECT name FROM sqlite_temp_master WHERE type='index' AND "
                   "tbl_name LIKE '" +
                   t + "' ORDER BY 1",
               semi);
  }
  std::fprintf(stderr, "sqlite2-ref-shell: unknown command %s\n", c.c_str());
  return false;
}

std::vector<std::string> words(const std::string& line) {
  std::vector<std::string> out;
  size_t at = 0;
  while ((at = line.find_first_not_of(' ', at)) != std::string::npos) {
    const size_t end = line.find(' ', at);
    out.push_back(line.substr(at, end == std::string::npos ? end : end - at));
    at = end;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  char why[512];
  if (argc < 2) return std::fprintf(stderr, "usage: sqlite2-ref-shell FILE ARG ...\n"), 2;
  if (sqlite2_reference_load(&ref, nullptr, why, sizeof why) != 0) {
    return std::fprintf(stderr, "%s\n", why), 2;
  }
  char* error = nullptr;
  void* db = ref.open(argv[1], 0, &error);
  if (!db) return std::fprintf(stderr, "cannot open %s: %s\n", argv[1], error ? error : ""), 2;
  State state;
  int status = 0;
  for (int i = 2; i < argc && status == 0; ++i) {
    const std::string arg = argv[i];
    const bool ok = arg[0] == '.' ? command(db, words(arg), state) : run(db, arg, state);
    status = ok ? 0 : 1;
  }
  std::fflush(stdout);
  ref.close(db);
  return status;
}
