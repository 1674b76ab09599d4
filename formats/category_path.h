#pragma once

// A category's place below the category that a playlist is imported into, or exported from,
// written as one text: the names from the outermost in, joined by '/' ("电影/动作"). That is
// how playlists' group titles and the CSV column name nested groups.
//
// A name holding '/' or '\' has it written with a backslash before it ("AC\/DC"), so that
// every tree of names comes back as it was. Reading is lenient, since group titles are
// written by hand: a backslash before any other character stays as it is, names are trimmed of
// spaces, and empty names (from "A//B" or a leading '/') are left out.

#include <string>
#include <string_view>
#include <vector>

namespace orvalen::formats {

using CategoryPath = std::vector<std::string>;

CategoryPath splitCategoryPath(std::string_view text);
std::string joinCategoryPath(const CategoryPath& path);

}  // namespace orvalen::formats
