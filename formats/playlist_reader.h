#pragma once

// Reading a playlist into videos and the categories they go into.
//
// The reader takes the file's bytes, finds their encoding (text_encoding.h) and reads one
// entry at a time, so that a caller can show progress and stop between entries; a whole
// file is read with readPlaylist(). Every entry comes out with its line and, when it cannot
// become a video, the reason (playlist_entry.h); entries without a name are named after
// their URL (url_name.h). Texts come out in UTF-8: a file in the plugin file's code page is
// converted, a field at a time, by the decoder the caller gives, since this library knows no
// code pages.
//
// Formats: extended M3U and M3U8, plain lists of URLs and the "name,URL" .txt lists
// (entry_parser.h), and CSV.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/playlist_entry.h"
#include "formats/text_encoding.h"

namespace orvalen::formats {

class EntryParser;

enum class PlaylistFormat { kM3u, kCsv };

// CSV for a name ending in ".csv" (in any case), M3U for the rest (.m3u, .m3u8, .txt).
PlaylistFormat playlistFormatOf(std::string_view fileName);

// Converts bytes of the plugin file's code page to UTF-8; false when they are no text of it.
using CodePageDecoder = std::function<bool(std::string_view bytes, std::string* utf8)>;

class PlaylistReader {
 public:
  PlaylistReader(PlaylistFormat format, std::string fileBytes, CodePageDecoder decoder);
  ~PlaylistReader();
  PlaylistReader(const PlaylistReader&) = delete;
  PlaylistReader& operator=(const PlaylistReader&) = delete;

  // The next entry; false when the file has no more.
  bool next(PlaylistEntry* entry);

  TextEncoding encoding() const { return encoding_; }
  // How far the reading has come, as a fraction from 0 to 1.
  double progress() const;

 private:
  void decode(PlaylistEntry* entry) const;
  bool decodeField(std::string* field) const;

  TextEncoding encoding_;
  std::string text_;  // in UTF-8, or in the code page when the encoding is kCodePage
  std::unique_ptr<EntryParser> parser_;
  CodePageDecoder decoder_;
};

// Every entry of a playlist, in file order.
std::vector<PlaylistEntry> readPlaylist(PlaylistFormat format, std::string fileBytes,
                                        CodePageDecoder decoder);

}  // namespace orvalen::formats
