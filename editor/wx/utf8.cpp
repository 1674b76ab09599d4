#include "utf8.h"

#include "text/utf8.h"

namespace orvalen::wx {

wxString toWx(std::string_view utf8) {
  wxString text = wxString::FromUTF8(utf8.data(), utf8.size());
  if (!text.empty() || utf8.empty()) return text;
  const std::string valid = text::withInvalidUtf8Replaced(utf8);
  return wxString::FromUTF8(valid.data(), valid.size());
}

std::string fromWx(const wxString& text) {
  const wxScopedCharBuffer utf8 = text.utf8_str();
  return std::string(utf8.data(), utf8.length());
}

}  // namespace orvalen::wx
