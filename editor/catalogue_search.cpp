#include "editor/catalogue_search.h"

#include <algorithm>

#include "db/catalogue.h"

namespace orvalen {
namespace {

// The tree's items depth first, children in the tree's order.
std::vector<TreeItem> treeOrder(const TreeControl& tree) {
  std::vector<TreeItem> order;
  std::vector<TreeItem> stack;
  if (TreeItem root = tree.rootItem()) stack.push_back(root);
  while (!stack.empty()) {
    const TreeItem item = stack.back();
    stack.pop_back();
    order.push_back(item);
    std::vector<TreeItem> children;
    for (TreeItem child = tree.firstChild(item); child; child = tree.nextSibling(child)) {
      children.push_back(child);
    }
    stack.insert(stack.end(), children.rbegin(), children.rend());
  }
  return order;
}

// A place in the order: category index, and the video's index in its list (-1: the category
// itself).
struct Place {
  std::size_t category = 0;
  long video = -1;
};

}  // namespace

std::string FoldAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool HoldsFolded(const std::string& text, const std::string& foldedNeedle) {
  return FoldAscii(text).find(foldedNeedle) != std::string::npos;
}

std::string CatalogueSearch::foldedTexts(const std::string& name, const std::string& url,
                                         const std::string& imageUrl) const {
  std::string folded;
  for (const std::string* bytes : {&name, &url, &imageUrl}) {
    folded += codePage_.decodesUnchanged(*bytes) ? *bytes : codePage_.decode(*bytes);
    folded += '\0';
  }
  return FoldAscii(std::move(folded));
}

const CatalogueSearch::VideosByCategory& CatalogueSearch::videos(CppSQLiteDB& db) {
  if (videosByCategory_) return *videosByCategory_;
  std::vector<StoredVideo> stored;
  LoadAllItemRows(db, stored);
  VideosByCategory byCategory;
  for (const StoredVideo& video : stored) {
    if (!video.parentId) continue;  // no category can show it
    byCategory[*video.parentId].push_back(
        {video.id, foldedTexts(video.name, video.url, video.imageUrl)});
  }
  videosByCategory_ = std::move(byCategory);
  return *videosByCategory_;
}

std::optional<SearchPosition> CatalogueSearch::find(CppSQLiteDB& db, const TreeControl& tree,
                                                    const std::string& text,
                                                    const std::optional<SearchPosition>& from,
                                                    bool backwards) {
  const std::string needle = FoldAscii(text);
  if (needle.empty()) return std::nullopt;
  const VideosByCategory& all = videos(db);
  const std::vector<TreeItem> order = treeOrder(tree);
  if (order.empty()) return std::nullopt;
  static const std::vector<Video> kNone;
  std::vector<const std::vector<Video>*> listed;
  std::size_t places = 0;
  for (TreeItem item : order) {
    const auto found = all.find(tree.itemData(item));
    listed.push_back(found == all.end() ? &kNone : &found->second);
    places += 1 + listed.back()->size();
  }

  auto videoCount = [&](std::size_t category) {
    return static_cast<long>(listed[category]->size());
  };
  auto step = [&](Place& place) {
    if (!backwards) {
      if (++place.video >= videoCount(place.category))
        place = {(place.category + 1) % order.size(), -1};
      return;
    }
    if (--place.video < -1) {
      place.category = (place.category + order.size() - 1) % order.size();
      place.video = videoCount(place.category) - 1;
    }
  };
  auto matches = [&](const Place& place) {
    const TreeItem item = order[place.category];
    if (place.video < 0) {
      return tree.itemData(item) != -1 && HoldsFolded(tree.itemText(item), needle);
    }
    return (*listed[place.category])[static_cast<std::size_t>(place.video)].folded.find(needle) !=
           std::string::npos;
  };

  // Start on the place before the first one to look at.
  Place place{0, -1};
  if (!backwards) place = {order.size() - 1, videoCount(order.size() - 1) - 1};
  if (from) {
    const auto at = std::find(order.begin(), order.end(), from->category);
    if (at != order.end()) {
      place.category = static_cast<std::size_t>(at - order.begin());
      place.video = -1;
      if (from->videoId) {
        const std::vector<Video>& videos = *listed[place.category];
        const auto video = std::lower_bound(videos.begin(), videos.end(), *from->videoId,
                                            [](const Video& v, int id) { return v.id < id; });
        place.video = static_cast<long>(video - videos.begin());
        // A video gone from the list: look on from where it stood.
        if (video == videos.end() || video->id != *from->videoId) place.video -= backwards ? 0 : 1;
      }
    }
  }
  for (std::size_t looked = 0; looked < places; ++looked) {
    step(place);
    if (!matches(place)) continue;
    const TreeItem item = order[place.category];
    if (place.video < 0) return SearchPosition{item, std::nullopt};
    return SearchPosition{item,
                          (*listed[place.category])[static_cast<std::size_t>(place.video)].id};
  }
  return std::nullopt;
}

}  // namespace orvalen
