#pragma once

#include <string>

#include <wx/string.h>

// The program's texts are UTF-8; wxWidgets holds them as wxString. These convert at the edge.
namespace orvalen::wx {

inline wxString toWx(const std::string& utf8) {
  return wxString::FromUTF8(utf8.data(), utf8.size());
}

inline std::string fromWx(const wxString& text) {
  const wxScopedCharBuffer utf8 = text.utf8_str();
  return std::string(utf8.data(), utf8.length());
}

}  // namespace orvalen::wx
