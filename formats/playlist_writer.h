#pragma once

// Writing a category's videos, and those of its sub-categories, as a playlist:
//
//   M3U8 (UTF-8, for players and playlist editors):
//     #EXTM3U
//     #EXTINF:-1 tvg-logo="<image URL>" group-title="<category path>",<name>
//     <video URL>
//   CSV (RFC 4180, UTF-8 with a byte order mark so that spreadsheets take it as UTF-8, CR LF
//   line ends), a record per video:
//     <name>,<video URL>,<image URL>,<category path>
//
// The category path (category_path.h) is the video's category below the exported one, empty
// for the exported category's own videos. A category without videos of its own is written as
// "#EXTGRP:<category path>" in M3U8 (a group named, with no entry after it) and as a record with
// the path alone in CSV. Read back by playlist_reader.h, either form gives the same categories and
// videos in the same order.
//
// CSV can hold any text. M3U cannot hold a line break anywhere, a '"' in an attribute, or a
// video URL that is empty or starts with '#'; such a video is written as near as the format
// allows (line breaks as spaces, '"' in the image URL as %22 and in the path as '), and the
// writer says so. The texts are written as the bytes given.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/category_path.h"

namespace orvalen::formats {

struct ExportedVideo {
  std::string_view name;
  std::string_view videoUrl;
  std::string_view imageUrl;
};

// Categories are given depth first, each followed by its own videos in list order; finish()
// ends the file.
class PlaylistWriter {
 public:
  virtual ~PlaylistWriter() = default;
  // The category of the videos added from here on.
  void beginCategory(const CategoryPath& path);
  // Appends the video; false when it could not be written exactly as it is.
  bool addVideo(const ExportedVideo& video);
  void finish();

 protected:
  // The category path as the format writes it.
  virtual void startCategory(const std::string& path) = 0;
  virtual bool writeVideo(const ExportedVideo& video) = 0;
  virtual void writeEmptyCategory(const std::string& path) = 0;

 private:
  void endCategory();

  std::string path_;           // the current category's, joined
  bool pathHasVideos_ = true;  // the exported category itself needs no line of its own
};

// Writers appending to *out, which must outlive them. Between calls the caller may take what
// is in *out away (write it to the file and clear it), so that a large export needs no buffer
// of its whole size. The CSV writer starts with a record of
// the column titles when given (name, video URL, image URL, category path).
std::unique_ptr<PlaylistWriter> makeM3uWriter(std::string* out);
std::unique_ptr<PlaylistWriter> makeCsvWriter(std::string* out,
                                              const std::vector<std::string>& columnTitles);

}  // namespace orvalen::formats
