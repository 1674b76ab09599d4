#pragma once

// Where each category row of a plugin file goes in the tree, whatever the order of their ids.

#include <cstddef>
#include <optional>
#include <vector>

namespace orvalen {

struct CategoryPlacement {
  // For each row, the row it goes under, or -1 for directly under the root.
  std::vector<int> parentRow;
  // The rows in an order that inserts every parent before its children, and the children of
  // each parent in their given order.
  std::vector<std::size_t> insertionOrder;
};

// ids and parentIds hold the rows in id order (parentIds: nothing for NULL or not a number).
// A row goes under the row whose id is its parent id. It goes directly under the root when
// its parent id is -1, nothing, names no row, names the row itself, or when the row lies on a
// cycle of parents (which no other placement could show).
CategoryPlacement PlaceCategories(const std::vector<int>& ids,
                                  const std::vector<std::optional<int>>& parentIds);

}  // namespace orvalen
