#include "formats/url_name.h"

#include "formats/text_encoding.h"

namespace orvalen::formats {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string percentDecoded(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '%' && at + 2 < text.size() && hexValue(text[at + 1]) >= 0 &&
        hexValue(text[at + 2]) >= 0) {
      decoded.push_back(static_cast<char>(hexValue(text[at + 1]) * 16 + hexValue(text[at + 2])));
      at += 2;
    } else {
      decoded.push_back(text[at]);
    }
  }
  return decoded;
}

std::string_view withoutQueryAndFragment(std::string_view url) {
  const size_t end = url.find_first_of("?#");
  return end == std::string_view::npos ? url : url.substr(0, end);
}

}  // namespace

std::string nameFromUrl(std::string_view url) {
  std::string_view path = withoutQueryAndFragment(url);
  while (!path.empty() && (path.back() == '/' || path.back() == '\\')) path.remove_suffix(1);
  const size_t slash = path.find_last_of("/\\");
  const std::string_view segment = slash == std::string_view::npos ? path : path.substr(slash + 1);
  if (segment.empty()) return std::string(url);
  std::string decoded = percentDecoded(segment);
  if (decoded.empty() || !isValidUtf8(decoded)) return std::string(segment);
  return decoded;
}

}  // namespace orvalen::formats
