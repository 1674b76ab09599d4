#include "fault_workloads.h"

#include <functional>
#include <stdexcept>

#include "support/fault_injector.h"
#include "support/temp_dir.h"

namespace orvalen::test {

namespace {

constexpr int kTopCategories = 5;
constexpr int kChildrenPerCategory = 4;
constexpr int kVideosPerCategory = 12;

// The category tree as (id, parent) pairs in id order, ids from 1; parent 0 is the root.
struct Category {
  int id;
  int parent;
  int depth;
};

std::vector<Category> categoryTree() {
  std::vector<Category> tree;
  for (int top = 0; top < kTopCategories; ++top) {
    tree.push_back({static_cast<int>(tree.size()) + 1, 0, 0});
  }
  // Each category of the first two levels gets children; ids are given breadth first.
  for (size_t i = 0; i < tree.size(); ++i) {
    if (tree[i].depth == 2) continue;
    for (int child = 0; child < kChildrenPerCategory; ++child) {
      tree.push_back({static_cast<int>(tree.size()) + 1, tree[i].id, tree[i].depth + 1});
    }
  }
  return tree;
}

// A video's values; a signed address (as streaming sites hand out) makes its row about twice
// as long.
std::string videoValues(int category, int number, bool signedUrl) {
  std::string tag = std::to_string(category) + "-" + std::to_string(number);
  std::string url = "http://example.com/videos/" + tag + "/playlist.m3u8?quality=high";
  if (signedUrl) url += "&expires=1767225600&signature=" + std::string(64, 'a' + number % 26);
  return "(" + std::to_string(category) + ", 'video " + tag + "', '" + url +
         "', 'http://example.com/thumbs/" + tag + ".jpg')";
}

std::string insertVideo(int category, int number, bool signedUrl = false) {
  return "insert into tb_item_list (parentid, ItemText, itemUrl, itemImageUrl) values" +
         videoValues(category, number, signedUrl) + ";";
}

void execOrThrow(sqlite* db, const std::string& sql) {
  char* message = nullptr;
  int code = sqlite_exec(db, sql.c_str(), nullptr, nullptr, &message);
  std::string text = message ? message : "";
  sqlite_freemem(message);
  if (code != SQLITE_OK) throw std::runtime_error(sql.substr(0, 80) + ": " + text);
}

// The ids of the category and everything below it.
std::vector<int> branchOf(int root) {
  std::vector<int> branch{root};
  std::vector<Category> tree = categoryTree();
  for (size_t i = 0; i < branch.size(); ++i) {
    for (const Category& category : tree) {
      if (category.parent == branch[i]) branch.push_back(category.id);
    }
  }
  return branch;
}

}  // namespace

std::string buildPluginFile(const std::string& path) {
  char* message = nullptr;
  sqlite* db = sqlite_open(path.c_str(), 0, &message);
  if (!db) throw std::runtime_error(message ? message : "open failed");
  execOrThrow(db,
              "create table tb_type_list (id integer primary key, parentid integer, ItemText "
              "text);"
              "create table tb_item_list (id integer primary key, parentid integer, ItemText "
              "text, itemUrl text, itemImageUrl text);");
  std::string fill = "begin;";
  for (const Category& category : categoryTree()) {
    fill += "insert into tb_type_list values(" + std::to_string(category.id) + ", " +
            std::to_string(category.parent) + ", 'category " + std::to_string(category.id) + "');";
    for (int video = 0; video < kVideosPerCategory; ++video) {
      fill += insertVideo(category.id, video);
    }
  }
  execOrThrow(db, fill + "commit;");
  sqlite_close(db);
  return readFile(path);
}

WorkloadOutcome runWorkload(sqlite* db, const Workload& workload) {
  WorkloadOutcome outcome;
  for (size_t i = 0; i < workload.calls.size(); ++i) {
    char* message = nullptr;
    int code = sqlite_exec(db, workload.calls[i].c_str(), nullptr, nullptr, &message);
    std::string text = message ? message : "";
    sqlite_freemem(message);
    if (code == SQLITE_OK) continue;
    outcome.code = code;
    outcome.message = text;
    outcome.failedCall = i;
    if (workload.explicitTransaction) {
      outcome.rollbackCode = sqlite_exec(db, "rollback;", nullptr, nullptr, nullptr);
    }
    break;
  }
  return outcome;
}

Workload insertOneVideo() {
  return {"insert one video", {insertVideo(17, 99)}};
}

Workload updateOneVideo() {
  return {"update one video",
          {"update tb_item_list set itemText='renamed video', itemUrl='http://example.com/new', "
           "itemImageUrl='http://example.com/new.jpg' where id=250;"}};
}

Workload deleteOneVideo() {
  return {"delete one video", {"delete from tb_item_list where id=333;"}};
}

Workload deleteCategoryBranch() {
  Workload workload{"delete a category branch", {"begin;"}, true};
  for (int id : branchOf(2)) {
    workload.calls.push_back("delete from tb_item_list where parentid=" + std::to_string(id) + ";");
    workload.calls.push_back("delete from tb_type_list where id=" + std::to_string(id) + ";");
  }
  workload.calls.push_back("commit;");
  return workload;
}

Workload bulkLoad(int rows) {
  Workload workload{"bulk load of " + std::to_string(rows) + " videos", {"begin;"}, true};
  int categories = static_cast<int>(categoryTree().size());
  for (int row = 0; row < rows; ++row) {
    workload.calls.push_back(insertVideo(1 + row % categories, 1000 + row, true));
  }
  workload.calls.push_back("commit;");
  return workload;
}

Workload readAfterACrash() {
  Workload workload{"read after a crash", {"select count(*) from tb_item_list where parentid=2;"}};
  workload.recoversHotJournal = true;
  return workload;
}

// The work is done once to get the new file, and once more with every deletion failing: the
// commit cannot delete the journal, nor can the rollback after it, which has put the old
// pages back. The journal left then is the one the writer had when it committed.
std::string leaveHotJournal(const std::string& path, const Workload& work) {
  std::string original = readFile(path);
  sqlite* db = sqlite_open(path.c_str(), 0, nullptr);
  runWorkload(db, work);
  sqlite_close(db);
  std::string changed = readFile(path);
  writeFile(path, original);
  db = sqlite_open(path.c_str(), 0, nullptr);
  {
    FaultInjector faults;
    sqlite2::ScopedFaultHook hook(&faults);
    faults.failAt(1, sqlite2::InjectedFault::kIoError, FaultInjector::kPersistent,
                  {sqlite2::FileOperation::kDelete});
    runWorkload(db, work);
    sqlite_close(db);
  }
  std::string journal = readFile(path + "-journal");
  if (journal.empty()) throw std::runtime_error("no journal was left behind");
  writeFile(path, changed);
  return journal;
}

Workload createIndex() {
  return {"create an index", {"create index item_parent on tb_item_list(parentid);"}};
}

}  // namespace orvalen::test
