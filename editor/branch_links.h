#pragma once

// The links a link check asks for in a branch of categories, and how its results are told.

#include <string>
#include <vector>

#include "db/code_page.h"
#include "db/database.h"
#include "editor/link_check.h"

namespace orvalen {

struct VideoLink {
  int videoId = 0;
  std::string video;     // the video's name, as shown
  std::string category;  // the name of the category it is in, as shown
  std::string url;
};

// The video URLs and image URLs, empty ones left out, of the videos of categoryId (-1: the
// root) and of every category below it, depth first as the tree shows them.
std::vector<VideoLink> LinksOfBranch(CppSQLiteDB& db, int categoryId, const std::string& rootName,
                                     const CodePage& codePage);

// Why a link failed, for the result list; empty for a link that answered.
std::string LinkFailure(const LinkResult& result);

}  // namespace orvalen
