#include "editor/branch_links.h"

#include "db/catalogue.h"
#include "editor/category_tree.h"
#include "editor/user_texts.h"

namespace orvalen {
namespace {

void addLinksOf(CppSQLiteDB& db, int categoryId, const std::string& category,
                const CodePage& codePage, std::vector<VideoLink>& links) {
  std::vector<int> ids;
  std::vector<std::string> names, urls, imageUrls;
  LoadItemRows(db, categoryId, ids, names, urls, imageUrls, codePage);
  for (std::size_t i = 0; i < ids.size(); ++i) {
    for (const std::string* url : {&urls[i], &imageUrls[i]}) {
      if (!url->empty()) links.push_back({ids[i], names[i], category, *url});
    }
  }
}

void addBranch(CppSQLiteDB& db, const CategoryTree& tree, int row, const CodePage& codePage,
               std::vector<VideoLink>& links) {
  const auto children = tree.childRows.find(row);
  if (children == tree.childRows.end()) return;
  for (std::size_t child : children->second) {
    addLinksOf(db, tree.ids[child], tree.names[child].text(), codePage, links);
    addBranch(db, tree, static_cast<int>(child), codePage, links);
  }
}

}  // namespace

std::vector<VideoLink> LinksOfBranch(CppSQLiteDB& db, int categoryId, const std::string& rootName,
                                     const CodePage& codePage) {
  const CategoryTree tree = ReadCategoryTree(db, codePage);
  const int row = tree.rowOf(categoryId);
  std::vector<VideoLink> links;
  if (row == -2) return links;
  addLinksOf(db, categoryId, row < 0 ? rootName : tree.names[row].text(), codePage, links);
  addBranch(db, tree, row, codePage, links);
  return links;
}

std::string LinkFailure(const LinkResult& result) {
  switch (result.status) {
    case LinkStatus::kOk:
      return {};
    case LinkStatus::kHttpError:
      return text::kLinkHttpStatus + std::to_string(result.httpStatus);
    case LinkStatus::kTimedOut:
      return text::kLinkTimedOut;
    case LinkStatus::kNameNotFound:
      return text::kLinkNameNotFound;
    case LinkStatus::kRefused:
      return text::kLinkRefused;
    case LinkStatus::kNotChecked:
      return text::kLinkNotChecked;
    case LinkStatus::kFailed:
      break;
  }
  return result.detail.empty() ? std::string(text::kLinkFailed)
                               : text::kLinkFailed + std::string("：") + result.detail;
}

}  // namespace orvalen
