// Where category rows go in the tree, for rows in any order of ids.

#include "editor/category_placement.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orvalen {
namespace {

using ::testing::ElementsAre;

TEST(CategoryPlacement, ChildrenGoUnderTheirParentWhateverTheOrderOfIds) {
  // ids 1, 2, 5, 6: 1 under 5 (a later row), 5 under 2, 6 under 1.
  CategoryPlacement placed = PlaceCategories({1, 2, 5, 6}, {5, -1, 2, 1});
  EXPECT_THAT(placed.parentRow, ElementsAre(2, -1, 1, 0));
  EXPECT_THAT(placed.insertionOrder, ElementsAre(1, 2, 0, 3));
}

TEST(CategoryPlacement, RowsWhoseParentCannotBeShownGoUnderTheRoot) {
  // -1, NULL or not a number, no such id, itself.
  CategoryPlacement placed = PlaceCategories({1, 2, 3, 4}, {-1, std::nullopt, 99, 4});
  EXPECT_THAT(placed.parentRow, ElementsAre(-1, -1, -1, -1));
  EXPECT_THAT(placed.insertionOrder, ElementsAre(0, 1, 2, 3));
}

TEST(CategoryPlacement, TheRowsOfACycleGoUnderTheRootAndWhatHangsOnThemStays) {
  // 10 -> 11 -> 12 -> 10 is a cycle; 13 hangs on 11, 14 on 13.
  CategoryPlacement placed =
      PlaceCategories({10, 11, 12, 13, 14}, {std::optional<int>(11), 12, 10, 11, 13});
  EXPECT_THAT(placed.parentRow, ElementsAre(-1, -1, -1, 1, 3));
  EXPECT_THAT(placed.insertionOrder, ElementsAre(0, 1, 3, 4, 2));
}

TEST(CategoryPlacement, SiblingsKeepTheirIdOrderAndParentsComeFirst) {
  CategoryPlacement placed = PlaceCategories({1, 2, 3, 4, 5}, {5, 5, -1, 5, -1});
  EXPECT_THAT(placed.parentRow, ElementsAre(4, 4, -1, 4, -1));
  EXPECT_THAT(placed.insertionOrder, ElementsAre(2, 4, 0, 1, 3));
}

// A long chain whose every parent has a higher id: all of it is placed, none recursively.
TEST(CategoryPlacement, ALongChainAgainstTheIdOrderIsPlacedWhole) {
  const int count = 100000;
  std::vector<int> ids;
  std::vector<std::optional<int>> parents;
  for (int id = 1; id <= count; ++id) {
    ids.push_back(id);
    parents.push_back(id == count ? std::optional<int>(-1) : std::optional<int>(id + 1));
  }
  CategoryPlacement placed = PlaceCategories(ids, parents);
  ASSERT_EQ(placed.insertionOrder.size(), static_cast<std::size_t>(count));
  EXPECT_EQ(placed.insertionOrder.front(), static_cast<std::size_t>(count - 1));
  EXPECT_EQ(placed.insertionOrder.back(), 0u);
  EXPECT_EQ(placed.parentRow[0], 1);

  // Closing the chain into one cycle puts every row under the root.
  parents.back() = 1;
  placed = PlaceCategories(ids, parents);
  EXPECT_EQ(std::count(placed.parentRow.begin(), placed.parentRow.end(), -1), count);
}

TEST(CategoryPlacement, ARepeatedIdTakesChildrenAtItsLastRow) {
  CategoryPlacement placed = PlaceCategories({3, 3, 4}, {-1, -1, 3});
  EXPECT_THAT(placed.parentRow, ElementsAre(-1, -1, 1));
}

}  // namespace
}  // namespace orvalen
