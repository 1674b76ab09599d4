#pragma once

// Finding categories and videos by a part of their texts, in the order the window shows them.
//
// Order: the tree's, depth first from the root item, children as the tree holds them (id
// order); each category before its videos, the videos in list order (id order). The root
// item is no category (its label is the file's name) and is not matched; its videos are.
// Videos whose category the tree does not show are never matched.
//
// Matching: a category matches when its name holds the text, a video when its name, video URL
// or image URL does; ASCII letters match whatever their case, other characters only
// themselves. Texts are compared as the window shows them (UTF-8, decoded from the file's code
// page), so a match is always made of whole characters: the second byte of a GBK character
// never matches an ASCII letter.

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/code_page.h"
#include "db/database.h"
#include "editor/toolkit.h"

namespace orvalen {

// A place in the order: a category, or one of its videos.
struct SearchPosition {
  TreeItem category;
  std::optional<int> videoId;
};

// Whether text holds the needle, ASCII letters of both taken in lower case. needle must be
// folded already (FoldAscii).
bool HoldsFolded(const std::string& text, const std::string& foldedNeedle);
std::string FoldAscii(std::string text);

class CatalogueSearch {
 public:
  explicit CatalogueSearch(const CodePage& codePage) : codePage_(codePage) {}

  // The videos are read from the file at the first search and kept; the window calls this
  // after each change it makes to the file, so that the next search reads them again.
  void forgetVideos() { videosByCategory_.reset(); }

  // The first match after `from` (before it when backwards), going round past the end; from
  // nothing: the first (or last) match of all. Nothing when nothing matches.
  std::optional<SearchPosition> find(CppSQLiteDB& db, const TreeControl& tree,
                                     const std::string& text,
                                     const std::optional<SearchPosition>& from, bool backwards);

 private:
  struct Video {
    int id;
    std::string folded;  // name, video URL and image URL, folded, each ended by a NUL
  };
  using VideosByCategory = std::unordered_map<int, std::vector<Video>>;

  const VideosByCategory& videos(CppSQLiteDB& db);
  std::string foldedTexts(const std::string& name, const std::string& url,
                          const std::string& imageUrl) const;

  const CodePage& codePage_;
  std::optional<VideosByCategory> videosByCategory_;
};

}  // namespace orvalen
