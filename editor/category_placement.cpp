#include "editor/category_placement.h"

#include <unordered_map>

namespace orvalen {
namespace {

std::vector<int> namedParents(const std::vector<int>& ids,
                              const std::vector<std::optional<int>>& parentIds) {
  // A table without an integer key could repeat an id; the last row of it takes the children.
  std::unordered_map<int, int> rowOfId;
  for (std::size_t row = 0; row < ids.size(); ++row) rowOfId[ids[row]] = static_cast<int>(row);
  std::vector<int> parentRow(ids.size(), -1);
  for (std::size_t row = 0; row < ids.size(); ++row) {
    const std::optional<int>& parentId = parentIds[row];
    if (!parentId || *parentId == -1) continue;
    auto found = rowOfId.find(*parentId);
    if (found != rowOfId.end() && found->second != static_cast<int>(row)) {
      parentRow[row] = found->second;
    }
  }
  return parentRow;
}

// Following parents from any row either reaches the root or runs into a cycle. The rows of
// each cycle move to the root; rows that merely lead into one keep their parent.
void cutCycles(std::vector<int>& parentRow) {
  enum class Mark { kNew, kOnPath, kDone };
  std::vector<Mark> marks(parentRow.size(), Mark::kNew);
  std::vector<int> path;
  for (std::size_t start = 0; start < parentRow.size(); ++start) {
    path.clear();
    int row = static_cast<int>(start);
    while (row >= 0 && marks[row] == Mark::kNew) {
      marks[row] = Mark::kOnPath;
      path.push_back(row);
      row = parentRow[row];
    }
    if (row >= 0 && marks[row] == Mark::kOnPath) {
      const int cycleStart = row;
      do {
        const int next = parentRow[row];
        parentRow[row] = -1;
        row = next;
      } while (row != cycleStart);
    }
    for (int visited : path) marks[visited] = Mark::kDone;
  }
}

// Pre-order, children in row order, without recursion: a chain of parents can be long.
std::vector<std::size_t> parentsFirst(const std::vector<int>& parentRow) {
  const std::size_t count = parentRow.size();
  std::vector<std::vector<std::size_t>> children(count);
  std::vector<std::size_t> tops;
  for (std::size_t row = 0; row < count; ++row) {
    (parentRow[row] < 0 ? tops : children[parentRow[row]]).push_back(row);
  }
  std::vector<std::size_t> order;
  order.reserve(count);
  std::vector<std::size_t> stack(tops.rbegin(), tops.rend());
  while (!stack.empty()) {
    const std::size_t row = stack.back();
    stack.pop_back();
    order.push_back(row);
    stack.insert(stack.end(), children[row].rbegin(), children[row].rend());
  }
  return order;
}

}  // namespace

CategoryPlacement PlaceCategories(const std::vector<int>& ids,
                                  const std::vector<std::optional<int>>& parentIds) {
  CategoryPlacement placement;
  placement.parentRow = namedParents(ids, parentIds);
  cutCycles(placement.parentRow);
  placement.insertionOrder = parentsFirst(placement.parentRow);
  return placement;
}

}  // namespace orvalen
