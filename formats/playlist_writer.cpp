#include "formats/playlist_writer.h"

namespace orvalen::formats {

void PlaylistWriter::beginCategory(const CategoryPath& path) {
  endCategory();
  path_ = joinCategoryPath(path);
  pathHasVideos_ = path_.empty();
  startCategory(path_);
}

bool PlaylistWriter::addVideo(const ExportedVideo& video) {
  pathHasVideos_ = true;
  return writeVideo(video);
}

void PlaylistWriter::finish() {
  endCategory();
}

void PlaylistWriter::endCategory() {
  if (!pathHasVideos_) writeEmptyCategory(path_);
  pathHasVideos_ = true;
}

}  // namespace orvalen::formats
