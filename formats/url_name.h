#pragma once

#include <string>
#include <string_view>

namespace orvalen::formats {

// A name for a video that a playlist lists by its URL alone: the URL's last path segment
// without query or fragment, with %XX escapes decoded when that gives UTF-8
// ("http://host/films/%E5%8A%9F%E5%A4%AB.mp4?t=1" gives "功夫.mp4"). A URL without a path
// gives its host; a local path ("D:\videos\a.mp4") its file name.
std::string nameFromUrl(std::string_view url);

}  // namespace orvalen::formats
