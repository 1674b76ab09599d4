#pragma once

// The readers of the playlist formats, each turning a text into entries whose fields are the
// file's bytes, trimmed. playlist_reader.h decodes them and names the unnamed ones.

#include <cstddef>
#include <memory>
#include <string_view>

#include "formats/playlist_entry.h"

namespace orvalen::formats {

class EntryParser {
 public:
  virtual ~EntryParser() = default;
  // The next entry; false when the text has no more. An entry may have no name.
  virtual bool next(PlaylistEntry* entry) = 0;
  // How far the reading has come, in bytes of the text.
  virtual size_t position() const = 0;
};

// Extended M3U, plain lists of URLs, and the "name,URL" lists with "group,#genre#" lines
// that Chinese live-TV apps exchange as .txt (m3u_parser.cpp says how each line is read).
std::unique_ptr<EntryParser> makeM3uParser(std::string_view text);
// CSV: name, video URL, image URL, category path (csv_playlist_parser.cpp).
std::unique_ptr<EntryParser> makeCsvParser(std::string_view text);

}  // namespace orvalen::formats
