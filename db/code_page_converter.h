#pragma once

// One direction of conversion between UTF-8 and a plugin file's code page. Each platform
// provides it with its own conversion calls: iconv on POSIX systems (code_page_iconv.cpp),
// the Win32 calls on Windows (code_page_win.cpp). Both give the same results: a character
// that the target cannot hold stops the conversion (it is never replaced by a look-alike or
// a default character), and so does a byte sequence that is not a character of the source.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "db/code_page.h"

class CodePage::Converter {
 public:
  virtual ~Converter() = default;
  // Converts input until it ends or meets what cannot be converted, appending the result to
  // output. Returns the number of input bytes consumed.
  virtual std::size_t convert(std::string_view input, std::string& output) = 0;
};

// UTF-8 to the named code page, and back; nullptr when the platform does not know the name.
std::unique_ptr<CodePage::Converter> openEncoder(const std::string& codePage);
std::unique_ptr<CodePage::Converter> openDecoder(const std::string& codePage);
