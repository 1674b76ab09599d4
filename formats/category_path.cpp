#include "formats/category_path.h"

#include "formats/text_trim.h"

namespace orvalen::formats {

namespace {

constexpr char kSeparator = '/';
constexpr char kEscape = '\\';

bool isEscaped(char c) {
  return c == kSeparator || c == kEscape;
}

void takeName(std::string* name, CategoryPath* path) {
  const std::string_view trimmed = trimmedText(*name);
  if (!trimmed.empty()) path->emplace_back(trimmed);
  name->clear();
}

}  // namespace

CategoryPath splitCategoryPath(std::string_view text) {
  CategoryPath path;
  std::string name;
  for (size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (c == kEscape && at + 1 < text.size() && isEscaped(text[at + 1])) {
      name.push_back(text[++at]);
    } else if (c == kSeparator) {
      takeName(&name, &path);
    } else {
      name.push_back(c);
    }
  }
  takeName(&name, &path);
  return path;
}

std::string joinCategoryPath(const CategoryPath& path) {
  std::string text;
  for (const std::string& name : path) {
    if (!text.empty()) text.push_back(kSeparator);
    for (const char c : name) {
      if (isEscaped(c)) text.push_back(kEscape);
      text.push_back(c);
    }
  }
  return text;
}

}  // namespace orvalen::formats
