// Times .dump of a plugin file of 10,000 categories and 100,000 videos, as a user runs it:
//   orvalen-sql FILE .dump      against      sqlite2-ref-shell FILE .dump
// (the reference SQLite 2.8 library behind SQLite 2.8's shell's dump), both writing to a
// file. The plugin file is written once by the reference engine and copied for each side.
//
//   orvalen-dump-bench [videos [rounds]]
//
// Rounds alternate who goes first. Prints each round's wall and CPU times and the ratios
// ours/reference (lower is better; the goal is at most 0.5 on the wall time), the medians, and
// whether the two dumps are the same text. Exits 2 when the median ratio misses the goal, 1 when
// something fails.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sqlite2_reference.h"

extern char** environ;

namespace {

constexpr double kGoal = 0.5;
constexpr int kCategories = 10000;

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void exec(const sqlite2_reference& ref, void* db, const std::string& sql) {
  char* error = nullptr;
  if (ref.exec(db, sql.c_str(), nullptr, nullptr, &error) != 0) {
    throw std::runtime_error("reference engine: " + std::string(error ? error : "failed"));
  }
}

// A plugin file as the editor leaves it: GBK names, now and then a quote, URLs.
void makePluginFile(const sqlite2_reference& ref, const std::string& path, int videos) {
  char* error = nullptr;
  void* db = ref.open(path.c_str(), 0, &error);
  if (!db) throw std::runtime_error("cannot make " + path);
  exec(ref, db,
       "BEGIN;"
       "CREATE TABLE tb_type_list(id INTEGER PRIMARY KEY, parentid integer, ItemText "
       "varchar(256));"
       "CREATE TABLE tb_item_list(id INTEGER PRIMARY KEY, parentid integer, ItemText "
       "varchar(256), itemUrl varchar(256), itemImageUrl varchar(256));");
  for (int i = 1; i <= kCategories; ++i) {
    const std::string quote = i % 97 == 0 ? " ''best''" : "";
    exec(ref, db,
         "INSERT INTO tb_type_list VALUES(" + std::to_string(i) + "," +
             std::to_string(i <= 20 ? -1 : (i * 7919) % (i - 1) + 1) + ",'\xca\xd3\xc6\xb5 " +
             std::to_string(i) + quote + "');");
  }
  for (int i = 1; i <= videos; ++i) {
    const std::string n = std::to_string(i);
    exec(ref, db,
         "INSERT INTO tb_item_list VALUES(" + n + "," + std::to_string(1 + (i * 31) % kCategories) +
             ",'\xca\xd3\xc6\xb5 " + n + "','http://media.example.invalid/videos/" + n +
             "/stream.m3u8','http://media.example.invalid/images/" + n + ".jpg');");
  }
  exec(ref, db, "CREATE INDEX item_parent ON tb_item_list(parentid); COMMIT;");
  ref.close(db);
}

struct Timing {
  double wallMs = 0;
  double cpuMs = 0;  // user and system
};

// Runs "program database .dump" with its output into outputPath.
Timing timeDump(const std::string& program, const std::string& database,
                const std::string& outputPath) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::string> words = {program, database, ".dump"};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot run " + program);
  int status = 0;
  struct rusage usage {};
  if (wait4(child, &status, 0, &usage) != child) throw std::runtime_error("wait4 failed");
  Timing timing;
  timing.wallMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  auto milliseconds = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
  timing.cpuMs = milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error(program + " .dump failed");
  }
  return timing;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int videos = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
  sqlite2_reference ref;
  char why[512];
  if (sqlite2_reference_load(&ref, nullptr, why, sizeof why) != 0) {
    std::fprintf(stderr, "%s\n", why);
    return 1;
  }
  char directory[] = "/tmp/orvalen-dump-bench-XXXXXX";
  if (!mkdtemp(directory)) return std::perror("mkdtemp"), 1;
  const std::string base = directory;
  const std::string ours = base + "/ours.vdb", theirs = base + "/reference.vdb";
  const std::string ourDump = base + "/ours.sql", theirDump = base + "/reference.sql";
  int status = 0;
  try {
    makePluginFile(ref, theirs, videos);
    std::ofstream(ours, std::ios::binary) << slurp(theirs);
    std::vector<double> ourWall, theirWall, ourCpu, theirCpu;
    for (int round = 0; round < rounds; ++round) {
      Timing our, their;
      if (round % 2 == 0) {
        our = timeDump(ORVALEN_SQL_BINARY, ours, ourDump);
        their = timeDump(REFERENCE_SHELL_BINARY, theirs, theirDump);
      } else {
        their = timeDump(REFERENCE_SHELL_BINARY, theirs, theirDump);
        our = timeDump(ORVALEN_SQL_BINARY, ours, ourDump);
      }
      ourWall.push_back(our.wallMs);
      theirWall.push_back(their.wallMs);
      ourCpu.push_back(our.cpuMs);
      theirCpu.push_back(their.cpuMs);
      std::printf(
          "round %d: wall ours %6.1f ms, reference %6.1f ms, ratio %.2f; cpu ours %6.1f ms, "
          "reference %6.1f ms, ratio %.2f\n",
          round + 1, our.wallMs, their.wallMs, our.wallMs / their.wallMs, our.cpuMs, their.cpuMs,
          our.cpuMs / their.cpuMs);
    }
    const double ratio = median(ourWall) / median(theirWall);
    std::printf("\n.dump of %d categories and %d videos:\n", kCategories, videos);
    std::printf("wall: median ours %.1f ms, reference %.1f ms, ratio %.2f (goal at most %.1f)\n",
                median(ourWall), median(theirWall), ratio, kGoal);
    std::printf("cpu:  median ours %.1f ms, reference %.1f ms, ratio %.2f\n", median(ourCpu),
                median(theirCpu), median(ourCpu) / median(theirCpu));
    const bool same = slurp(ourDump) == slurp(theirDump);
    std::printf("the two dumps are %s\n", same ? "the same text" : "DIFFERENT");
    if (!same)
      status = 1;
    else if (ratio > kGoal)
      status = 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "benchmark failed: %s\n", error.what());
    status = 1;
  }
  for (const std::string& path : {ours, theirs, ourDump, theirDump}) std::remove(path.c_str());
  rmdir(directory);
  return status;
}
