// Random changes checked against a std::map, which orders strings as memcmp does, with the
// integrity check after every batch; page accounting through the free list.

#include <map>
#include <random>

#include <gtest/gtest.h>

#include "btree/btree.h"
#include "btree_test_util.h"
#include "record/table_key.h"
#include "support/temp_dir.h"

namespace sqlite2 {
namespace {

using orvalen::test::integrityProblems;
using orvalen::test::TempDir;
using orvalen::test::treeEntries;
using Model = std::map<std::string, std::string>;

class BtreeModelTest : public ::testing::Test {
 protected:
  std::string randomBytes(size_t size) {
    std::string out(size, '\0');
    for (char& c : out) c = static_cast<char>(random_() & 0xFF);
    return out;
  }
  // Mostly small entries; some keys and much data long enough to overflow.
  std::string randomKey() {
    int kind = static_cast<int>(random_() % 100);
    if (kind < 3) return randomBytes(237 + random_() % 1500);
    return randomBytes(1 + random_() % 24);
  }
  std::string randomData() {
    int kind = static_cast<int>(random_() % 100);
    if (kind < 8) return randomBytes(200 + random_() % 4000);
    return randomBytes(random_() % 120);
  }

  void expectTreeMatches(Btree& btree, PageNumber root, const Model& model) {
    auto entries = treeEntries(btree, root);
    ASSERT_EQ(entries.size(), model.size());
    auto expected = model.begin();
    for (const auto& entry : entries) {
      ASSERT_EQ(entry.first, expected->first);
      ASSERT_EQ(entry.second, expected->second);
      ++expected;
    }
    Cursor backwards(btree, root, false);
    auto reverse = model.rbegin();
    for (bool on = backwards.last(); on; on = backwards.previous()) {
      ASSERT_NE(reverse, model.rend());
      ASSERT_EQ(backwards.key(), reverse->first);
      ++reverse;
    }
    EXPECT_EQ(reverse, model.rend());
  }

  std::mt19937 random_{20240607};
  TempDir dir_;
  std::string path_ = dir_.file("model.db");
};

TEST_F(BtreeModelTest, RandomInsertsDeletesAndSeeksMatchTheModel) {
  auto btree = Btree::open(path_, {});
  btree->beginTransaction();
  PageNumber root = btree->createTree();
  Model model;
  Cursor cursor(*btree, root, true);
  for (int batch = 0; batch < 24; ++batch) {
    bool growing = batch % 6 < 4;
    for (int step = 0; step < 250; ++step) {
      bool insert = model.empty() || random_() % 100 < (growing ? 70u : 25u);
      if (insert) {
        std::string key = model.empty() || random_() % 10
                              ? randomKey()
                              : std::next(model.begin(), random_() % model.size())->first;
        std::string data = randomData();
        cursor.insert(key, data);
        model[key] = data;
        ASSERT_EQ(cursor.key(), key);
      } else {
        auto victim = std::next(model.begin(), random_() % model.size());
        ASSERT_EQ(cursor.seek(victim->first), 0);
        cursor.remove();
        model.erase(victim);
      }
    }
    ASSERT_EQ(integrityProblems(*btree, {kSchemaRoot, root}), "") << "batch " << batch;
    expectTreeMatches(*btree, root, model);
    for (int probe = 0; probe < 50; ++probe) {
      std::string key = randomKey();
      int result = cursor.seek(key);
      auto at = model.lower_bound(key);
      if (model.empty()) {
        EXPECT_LT(result, 0);
        EXPECT_FALSE(cursor.valid());
      } else if (result == 0) {
        EXPECT_EQ(cursor.key(), key);
      } else if (result > 0) {
        // On the smallest entry above the key.
        ASSERT_NE(at, model.end());
        EXPECT_EQ(cursor.key(), at->first);
      } else {
        ASSERT_NE(at, model.begin());
        EXPECT_EQ(cursor.key(), std::prev(at)->first);
      }
    }
  }
  btree->commit();
  auto reopened = Btree::open(path_, {});
  expectTreeMatches(*reopened, root, model);
  EXPECT_EQ(integrityProblems(*reopened, {kSchemaRoot, root}), "");
}

TEST_F(BtreeModelTest, DeepTreesEmptyCompletelyAndGiveEveryPageToTheFreeList) {
  auto btree = Btree::open(path_, {});
  btree->beginTransaction();
  PageNumber root = btree->createTree();
  Cursor cursor(*btree, root, true);
  std::vector<int32_t> rows;
  for (int32_t row = 1; row <= 20000; ++row) rows.push_back(row);
  std::shuffle(rows.begin(), rows.end(), random_);
  // Long data makes few cells per page, so the tree gets several levels.
  for (int32_t row : rows) cursor.insert(encodeTableKey(row), std::string(150, 'a' + row % 26));
  EXPECT_EQ(integrityProblems(*btree, {kSchemaRoot, root}), "");
  PageNumber pages = btree->pager().pageCount();
  EXPECT_GT(pages, 3000u);

  std::shuffle(rows.begin(), rows.end(), random_);
  for (size_t i = 0; i < rows.size(); ++i) {
    ASSERT_EQ(cursor.seek(encodeTableKey(rows[i])), 0);
    cursor.remove();
    if (i % 5000 == 0) {
      ASSERT_EQ(integrityProblems(*btree, {kSchemaRoot, root}), "");
    }
  }
  EXPECT_FALSE(cursor.first());
  EXPECT_EQ(integrityProblems(*btree, {kSchemaRoot, root}), "");
  // Page 1, the schema root and this root stay; everything else is free.
  EXPECT_EQ(btree->readMeta()[0], static_cast<int32_t>(pages - 3));

  // Refilling reuses the free pages; the file grows only once none is left.
  for (int32_t row : rows) {
    cursor.insert(encodeTableKey(row), std::string(150, 'b'));
    if (btree->pager().pageCount() > pages) {
      ASSERT_EQ(btree->readMeta()[0], 0);
      pages = btree->pager().pageCount();
    }
  }
  EXPECT_EQ(integrityProblems(*btree, {kSchemaRoot, root}), "");
  btree->commit();
}

TEST_F(BtreeModelTest, AppendsFillPagesAndMixWithChangesElsewhere) {
  auto btree = Btree::open(path_, {});
  btree->beginTransaction();
  PageNumber root = btree->createTree();
  Model model;
  Cursor cursor(*btree, root, true);
  // 116-byte cells: eight fill a page. Every page but those on the right edge comes out full.
  for (int32_t row = 1; row <= 8000; ++row) {
    cursor.insert(encodeTableKey(row), std::string(100, 'a' + row % 26));
    model[encodeTableKey(row)] = std::string(100, 'a' + row % 26);
  }
  EXPECT_EQ(integrityProblems(*btree, {kSchemaRoot, root}), "");
  EXPECT_LE(btree->pager().pageCount(), 2u + 8000 / 8 + 4);

  // Then changes in the middle, and appends of any size (overflowing ones too) between them.
  int32_t next = 8001;
  for (int step = 0; step < 3000; ++step) {
    int kind = static_cast<int>(random_() % 10);
    if (kind < 5) {
      std::string key = encodeTableKey(next++);
      std::string data = randomData();
      cursor.insert(key, data);
      model[key] = data;
    } else if (kind < 8) {
      // Replaces an entry (with data of another size) or fills the hole of a removed one.
      std::string key = encodeTableKey(static_cast<int32_t>(random_() % next));
      std::string data = randomData();
      cursor.insert(key, data);
      model[key] = data;
    } else {
      auto victim = std::next(model.begin(), random_() % model.size());
      ASSERT_EQ(cursor.seek(victim->first), 0);
      cursor.remove();
      model.erase(victim);
    }
    if (step % 500 == 0) {
      ASSERT_EQ(integrityProblems(*btree, {kSchemaRoot, root}), "") << "step " << step;
    }
  }
  EXPECT_EQ(integrityProblems(*btree, {kSchemaRoot, root}), "");
  expectTreeMatches(*btree, root, model);
  btree->commit();
}

TEST_F(BtreeModelTest, ClearAndDropReturnEveryPage) {
  auto btree = Btree::open(path_, {});
  btree->beginTransaction();
  PageNumber kept = btree->createTree();
  PageNumber cleared = btree->createTree();
  PageNumber dropped = btree->createTree();
  for (PageNumber root : {kept, cleared, dropped}) {
    Cursor cursor(*btree, root, true);
    for (int32_t row = 0; row < 3000; ++row) {
      cursor.insert(encodeTableKey(row), randomBytes(row % 50 == 0 ? 3000 : 40));
    }
  }
  Model keptModel;
  for (auto& entry : treeEntries(*btree, kept)) keptModel.insert(entry);
  PageNumber pages = btree->pager().pageCount();
  btree->clearTree(cleared);
  btree->dropTree(dropped);
  EXPECT_EQ(integrityProblems(*btree, {kSchemaRoot, kept, cleared}), "");
  EXPECT_TRUE(treeEntries(*btree, cleared).empty());
  expectTreeMatches(*btree, kept, keptModel);
  btree->dropTree(kept);
  EXPECT_EQ(integrityProblems(*btree, {kSchemaRoot, cleared}), "");
  // Everything but page 1, the schema root and the cleared root is free.
  EXPECT_EQ(btree->readMeta()[0], static_cast<int32_t>(pages - 3));
  EXPECT_EQ(btree->pager().pageCount(), pages);
  btree->dropTree(kSchemaRoot);  // empties the schema tree but keeps its root
  EXPECT_EQ(integrityProblems(*btree, {kSchemaRoot, cleared}), "");
  btree->commit();
}

TEST_F(BtreeModelTest, FreePagesAreReusedInTheReferenceLibrarysOrder) {
  // The first page freed becomes the trunk; later ones are its leaves in the order freed. A
  // new page is the trunk's first leaf, whose slot the last leaf then takes; the trunk itself
  // goes last, and only then does the file grow.
  auto btree = Btree::open(path_, {});
  btree->beginTransaction();
  std::vector<PageNumber> roots;
  for (int i = 0; i < 5; ++i) roots.push_back(btree->createTree());
  const PageNumber pages = btree->pager().pageCount();
  for (size_t i : {0, 1, 2, 3}) btree->dropTree(roots[i]);
  EXPECT_EQ(btree->readMeta()[0], 4);
  std::vector<PageNumber> reused;
  for (int i = 0; i < 5; ++i) reused.push_back(btree->createTree());
  EXPECT_EQ(reused, (std::vector<PageNumber>{roots[1], roots[3], roots[2], roots[0], pages + 1}));
  EXPECT_EQ(btree->readMeta()[0], 0);
  std::vector<PageNumber> all = reused;
  all.push_back(kSchemaRoot);
  all.push_back(roots[4]);
  EXPECT_EQ(integrityProblems(*btree, all), "");
  btree->commit();
}

TEST_F(BtreeModelTest, RollbackRestoresTheTreeAndItsPages) {
  auto btree = Btree::open(path_, {});
  btree->beginTransaction();
  PageNumber root = btree->createTree();
  Cursor cursor(*btree, root, true);
  Model model;
  for (int i = 0; i < 500; ++i) {
    std::string key = randomKey();
    model[key] = randomData();
    cursor.insert(key, model[key]);
  }
  btree->commit();
  std::string before = orvalen::test::readFile(path_);

  btree->beginTransaction();
  for (int i = 0; i < 300; ++i) cursor.insert(randomKey(), randomData());
  ASSERT_TRUE(cursor.first());
  for (int i = 0; i < 200 && cursor.valid(); ++i) {
    cursor.remove();
    cursor.next();
  }
  btree->rollback();
  expectTreeMatches(*btree, root, model);
  EXPECT_EQ(orvalen::test::readFile(path_), before);
}

TEST_F(BtreeModelTest, StatementRollbackUndoesOnlyTheStatement) {
  auto btree = Btree::open(path_, {});
  btree->beginTransaction();
  PageNumber root = btree->createTree();
  Cursor cursor(*btree, root, true);
  Model model;
  for (int statement = 0; statement < 6; ++statement) {
    btree->beginStatement();
    Model changed = model;
    for (int i = 0; i < 150; ++i) {
      std::string key = randomKey();
      changed[key] = randomData();
      cursor.insert(key, changed[key]);
    }
    if (statement % 2) {
      btree->rollbackStatement();
    } else {
      btree->commitStatement();
      model = changed;
    }
    expectTreeMatches(*btree, root, model);
    ASSERT_EQ(integrityProblems(*btree, {kSchemaRoot, root}), "");
  }
  btree->commit();
}

}  // namespace
}  // namespace sqlite2
