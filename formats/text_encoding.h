#pragma once

// Which encoding a playlist's bytes are in, and the step from there to a text the readers
// take. Playlists come from everywhere: UTF-8 with or without a byte order mark (most .m3u8
// and web exports), UTF-16 with a byte order mark (Notepad's "Unicode"), or the ANSI code page
// of the Windows system that wrote them, which for the plugin makers is the plugin files' own
// code page (GBK). A text that is valid UTF-8 is taken as UTF-8: GBK texts of any length are
// almost never valid UTF-8, while ASCII reads the same either way.

#include <cstddef>
#include <string>
#include <string_view>

namespace orvalen::formats {

enum class TextEncoding {
  kUtf8,
  kUtf16LittleEndian,
  kUtf16BigEndian,
  kCodePage,  // not UTF-8: the plugin file's code page, converted by the caller
};

TextEncoding detectEncoding(std::string_view bytes);

// Whether bytes are well-formed UTF-8 (RFC 3629: no overlong forms, no surrogates, nothing
// above U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// The text without its byte order mark, in UTF-8 when the encoding is one of Unicode's; in
// the code page's bytes otherwise. A UTF-16 unit that is no character (a lone surrogate, an
// odd last byte) becomes U+FFFD.
std::string textWithoutByteOrderMark(std::string bytes, TextEncoding encoding);

}  // namespace orvalen::formats
