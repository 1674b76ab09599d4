#include "editor/category_tree.h"

#include <optional>

#include "db/catalogue.h"
#include "editor/category_placement.h"

namespace orvalen {

int CategoryTree::rowOf(int categoryId) const {
  if (categoryId < 0) return -1;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    if (ids[i] == categoryId) return static_cast<int>(i);
  }
  return -2;
}

CategoryTree ReadCategoryTree(CppSQLiteDB& db, const CodePage& codePage) {
  CategoryTree tree;
  std::vector<std::optional<int>> parentIds;
  LoadTypeRows(db, tree.ids, parentIds, tree.names, codePage);
  const CategoryPlacement placement = PlaceCategories(tree.ids, parentIds);
  for (std::size_t row : placement.insertionOrder) {
    tree.childRows[placement.parentRow[row]].push_back(row);
  }
  return tree;
}

}  // namespace orvalen
