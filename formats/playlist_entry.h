#pragma once

#include <string>

#include "formats/category_path.h"

namespace orvalen::formats {

// Why an entry of a playlist cannot become a video.
enum class EntryProblem {
  kNone,
  kNoUrl,        // an #EXTINF with no URL after it, a CSV line without a video URL
  kUndecodable,  // bytes that are no text: not of the plugin file's code page, or a zero byte
};

// One video as a playlist gives it. Texts are UTF-8, except in an entry that is kUndecodable:
// there a text that did not decode holds the file's bytes.
struct PlaylistEntry {
  int line = 0;               // where the entry starts in the file, from 1
  CategoryPath categoryPath;  // below the category it goes into; empty: that category itself
  std::string name;
  std::string videoUrl;
  std::string imageUrl;
  EntryProblem problem = EntryProblem::kNone;
  // A category named with no video of its own (an empty category of an export): the entry
  // only asks for the category path to be there, and has no name or URLs.
  bool categoryOnly = false;

  bool canBeTaken() const { return problem == EntryProblem::kNone; }
};

}  // namespace orvalen::formats
