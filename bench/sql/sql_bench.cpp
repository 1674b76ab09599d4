// Times the plugin catalogue's work through Orvalen's engine and the reference SQLite 2.8, each
// through its C interface, on copies of one plugin file with 10,000 categories and 100,000
// videos. Each engine runs in a child process of its own, so that its peak memory is its own.
//
//   orvalen-sql-bench [categories videos [rounds]]
//
// The engines take turns for a number of rounds (3 by default), each round on fresh copies of
// the file. Prints, per operation, the median time of each engine over all rounds and the
// ratio ours/reference (lower is better; the goal is at most 1.0), then each engine's peak
// resident memory.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine_calls.h"

namespace {

using orvalen::test::EngineCalls;

struct Measurement {
  std::string operation;
  double milliseconds = 0;  // median of the runs
};

struct EngineReport {
  std::vector<Measurement> measurements;
  long baseKilobytes = 0;
  long peakKilobytes = 0;
  bool ok = false;
  std::string failure;
};

long statusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
  }
  return 0;
}

void check(const EngineCalls& engine, int rc, char* message, const std::string& what) {
  if (rc == 0) return;
  std::string text = what + ": rc " + std::to_string(rc) + " " + (message ? message : "");
  engine.freemem(message);
  throw std::runtime_error(text);
}

void exec(const EngineCalls& engine, void* db, const std::string& sql) {
  char* message = nullptr;
  check(engine, engine.exec(db, sql.c_str(), nullptr, nullptr, &message), message, sql);
}

int queryRows(const EngineCalls& engine, void* db, const std::string& sql) {
  char** result = nullptr;
  int rows = 0;
  int columns = 0;
  char* message = nullptr;
  check(engine, engine.get_table(db, sql.c_str(), &result, &rows, &columns, &message), message,
        sql);
  engine.free_table(result);
  return rows;
}

template <typename... Args>
std::string format(const EngineCalls& engine, const char* pattern, Args... args) {
  char* text = engine.mprintf(pattern, args...);
  std::string copy = text;
  engine.freemem(text);
  return copy;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double timeOnce(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// The plugin file: categories in a tree (every parent before its children), videos spread
// over the categories, texts of the usual sizes with GBK bytes in them.
void makePluginFile(const EngineCalls& engine, const std::string& path, int categories,
                    int videos) {
  char* message = nullptr;
  void* db = engine.open(path.c_str(), 0, &message);
  if (!db) throw std::runtime_error(std::string("open: ") + (message ? message : ""));
  std::mt19937 rng(2024);
  exec(engine, db,
       "CREATE TABLE tb_type_list(id INTEGER PRIMARY KEY, parentid integer, ItemText varchar(256));"
       "CREATE TABLE tb_item_list(id INTEGER PRIMARY KEY, parentid integer, ItemText varchar(256), "
       "itemUrl varchar(256), itemImageUrl varchar(256));"
       "BEGIN;");
  for (int i = 1; i <= categories; ++i) {
    const int parent = i <= 20 ? -1 : 1 + static_cast<int>(rng() % (i - 1));
    exec(engine, db,
         format(engine, "insert into tb_type_list (parentid, ItemText) values(%d, '%q %d');",
                parent, "\xca\xd3\xc6\xb5\xb7\xd6\xc0\xe0", i));
  }
  for (int i = 1; i <= videos; ++i) {
    const int category = 1 + static_cast<int>(rng() % categories);
    exec(engine, db,
         format(engine,
                "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) "
                "values(%d, 'Video %d', 'http://media.example.invalid/videos/%d/stream.m3u8', "
                "'http://media.example.invalid/images/%d.jpg');",
                category, i, i, i));
  }
  exec(engine, db, "COMMIT;");
  engine.close(db);
}

// The catalogue's operations, as the editor issues them.
std::vector<Measurement> runOperations(const EngineCalls& engine, const std::string& path,
                                       int categories, int videos) {
  char* message = nullptr;
  void* db = engine.open(path.c_str(), 0, &message);
  if (!db) throw std::runtime_error(std::string("open: ") + (message ? message : ""));
  engine.busy_timeout(db, 60000);
  std::vector<Measurement> results;
  auto measure = [&](const std::string& name, int runs, const std::function<void(int)>& work) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) times.push_back(timeOnce([&] { work(run); }));
    results.push_back({name, median(times)});
  };

  measure("load all categories", 7, [&](int) {
    if (queryRows(engine, db, "select * from tb_type_list order by id;") != categories) {
      throw std::runtime_error("wrong category count");
    }
  });
  measure("select one category's videos", 7, [&](int run) {
    queryRows(engine, db,
              format(engine, "select * from tb_item_list where parentid=%d order by id;",
                     1 + run * 997 % categories));
  });
  measure("insert a video", 41, [&](int run) {
    exec(engine, db,
         format(engine,
                "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) "
                "values(%d, '%q', '%q', '%q');",
                7, "New video's name", "http://media.example.invalid/new.m3u8", ""));
    (void)run;
  });
  measure("update a video by id", 41, [&](int run) {
    exec(engine, db,
         format(
             engine,
             "update tb_item_list set itemText='%q', itemUrl='%q', itemImageUrl='%q' where id=%d;",
             "Renamed", "http://media.example.invalid/renamed.m3u8", "img",
             1 + run * 2311 % videos));
  });
  measure("delete a video by id", 41, [&](int run) {
    exec(engine, db,
         format(engine, "delete from tb_item_list where id=%d;", 1 + run * 2357 % videos));
  });
  measure("delete a category's videos", 7, [&](int run) {
    exec(engine, db,
         format(engine, "delete from tb_item_list where parentid=%d;",
                11 + run * 1009 % categories));
  });
  engine.close(db);
  return results;
}

// Runs the operations in a child process and reads back its report.
EngineReport runInChild(const std::function<const EngineCalls&()>& engineLoader,
                        const std::string& path, int categories, int videos) {
  int channel[2];
  if (pipe(channel) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    std::ostringstream out;
    try {
      const EngineCalls& engine = engineLoader();
      out << "base " << statusKilobytes("VmRSS:") << "\n";
      for (const Measurement& m : runOperations(engine, path, categories, videos)) {
        out << "op " << m.milliseconds << " " << m.operation << "\n";
      }
      out << "peak " << statusKilobytes("VmHWM:") << "\n";
    } catch (const std::exception& error) {
      out << "fail " << error.what() << "\n";
    }
    const std::string text = out.str();
    if (write(channel[1], text.data(), text.size()) < 0) _exit(1);
    _exit(0);
  }
  close(channel[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  close(channel[0]);
  waitpid(child, nullptr, 0);

  EngineReport report;
  std::istringstream lines(text);
  for (std::string word; lines >> word;) {
    if (word == "base") {
      lines >> report.baseKilobytes;
    } else if (word == "peak") {
      lines >> report.peakKilobytes;
      report.ok = true;
    } else if (word == "op") {
      Measurement m;
      lines >> m.milliseconds;
      std::getline(lines >> std::ws, m.operation);
      report.measurements.push_back(m);
    } else if (word == "fail") {
      std::getline(lines >> std::ws, report.failure);
    }
  }
  return report;
}

// Per operation, the median over the rounds of each round's median; the highest peak.
EngineReport combineRounds(const std::vector<EngineReport>& rounds) {
  EngineReport combined = rounds.front();
  for (size_t op = 0; op < combined.measurements.size(); ++op) {
    std::vector<double> times;
    for (const EngineReport& round : rounds) times.push_back(round.measurements[op].milliseconds);
    combined.measurements[op].milliseconds = median(times);
  }
  for (const EngineReport& round : rounds) {
    combined.peakKilobytes = std::max(combined.peakKilobytes, round.peakKilobytes);
    combined.baseKilobytes = std::min(combined.baseKilobytes, round.baseKilobytes);
  }
  return combined;
}

const EngineCalls& referenceCalls() {
  static EngineCalls calls;
  static bool loaded = false;
  if (!loaded) {
    char why[512] = "";
    if (sqlite2_reference_load(&calls, nullptr, why, sizeof why) != 0)
      throw std::runtime_error(why);
    loaded = true;
  }
  return calls;
}

void copyFile(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  out << in.rdbuf();
}

}  // namespace

int main(int argc, char** argv) {
  const int categories = argc > 2 ? std::atoi(argv[1]) : 10000;
  const int videos = argc > 2 ? std::atoi(argv[2]) : 100000;
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  char directory[] = "/tmp/orvalen-sql-bench-XXXXXX";
  if (!mkdtemp(directory)) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string made = std::string(directory) + "/made.vdb";
  const std::string ours = std::string(directory) + "/ours.vdb";
  const std::string theirs = std::string(directory) + "/reference.vdb";
  int status = 0;
  try {
    // The file is made by the reference engine in its own process, so that neither engine's
    // measurements start with the other's memory.
    const double makeMs = timeOnce([&] {
      const pid_t child = fork();
      if (child == 0) {
        try {
          makePluginFile(referenceCalls(), made, categories, videos);
          _exit(0);
        } catch (const std::exception& error) {
          std::fprintf(stderr, "making the plugin file failed: %s\n", error.what());
          _exit(1);
        }
      }
      int childStatus = 0;
      waitpid(child, &childStatus, 0);
      if (!WIFEXITED(childStatus) || WEXITSTATUS(childStatus) != 0)
        throw std::runtime_error("no plugin file");
    });
    std::ifstream size(made, std::ios::binary | std::ios::ate);
    std::printf(
        "plugin file: %d categories, %d videos, %.1f MB, made by the reference in %.1f s; %d "
        "rounds\n",
        categories, videos, static_cast<double>(size.tellg()) / 1e6, makeMs / 1000, rounds);

    std::vector<EngineReport> ourRounds;
    std::vector<EngineReport> referenceRounds;
    for (int round = 0; round < rounds; ++round) {
      copyFile(made, ours);
      copyFile(made, theirs);
      auto runOurs = [&] {
        ourRounds.push_back(
            runInChild([]() -> const EngineCalls& { return orvalen::test::ourEngineCalls(); }, ours,
                       categories, videos));
      };
      auto runReference = [&] {
        referenceRounds.push_back(runInChild(referenceCalls, theirs, categories, videos));
      };
      // Alternating who goes first spreads the machine's moods over both.
      if (round % 2 == 0) {
        runOurs();
        runReference();
      } else {
        runReference();
        runOurs();
      }
      if (!ourRounds.back().ok || !referenceRounds.back().ok) {
        std::fprintf(stderr, "benchmark failed: ours: %s; reference: %s\n",
                     ourRounds.back().failure.c_str(), referenceRounds.back().failure.c_str());
        return 1;
      }
    }
    const EngineReport ourReport = combineRounds(ourRounds);
    const EngineReport referenceReport = combineRounds(referenceRounds);
    std::printf("\n%-30s %12s %15s %16s\n", "operation (median)", "ours (ms)", "reference (ms)",
                "ours/reference");
    for (size_t i = 0; i < ourReport.measurements.size(); ++i) {
      const Measurement& o = ourReport.measurements[i];
      const Measurement& r = referenceReport.measurements[i];
      const double ratio = o.milliseconds / r.milliseconds;
      std::printf("%-30s %12.3f %15.3f %16.2f%s\n", o.operation.c_str(), o.milliseconds,
                  r.milliseconds, ratio, ratio > 1.0 ? "  over target" : "");
      if (ratio > 1.0) status = 2;
    }
    std::printf(
        "\npeak resident memory: ours %.1f MB (%.1f MB above its start), reference %.1f MB "
        "(%.1f MB above its start)\n",
        ourReport.peakKilobytes / 1024.0,
        (ourReport.peakKilobytes - ourReport.baseKilobytes) / 1024.0,
        referenceReport.peakKilobytes / 1024.0,
        (referenceReport.peakKilobytes - referenceReport.baseKilobytes) / 1024.0);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "benchmark failed: %s\n", error.what());
    status = 1;
  }
  for (const char* name : {"/made.vdb", "/ours.vdb", "/reference.vdb"}) {
    std::remove((std::string(directory) + name).c_str());
  }
  rmdir(directory);
  return status;
}
