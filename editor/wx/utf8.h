#pragma once

#include <string>
#include <string_view>

#include <wx/string.h>

// The program's texts are UTF-8; wxWidgets holds them as wxString. These convert at the edge.
namespace orvalen::wx {

// A text with one byte that is not UTF-8 (an engine message quoting a file's bytes, a file
// name from a non-UTF-8 system) would become an empty wxString; such bytes show as U+FFFD.
wxString toWx(std::string_view utf8);

std::string fromWx(const wxString& text);

}  // namespace orvalen::wx
