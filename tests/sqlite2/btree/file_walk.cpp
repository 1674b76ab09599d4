#include "file_walk.h"

#include <charconv>

#include "common/error.h"
#include "record/row_record.h"

namespace orvalen::test {

using namespace sqlite2;

namespace {

constexpr size_t kRootPageColumn = 3;

// More entries than any sound file of this size can hold: a damaged tree that shares pages
// between branches must not keep a walk going.
size_t stepLimit(Btree& btree) {
  return size_t{btree.pager().pageCount()} * 63 + 64;
}

size_t walkTree(Btree& btree, PageNumber root) {
  Cursor cursor(btree, root, false);
  size_t limit = stepLimit(btree);
  size_t entries = 0;
  std::string firstKey;
  for (bool on = cursor.first(); on && entries < limit; on = cursor.next()) {
    if (entries == 0) firstKey = cursor.key();
    cursor.data();
    ++entries;
  }
  size_t backwards = 0;
  for (bool on = cursor.last(); on && backwards < limit; on = cursor.previous()) ++backwards;
  if (entries > 0) cursor.seek(firstKey);
  return entries + backwards;
}

}  // namespace

std::vector<PageNumber> schemaRoots(Btree& btree) {
  std::vector<PageNumber> roots;
  Cursor schema(btree, kSchemaRoot, false);
  size_t limit = stepLimit(btree);
  for (bool on = schema.first(); on && roots.size() < limit; on = schema.next()) {
    std::string record = schema.data();
    RecordView view(record);
    if (view.fieldCount() <= kRootPageColumn) continue;
    std::optional<std::string_view> root = view.field(kRootPageColumn);
    long number = 0;
    if (!root ||
        std::from_chars(root->data(), root->data() + root->size(), number).ec != std::errc()) {
      continue;
    }
    if (number > 0 && number <= 0x7fffffff) roots.push_back(static_cast<PageNumber>(number));
  }
  return roots;
}

namespace {

// Runs one step of a walk, recording its error instead of ending the walk.
template <typename Step>
bool attempt(FileWalk& walk, const Step& step) {
  try {
    step();
    return true;
  } catch (const Error& error) {
    walk.errors.emplace_back(error.code(), error.what());
    return false;
  }
}

}  // namespace

FileWalk walkDatabase(Btree& btree) {
  FileWalk walk;
  // An open cursor keeps the file share-locked, and the cache warm, for the whole walk.
  std::unique_ptr<Cursor> readLock;
  attempt(walk, [&] { readLock = std::make_unique<Cursor>(btree, kSchemaRoot, false); });
  walk.roots.push_back(kSchemaRoot);
  attempt(walk, [&] {
    for (PageNumber root : schemaRoots(btree)) walk.roots.push_back(root);
  });
  for (PageNumber root : walk.roots) {
    attempt(walk, [&] { walk.entries += walkTree(btree, root); });
  }
  attempt(walk, [&] { btree.readMeta(); });
  attempt(walk, [&] { walk.problems = btree.checkIntegrity(walk.roots); });
  return walk;
}

FileWalk walkDatabase(const std::string& path) {
  PagerOptions options;
  options.readOnly = true;
  std::unique_ptr<Btree> btree;
  FileWalk failed;
  if (!attempt(failed, [&] { btree = Btree::open(path, options); })) return failed;
  return walkDatabase(*btree);
}

}  // namespace orvalen::test
