#include "utf8.h"

#include "formats/text_encoding.h"

namespace orvalen::wx {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

}  // namespace

std::string withInvalidUtf8Replaced(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  while (!bytes.empty()) {
    const size_t length = formats::utf8CharacterLength(bytes);
    if (length == 0) {
      text += kReplacement;
      bytes.remove_prefix(1);
    } else {
      text.append(bytes.data(), length);
      bytes.remove_prefix(length);
    }
  }
  return text;
}

wxString toWx(std::string_view utf8) {
  wxString text = wxString::FromUTF8(utf8.data(), utf8.size());
  if (!text.empty() || utf8.empty()) return text;
  const std::string valid = withInvalidUtf8Replaced(utf8);
  return wxString::FromUTF8(valid.data(), valid.size());
}

std::string fromWx(const wxString& text) {
  const wxScopedCharBuffer utf8 = text.utf8_str();
  return std::string(utf8.data(), utf8.length());
}

}  // namespace orvalen::wx
