// Times loading an SQL dump through the two shells, as a user would, both ways:
//   orvalen-sql FILE < dump.sql                 against   sqlite2-ref FILE < dump.sql
//   sqlite3 copy.db .dump | orvalen-sql FILE    against   sqlite3 copy.db .dump | sqlite2-ref FILE
// The dump is a plugin file's: 10,000 categories and 100,000 videos, one INSERT a row, all in
// one transaction, as the shell's dump writes it. The pipe is fed by SQLite 3's shell dumping a
// copy of the same rows (the README's way from SQLite 3 back to SQLite 2), or, where sqlite3 is
// not installed, by a process copying the dump file into it.
//
//   orvalen-dump-load-bench [categories videos [rounds]]
//
// ORVALEN_SQL in the environment names another orvalen-sql to time (an older build, say).
// Each round loads the dump into a fresh file with each shell, each way, who goes first
// alternating, so that both meet the same moods of the machine. Prints each round's wall and
// CPU times (the shell's own, without the writer's) and their ratios ours/reference (lower is
// better; the goal is at most 0.5 on the wall time, both ways), the medians and the ratios'
// range over the rounds, and the files' page counts. Afterwards the reference engine checks
// our file and must find the same rows as in its own. Exits 2 when a median wall ratio misses
// the goal, 1 when something fails.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr double kGoal = 0.5;

struct Timing {
  double wallMs = 0;
  double cpuMs = 0;  // user and system
};

std::string referenceHome() {
  if (const char* given = std::getenv("SQLITE2_REF_HOME"); given && *given) return given;
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache) {
    return std::string(cache) + "/sqlite2-reference";
  }
  const char* user = std::getenv("HOME");
  return std::string(user ? user : ".") + "/.cache/sqlite2-reference";
}

// Texts as plugin files hold them: GBK bytes, now and then a quote (doubled in SQL).
std::string categoryName(int number) {
  std::string name = "\xca\xd3\xc6\xb5\xb7\xd6\xc0\xe0 " + std::to_string(number);
  return number % 97 == 0 ? name + " ''best''" : name;
}

void writeDump(const std::string& path, int categories, int videos) {
  std::FILE* out = std::fopen(path.c_str(), "w");
  if (!out) throw std::runtime_error("cannot write " + path);
  std::mt19937 rng(2024);
  std::fputs(
      "BEGIN TRANSACTION;\n"
      "CREATE TABLE tb_type_list(id INTEGER PRIMARY KEY, parentid integer, ItemText "
      "varchar(256));\n",
      out);
  for (int i = 1; i <= categories; ++i) {
    const int parent = i <= 20 ? -1 : 1 + static_cast<int>(rng() % (i - 1));
    std::fprintf(out, "INSERT INTO tb_type_list VALUES(%d,%d,'%s');\n", i, parent,
                 categoryName(i).c_str());
  }
  std::fputs(
      "CREATE TABLE tb_item_list(id INTEGER PRIMARY KEY, parentid integer, ItemText "
      "varchar(256), itemUrl varchar(256), itemImageUrl varchar(256));\n",
      out);
  for (int i = 1; i <= videos; ++i) {
    const int category = 1 + static_cast<int>(rng() % categories);
    std::fprintf(out,
                 "INSERT INTO tb_item_list VALUES(%d,%d,'\xca\xd3\xc6\xb5 %d',"
                 "'http://media.example.invalid/videos/%d/stream.m3u8',"
                 "'http://media.example.invalid/images/%d.jpg');\n",
                 i, category, i, i, i);
  }
  std::fputs("COMMIT;\n", out);
  if (std::fclose(out) != 0) throw std::runtime_error("cannot write " + path);
}

// Where a shell's standard input comes from: the dump file itself, or a pipe that `writer`
// (a command line) fills.
struct Input {
  std::string file;
  std::vector<std::string> writer;
};

pid_t start(const std::vector<std::string>& command, int in, int out) {
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    if (dup2(in, STDIN_FILENO) < 0 || dup2(out, STDOUT_FILENO) < 0) _exit(127);
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    for (int descriptor = 3; descriptor < 64; ++descriptor) close(descriptor);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return child;
}

// Waits for the child; its CPU time in ms, or a throw when it failed.
double finish(pid_t child, const std::string& what) {
  int status = 0;
  struct rusage usage {};
  if (wait4(child, &status, 0, &usage) != child) throw std::runtime_error("wait4 failed");
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(what + " failed");
  auto milliseconds = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
  return milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime);
}

// Runs the shell on the database file with the input on its standard input; its output is
// dropped, a failure throws.
Timing runShell(const std::string& shell, const std::string& database, const Input& input) {
  const int null = open("/dev/null", O_WRONLY);
  int pipeEnds[2] = {-1, -1};
  if (null < 0 || (!input.writer.empty() && pipe(pipeEnds) != 0)) {
    throw std::runtime_error("cannot set up the shell's input");
  }
  const auto begin = std::chrono::steady_clock::now();
  pid_t writer = -1;
  int in = -1;
  if (input.writer.empty()) {
    in = open(input.file.c_str(), O_RDONLY);
  } else {
    const int nothing = open("/dev/null", O_RDONLY);
    writer = start(input.writer, nothing, pipeEnds[1]);
    close(nothing);
    close(pipeEnds[1]);
    in = pipeEnds[0];
  }
  const pid_t child = start({shell, database}, in, null);
  close(in);
  close(null);
  Timing timing;
  timing.cpuMs = finish(child, shell);
  if (writer > 0) finish(writer, input.writer[0]);
  timing.wallMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
  return timing;
}

bool installed(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// What the reference shell prints for the SQL on the file.
std::string referenceAnswer(const std::string& shell, const std::string& database,
                            const std::string& sql) {
  const std::string command = "'" + shell + "' '" + database + "' \"" + sql + "\"";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) throw std::runtime_error("popen failed");
  std::string answer;
  char buffer[4096];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    answer.append(buffer, got);
  }
  pclose(pipe);
  return answer;
}

long pageCount(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? static_cast<long>(status.st_size / 1024) : -1;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void printRatios(const char* what, const std::vector<double>& ours,
                 const std::vector<double>& reference) {
  std::vector<double> ratios;
  for (size_t i = 0; i < ours.size(); ++i) ratios.push_back(ours[i] / reference[i]);
  std::printf("%-6s median ours %8.1f ms, reference %8.1f ms, ratio %.2f (rounds %.2f-%.2f)\n",
              what, median(ours), median(reference), median(ours) / median(reference),
              *std::min_element(ratios.begin(), ratios.end()),
              *std::max_element(ratios.begin(), ratios.end()));
}

}  // namespace

// The timings of one way of feeding the dump, over the rounds.
struct Way {
  const char* name;
  Input input;
  std::vector<double> ourWall, referenceWall, ourCpu, referenceCpu;
};

// Loads the dump into fresh files with both shells, the given one first; then the reference
// checks that both files hold the same rows.
int loadBoth(Way& way, const std::string& ourShell, const std::string& referenceShell,
             const std::string& ours, const std::string& theirs, bool oursFirst) {
  std::remove(ours.c_str());
  std::remove(theirs.c_str());
  Timing our, reference;
  if (oursFirst) {
    our = runShell(ourShell, ours, way.input);
    reference = runShell(referenceShell, theirs, way.input);
  } else {
    reference = runShell(referenceShell, theirs, way.input);
    our = runShell(ourShell, ours, way.input);
  }
  way.ourWall.push_back(our.wallMs);
  way.referenceWall.push_back(reference.wallMs);
  way.ourCpu.push_back(our.cpuMs);
  way.referenceCpu.push_back(reference.cpuMs);
  std::printf(
      "%-5s wall ours %7.1f ms, reference %7.1f ms, ratio %.2f; cpu ours %7.1f ms, "
      "reference %7.1f ms, ratio %.2f\n",
      way.name, our.wallMs, reference.wallMs, our.wallMs / reference.wallMs, our.cpuMs,
      reference.cpuMs, our.cpuMs / reference.cpuMs);
  const std::string check =
      "PRAGMA integrity_check; SELECT count(*), sum(parentid) FROM tb_type_list; "
      "SELECT count(*), sum(parentid), max(length(itemUrl)) FROM tb_item_list;";
  const std::string ourAnswer = referenceAnswer(referenceShell, ours, check);
  if (ourAnswer != referenceAnswer(referenceShell, theirs, check) ||
      ourAnswer.rfind("ok\n", 0) != 0) {
    std::fprintf(stderr, "our file differs from the reference's:\n%s", ourAnswer.c_str());
    return 1;
  }
  return 0;
}

// Prints the way's medians; 2 when its wall ratio misses the goal.
int report(const Way& way) {
  std::printf("\n%s:\n", way.name);
  printRatios("wall", way.ourWall, way.referenceWall);
  printRatios("cpu", way.ourCpu, way.referenceCpu);
  const double ratio = median(way.ourWall) / median(way.referenceWall);
  if (ratio <= kGoal) return 0;
  std::printf("wall ratio %.2f is over the goal of %.2f\n", ratio, kGoal);
  return 2;
}

int main(int argc, char** argv) {
  const int categories = argc > 2 ? std::max(1, std::atoi(argv[1])) : 10000;
  const int videos = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100000;
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  const char* otherShell = std::getenv("ORVALEN_SQL");
  const std::string ourShell = otherShell && *otherShell ? otherShell : ORVALEN_SQL_BINARY;
  const std::string referenceShell = referenceHome() + "/bin/sqlite2-ref";
  if (access(referenceShell.c_str(), X_OK) != 0) {
    std::fprintf(stderr, "reference shell missing: %s (run shared/sqlite2-reference/setup)\n",
                 referenceShell.c_str());
    return 1;
  }
  char directory[] = "/tmp/orvalen-dump-load-bench-XXXXXX";
  if (!mkdtemp(directory)) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string dump = std::string(directory) + "/dump.sql";
  const std::string copy = std::string(directory) + "/copy.db";
  const std::string ours = std::string(directory) + "/ours.vdb";
  const std::string theirs = std::string(directory) + "/reference.vdb";
  int status = 0;
  try {
    writeDump(dump, categories, videos);
    std::vector<std::string> writer = {"cat", dump};
    if (installed("sqlite3") &&
        std::system(("sqlite3 '" + copy + "' < '" + dump + "'").c_str()) == 0) {
      writer = {"sqlite3", copy, ".dump"};
    }
    std::printf("dump: %d inserts in one transaction, %.1f MB; %d rounds; the pipe fed by %s\n\n",
                categories + videos, static_cast<double>(pageCount(dump)) / 1024, rounds,
                writer[0].c_str());
    Way file{"file", {dump, {}}, {}, {}, {}, {}};
    Way pipe{"pipe", {"", writer}, {}, {}, {}, {}};
    for (int round = 0; round < rounds && status == 0; ++round) {
      std::printf("round %d:\n", round + 1);
      for (Way* way : {&file, &pipe}) {
        status = std::max(status,
                          loadBoth(*way, ourShell, referenceShell, ours, theirs, round % 2 == 0));
      }
    }
    if (status == 0) {
      const int fileStatus = report(file);
      status = std::max(fileStatus, report(pipe));
      std::printf("pages: ours %ld, reference %ld\n", pageCount(ours), pageCount(theirs));
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "benchmark failed: %s\n", error.what());
    status = 1;
  }
  for (const std::string& path :
       {dump, copy, ours, theirs, ours + "-journal", theirs + "-journal"}) {
    std::remove(path.c_str());
  }
  rmdir(directory);
  return status;
}
