#pragma once

// The categories of a plugin file as the editor's tree shows them (category_placement.h): each
// row's children in id order, the root's children under -1. For walking a branch the way the
// user sees it.

#include <map>
#include <vector>

#include "db/code_page.h"
#include "db/database.h"
#include "db/file_text.h"

namespace orvalen {

struct CategoryTree {
  std::vector<int> ids;
  std::vector<FileText> names;
  std::map<int, std::vector<std::size_t>> childRows;  // by parent row, -1 for the root

  // The row of a category id, -1 for the root (a negative id), -2 for no such category.
  int rowOf(int categoryId) const;
};

CategoryTree ReadCategoryTree(CppSQLiteDB& db, const CodePage& codePage);

}  // namespace orvalen
