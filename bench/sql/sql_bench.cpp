// Times the plugin catalogue's work, and queries over the whole catalogue (grouping, a join,
// a LIKE search), through Orvalen's engine and the reference SQLite 2.8, each through its C
// interface, on copies of one plugin file with 10,000 categories and 100,000 videos. Each
// engine runs in a child process of its own, so that its peak memory is its own. A query that
// returns a different number of rows from the reference's stops the run.
//
//   orvalen-sql-bench [categories videos [rounds]]
//
// A round gives each engine a fresh copy of the file; the engines then take turns run by run
// (who goes first alternating), so that both meet the same moods of the machine: a write's
// time is mostly the disk's syncs, which drift. Prints, per operation, the median over the
// rounds of each engine's median run and the ratio ours/reference (lower is better; the goal
// is at most 1.0) with its range over the rounds, then each engine's peak resident memory.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
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

// Genres in video names, GBK as the plugin files hold them: kung fu (searched for below),
// film, animation, documentary, sports, music, news, variety.
constexpr const char* kGenres[] = {
    "\xb9\xa6\xb7\xf2", "\xb5\xe7\xd3\xb0", "\xb6\xaf\xbb\xad", "\xbc\xcd\xc2\xbc\xc6\xac",
    "\xcc\xe5\xd3\xfd", "\xd2\xf4\xc0\xd6", "\xd0\xc2\xce\xc5", "\xd7\xdb\xd2\xd5",
};

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
    const char* genre = kGenres[rng() % (sizeof kGenres / sizeof kGenres[0])];
    // Names repeat now and then, as in real catalogues: a genre and an episode number.
    const int episode = 1 + static_cast<int>(rng() % (videos / 4 + 1));
    exec(engine, db,
         format(engine,
                "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) "
                "values(%d, '%q %d', 'http://media.example.invalid/videos/%d/stream.m3u8', "
                "'http://media.example.invalid/images/%d.jpg');",
                category, genre, episode, i, i));
  }
  exec(engine, db, "COMMIT;");
  engine.close(db);
}

// One of the catalogue's operations, as the editor issues it, or a query that a user types into
// orvalen-sql; run counts from 0. The work gives the rows a query returned (0 for statements),
// so that the two engines' answers can be compared.
struct Operation {
  std::string name;
  int runs;
  std::function<int(const EngineCalls&, void* db, int run)> work;
};

std::vector<Operation> catalogueOperations(int categories, int videos) {
  return {
      {"load all categories", 7,
       [categories](const EngineCalls& engine, void* db, int) {
         const int rows = queryRows(engine, db, "select * from tb_type_list order by id;");
         if (rows != categories) throw std::runtime_error("wrong category count");
         return rows;
       }},
      {"select one category's videos", 7,
       [categories](const EngineCalls& engine, void* db, int run) {
         return queryRows(
             engine, db,
             format(engine, "select * from tb_item_list where parentid=%d order by id;",
                    1 + run * 997 % categories));
       }},
      {"insert a video", 41,
       [](const EngineCalls& engine, void* db, int) {
         exec(engine, db,
              format(engine,
                     "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) "
                     "values(%d, '%q', '%q', '%q');",
                     7, "New video's name", "http://media.example.invalid/new.m3u8", ""));
         return 0;
       }},
      {"update a video by id", 41,
       [videos](const EngineCalls& engine, void* db, int run) {
         exec(engine, db,
              format(engine,
                     "update tb_item_list set itemText='%q', itemUrl='%q', itemImageUrl='%q' "
                     "where id=%d;",
                     "Renamed", "http://media.example.invalid/renamed.m3u8", "img",
                     1 + run * 2311 % videos));
         return 0;
       }},
      {"delete a video by id", 41,
       [videos](const EngineCalls& engine, void* db, int run) {
         exec(engine, db,
              format(engine, "delete from tb_item_list where id=%d;", 1 + run * 2357 % videos));
         return 0;
       }},
      {"delete a category's videos", 7,
       [categories](const EngineCalls& engine, void* db, int run) {
         exec(engine, db,
              format(engine, "delete from tb_item_list where parentid=%d;",
                     11 + run * 1009 % categories));
         return 0;
       }},
  };
}

// Queries over the whole catalogue, as a user types them into orvalen-sql. They run before the
// catalogue's writes, on the file as made.
std::vector<Operation> catalogueQueries() {
  const auto query = [](std::string sql) {
    return [sql](const EngineCalls& engine, void* db, int) { return queryRows(engine, db, sql); };
  };
  return {
      {"group by name, having", 5,
       query("select ItemText, count(*) from tb_item_list group by ItemText "
             "having count(*) > 1;")},
      {"group by category", 5,
       query("select parentid, count(*), min(id), max(id) from tb_item_list "
             "group by parentid;")},
      {"join videos to categories", 5,
       query("select c.ItemText, v.ItemText from tb_item_list v, tb_type_list c "
             "where v.parentid = c.id;")},
      {"like search in names", 5,
       query(std::string("select * from tb_item_list where ItemText like '%") + kGenres[0] +
             "%';")},
      // The outer terms go down through each merged sub-select to the table's row number.
      {"sub-selects in sub-selects", 5,
       query("select * from (select * from (select * from (select id, ItemText from "
             "tb_item_list where id > 1) where id > 2) where id > 3) where id < 50;")},
  };
}

void writeLine(int descriptor, const std::string& line) {
  const std::string text = line + "\n";
  if (write(descriptor, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    throw std::runtime_error("pipe write failed");
  }
}

// One line, without its newline; empty when the other side has gone.
std::string readLine(int descriptor) {
  std::string line;
  char c;
  while (read(descriptor, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

// A child process holding one engine and one copy of the file, which runs one run of one
// operation at a time when asked, so that the two engines can take turns.
class EngineProcess {
 public:
  EngineProcess(const std::function<const EngineCalls&()>& engineLoader, const std::string& path,
                const std::vector<Operation>& operations) {
    int commands[2], answers[2];
    if (pipe(commands) != 0 || pipe(answers) != 0) throw std::runtime_error("pipe failed");
    child_ = fork();
    if (child_ == 0) {
      close(commands[1]);
      close(answers[0]);
      serve(engineLoader, path, operations, commands[0], answers[1]);
      _exit(0);
    }
    close(commands[0]);
    close(answers[1]);
    toChild_ = commands[1];
    fromChild_ = answers[0];
    try {
      std::istringstream ready(answer());
      std::string word;
      ready >> word >> baseKilobytes_;
    } catch (...) {
      stop();
      throw;
    }
  }
  ~EngineProcess() { stop(); }
  EngineProcess(const EngineProcess&) = delete;
  EngineProcess& operator=(const EngineProcess&) = delete;

  // The run's time in milliseconds and the rows it returned.
  std::pair<double, int> run(size_t operation, int run) {
    writeLine(toChild_, "run " + std::to_string(operation) + " " + std::to_string(run));
    std::istringstream reply(answer());
    std::pair<double, int> timeAndRows;
    reply >> timeAndRows.first >> timeAndRows.second;
    return timeAndRows;
  }
  long peakKilobytes() {
    writeLine(toChild_, "peak");
    return std::stol(answer());
  }
  long baseKilobytes() const { return baseKilobytes_; }

 private:
  // The child's side: "ready <base KB>", then an answer to each request.
  static void serve(const std::function<const EngineCalls&()>& engineLoader,
                    const std::string& path, const std::vector<Operation>& operations, int requests,
                    int answers) {
    try {
      const EngineCalls& engine = engineLoader();
      writeLine(answers, "ready " + std::to_string(statusKilobytes("VmRSS:")));
      char* message = nullptr;
      void* db = engine.open(path.c_str(), 0, &message);
      if (!db) throw std::runtime_error(std::string("open: ") + (message ? message : ""));
      engine.busy_timeout(db, 60000);
      for (std::string line; !(line = readLine(requests)).empty() && line != "quit";) {
        std::istringstream request(line);
        std::string verb;
        request >> verb;
        if (verb == "peak") {
          writeLine(answers, std::to_string(statusKilobytes("VmHWM:")));
          continue;
        }
        size_t operation = 0;
        int run = 0;
        request >> operation >> run;
        int rows = 0;
        const double milliseconds =
            timeOnce([&] { rows = operations.at(operation).work(engine, db, run); });
        std::ostringstream out;
        out.precision(17);
        out << milliseconds << " " << rows;
        writeLine(answers, out.str());
      }
      engine.close(db);
    } catch (const std::exception& error) {
      writeLine(answers, std::string("fail ") + error.what());
    }
  }

  void stop() {
    try {
      writeLine(toChild_, "quit");
    } catch (const std::exception&) {
      // The child is gone already.
    }
    close(toChild_);
    close(fromChild_);
    waitpid(child_, nullptr, 0);
  }

  std::string answer() {
    std::string line = readLine(fromChild_);
    if (line.empty()) throw std::runtime_error("the engine's process ended");
    if (line.rfind("fail ", 0) == 0) throw std::runtime_error(line.substr(5));
    return line;
  }

  pid_t child_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
  long baseKilobytes_ = 0;
};

// Per engine, per operation, the median run of each round.
struct RoundMedians {
  std::vector<std::vector<double>> ours, reference;  // [operation][round]
};

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
  // A child that fails makes writes to its pipe fail rather than end this process.
  signal(SIGPIPE, SIG_IGN);
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

    std::vector<Operation> operations = catalogueQueries();
    for (Operation& operation : catalogueOperations(categories, videos)) {
      operations.push_back(std::move(operation));
    }
    RoundMedians medians;
    medians.ours.resize(operations.size());
    medians.reference.resize(operations.size());
    std::vector<int> rowCounts(operations.size());
    long ourBase = 0, ourPeak = 0, referenceBase = 0, referencePeak = 0;
    for (int round = 0; round < rounds; ++round) {
      copyFile(made, ours);
      copyFile(made, theirs);
      EngineProcess ourProcess(
          []() -> const EngineCalls& { return orvalen::test::ourEngineCalls(); }, ours, operations);
      EngineProcess referenceProcess(referenceCalls, theirs, operations);
      for (size_t op = 0; op < operations.size(); ++op) {
        std::vector<double> ourTimes, referenceTimes;
        for (int run = 0; run < operations[op].runs; ++run) {
          std::pair<double, int> our, reference;
          if ((run + round) % 2 == 0) {
            our = ourProcess.run(op, run);
            reference = referenceProcess.run(op, run);
          } else {
            reference = referenceProcess.run(op, run);
            our = ourProcess.run(op, run);
          }
          if (our.second != reference.second) {
            throw std::runtime_error(operations[op].name + ": " + std::to_string(our.second) +
                                     " rows, the reference " + std::to_string(reference.second));
          }
          rowCounts[op] = our.second;
          ourTimes.push_back(our.first);
          referenceTimes.push_back(reference.first);
        }
        medians.ours[op].push_back(median(ourTimes));
        medians.reference[op].push_back(median(referenceTimes));
      }
      ourPeak = std::max(ourPeak, ourProcess.peakKilobytes());
      referencePeak = std::max(referencePeak, referenceProcess.peakKilobytes());
      ourBase =
          round == 0 ? ourProcess.baseKilobytes() : std::min(ourBase, ourProcess.baseKilobytes());
      referenceBase = round == 0 ? referenceProcess.baseKilobytes()
                                 : std::min(referenceBase, referenceProcess.baseKilobytes());
    }
    std::printf("\n%-30s %8s %12s %15s %16s %16s\n", "operation (median)", "rows", "ours (ms)",
                "reference (ms)", "ours/reference", "rounds' range");
    for (size_t op = 0; op < operations.size(); ++op) {
      const double our = median(medians.ours[op]);
      const double reference = median(medians.reference[op]);
      const double ratio = our / reference;
      // How much the ratio moves from round to round: the noise of the machine.
      double lowest = ratio, highest = ratio;
      for (int round = 0; round < rounds; ++round) {
        const double roundRatio = medians.ours[op][round] / medians.reference[op][round];
        lowest = std::min(lowest, roundRatio);
        highest = std::max(highest, roundRatio);
      }
      std::printf("%-30s %8d %12.3f %15.3f %16.2f %10.2f-%.2f%s\n", operations[op].name.c_str(),
                  rowCounts[op], our, reference, ratio, lowest, highest,
                  ratio > 1.0 ? "  over target" : "");
      if (ratio > 1.0) status = 2;
    }
    std::printf(
        "\npeak resident memory: ours %.1f MB (%.1f MB above its start), reference %.1f MB "
        "(%.1f MB above its start)\n",
        ourPeak / 1024.0, (ourPeak - ourBase) / 1024.0, referencePeak / 1024.0,
        (referencePeak - referenceBase) / 1024.0);
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
