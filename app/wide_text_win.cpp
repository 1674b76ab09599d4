#include "wide_text.h"

#include "text/utf16.h"

namespace orvalen::app {

// A wchar_t is a UTF-16 unit on Windows.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring toWide(const std::string& utf8) {
  const std::u16string utf16 = text::utf16FromUtf8(utf8);
  return std::wstring(utf16.begin(), utf16.end());
}

std::string toUtf8(const std::wstring& wide) {
  return text::utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}

}  // namespace orvalen::app
