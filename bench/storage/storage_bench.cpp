// The storage benchmark: the same rows inserted in one transaction, scanned, looked up by key
// and half deleted at random, by our b-tree and record layers and by the reference SQLite 2.8
// through its C interface. Each engine runs in a child process of its own so that its peak
// memory can be measured; the report gives times, ratios ours/reference and peak memory.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "btree/btree.h"
#include "record/row_record.h"
#include "record/table_key.h"
#include "sqlite2_reference.h"

namespace {

constexpr int kPhases = 4;
const char* const kPhaseNames[kPhases] = {"insert (one transaction)", "full scan", "seek by key",
                                          "delete half at random"};

struct Workload {
  int rows = 100000;
  int lookups = 20000;
  std::vector<int> lookupOrder;
  std::vector<int> deleteOrder;

  explicit Workload(int rowCount) : rows(rowCount), lookups(std::min(rowCount, 20000)) {
    std::mt19937 random(2024);
    std::vector<int> all(static_cast<size_t>(rows));
    std::iota(all.begin(), all.end(), 1);
    std::shuffle(all.begin(), all.end(), random);
    lookupOrder.assign(all.begin(), all.begin() + lookups);
    std::shuffle(all.begin(), all.end(), random);
    deleteOrder.assign(all.begin(), all.begin() + rows / 2);
  }

  static std::string name(int row) { return "name" + std::to_string(row); }
  static std::string text(int row) {
    return "a video about item " + std::to_string(row * 7919 % 100003) + " http://example/v";
  }
};

struct Timings {
  double seconds[kPhases] = {};
  long checksum = 0;  // rows seen, so that neither engine can skip work
};

double timed(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Timings runOurs(const std::string& path, const Workload& load) {
  using namespace sqlite2;
  Timings t;
  auto btree = Btree::open(path, {});
  PageNumber root = 0;
  t.seconds[0] = timed([&] {
    btree->beginTransaction();
    root = btree->createTree();
    Cursor cursor(*btree, root, true);
    std::string record;
    for (int row = 1; row <= load.rows; ++row) {
      encodeRecord({std::to_string(row), Workload::name(row), Workload::text(row)}, record);
      cursor.insert(encodeTableKey(row), record);
    }
    btree->commit();
  });
  t.seconds[1] = timed([&] {
    Cursor cursor(*btree, root, false);
    for (bool on = cursor.first(); on; on = cursor.next()) {
      std::string record = cursor.data();
      RecordView view(record);
      t.checksum += static_cast<long>(view.field(1)->size());
    }
  });
  t.seconds[2] = timed([&] {
    Cursor cursor(*btree, root, false);
    for (int row : load.lookupOrder) {
      if (cursor.seek(encodeTableKey(row)) == 0) {
        std::string record = cursor.data();
        t.checksum += static_cast<long>(RecordView(record).values().size());
      }
    }
  });
  t.seconds[3] = timed([&] {
    btree->beginTransaction();
    Cursor cursor(*btree, root, true);
    for (int row : load.deleteOrder) {
      if (cursor.seek(encodeTableKey(row)) == 0) cursor.remove();
    }
    btree->commit();
  });
  return t;
}

int countRow(void* arg, int, char**, char**) {
  ++*static_cast<long*>(arg);
  return 0;
}

Timings runReference(const sqlite2_reference& ref, const std::string& path, const Workload& load) {
  Timings t;
  char* error = nullptr;
  void* db = ref.open(path.c_str(), 0, &error);
  if (!db) {
    std::fprintf(stderr, "reference open failed: %s\n", error ? error : "?");
    std::exit(1);
  }
  auto exec = [&](const std::string& sql, long* rows = nullptr) {
    if (ref.exec(db, sql.c_str(), rows ? countRow : nullptr, rows, &error) != 0) {
      std::fprintf(stderr, "reference: %s\n", error ? error : "?");
      std::exit(1);
    }
  };
  t.seconds[0] = timed([&] {
    exec("CREATE TABLE t(a, b, c)");
    exec("BEGIN");
    for (int row = 1; row <= load.rows; ++row) {
      exec("INSERT INTO t(rowid, a, b, c) VALUES(" + std::to_string(row) + ", '" +
           std::to_string(row) + "', '" + Workload::name(row) + "', '" + Workload::text(row) +
           "')");
    }
    exec("COMMIT");
  });
  t.seconds[1] = timed([&] { exec("SELECT * FROM t", &t.checksum); });
  t.seconds[2] = timed([&] {
    for (int row : load.lookupOrder) {
      exec("SELECT * FROM t WHERE rowid = " + std::to_string(row), &t.checksum);
    }
  });
  t.seconds[3] = timed([&] {
    exec("BEGIN");
    for (int row : load.deleteOrder) exec("DELETE FROM t WHERE rowid = " + std::to_string(row));
    exec("COMMIT");
  });
  ref.close(db);
  return t;
}

// Runs work in a child process; returns its timings and its peak resident memory in KiB.
std::pair<Timings, long> inChild(const std::function<Timings()>& work) {
  int channel[2];
  if (pipe(channel) != 0) std::exit(1);
  pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    Timings t = work();
    if (write(channel[1], &t, sizeof t) != static_cast<ssize_t>(sizeof t)) _exit(1);
    _exit(0);
  }
  close(channel[1]);
  Timings t;
  ssize_t got = read(channel[0], &t, sizeof t);
  close(channel[0]);
  int status = 0;
  struct rusage usage {};
  wait4(child, &status, 0, &usage);
  if (got != static_cast<ssize_t>(sizeof t) || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "benchmark child failed\n");
    std::exit(1);
  }
  return {t, usage.ru_maxrss};
}

}  // namespace

int main(int argc, char** argv) {
  int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  if (rows < 2) rows = 2;
  sqlite2_reference ref;
  char why[512] = "";
  if (sqlite2_reference_load(&ref, nullptr, why, sizeof why) != 0) {
    std::fprintf(stderr, "reference engine unavailable: %s\n", why);
    return 1;
  }
  char folder[] = "/tmp/orvalen-bench-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  std::string ours = std::string(folder) + "/ours.db";
  std::string theirs = std::string(folder) + "/reference.db";
  Workload load(rows);

  auto [our, ourMemory] = inChild([&] { return runOurs(ours, load); });
  auto [their, theirMemory] = inChild([&] { return runReference(ref, theirs, load); });

  std::printf("storage benchmark: %d rows, %d lookups, %d deletes\n", rows, load.lookups, rows / 2);
  std::printf("%-26s %12s %12s %8s\n", "phase", "ours (s)", "reference", "ratio");
  for (int phase = 0; phase < kPhases; ++phase) {
    std::printf("%-26s %12.4f %12.4f %8.2f\n", kPhaseNames[phase], our.seconds[phase],
                their.seconds[phase], our.seconds[phase] / their.seconds[phase]);
  }
  std::printf("%-26s %9ld KiB %8ld KiB %8.2f\n", "peak memory", ourMemory, theirMemory,
              static_cast<double>(ourMemory) / static_cast<double>(theirMemory));
  std::remove(ours.c_str());
  std::remove(theirs.c_str());
  rmdir(folder);
  return 0;
}
