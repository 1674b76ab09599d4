// The code page conversions on Windows: MultiByteToWideChar and WideCharToMultiByte, with
// UTF-16 in between. They are asked to refuse rather than substitute (MB_ERR_INVALID_CHARS,
// WC_NO_BEST_FIT_CHARS and the default-character flag), and every encoded text is decoded
// again and compared, which also catches code pages that take no such flags.

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "db/code_page_converter.h"
#include "text/utf8.h"

namespace {

using orvalen::text::utf8CharacterLength;

// UTF-16 is not a code page that the conversion calls take; it is their wide form itself.
constexpr UINT kUtf16Le = 1200;
constexpr UINT kUtf16Be = 1201;

struct CodePageName {
  const char* name;
  UINT number;
};

// Names as iconv knows them, for the code pages a plugin file might use.
constexpr CodePageName kNames[] = {
    {"UTF-8", CP_UTF8},     {"UTF8", CP_UTF8},  {"UTF-7", CP_UTF7},     {"UTF-16LE", kUtf16Le},
    {"UTF-16BE", kUtf16Be}, {"GBK", 936},       {"GB2312", 936},        {"EUC-CN", 936},
    {"MS936", 936},         {"GB18030", 54936}, {"BIG5", 950},          {"BIG-5", 950},
    {"CN-BIG5", 950},       {"SHIFT_JIS", 932}, {"SHIFT-JIS", 932},     {"SJIS", 932},
    {"MS_KANJI", 932},      {"EUC-JP", 20932},  {"ISO-2022-JP", 50220}, {"EUC-KR", 51949},
    {"UHC", 949},           {"KOI8-R", 20866},  {"KOI8-U", 21866},      {"US-ASCII", 20127},
    {"ASCII", 20127},       {"LATIN1", 28591},  {"TIS-620", 874},
};

std::string upperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// The number after prefix, or 0 when name is not prefix followed by digits only.
UINT numberAfter(const std::string& name, const std::string& prefix) {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return 0;
  const std::string digits = name.substr(prefix.size());
  if (digits.size() > 5 || !std::all_of(digits.begin(), digits.end(), ::isdigit)) return 0;
  return static_cast<UINT>(std::atoi(digits.c_str()));
}

UINT isoLatinCodePage(const std::string& name) {
  UINT part = numberAfter(name, "ISO-8859-");
  if (part == 0) part = numberAfter(name, "ISO8859-");
  if ((part >= 1 && part <= 9) || part == 13 || part == 15) return 28590 + part;
  return 0;
}

// The code page number for a name, or 0 when the name means nothing here.
UINT codePageNumber(const std::string& givenName) {
  const std::string name = upperCase(givenName);
  for (const CodePageName& known : kNames) {
    if (name == known.name) return known.number;
  }
  for (const char* prefix : {"CP", "WINDOWS-", "IBM", "MS", ""}) {
    if (UINT number = numberAfter(name, prefix)) return number;
  }
  return isoLatinCodePage(name);
}

bool isUtf16(UINT codePage) {
  return codePage == kUtf16Le || codePage == kUtf16Be;
}

// Code pages for which the calls refuse every flag (and the default-character query).
bool takesNoFlags(UINT codePage) {
  return codePage == 42 || (codePage >= 50220 && codePage <= 50229) ||
         (codePage >= 57002 && codePage <= 57011) || codePage == CP_UTF7 || codePage == CP_UTF8;
}

// UTF-16 in its byte order, from bytes or into them.
bool utf16FromBytes(UINT codePage, std::string_view bytes, std::wstring& wide) {
  if (bytes.size() % 2 != 0) return false;
  wide.clear();
  for (std::size_t at = 0; at < bytes.size(); at += 2) {
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    wide += static_cast<wchar_t>(codePage == kUtf16Le ? first | second << 8 : second | first << 8);
  }
  // An unpaired surrogate is no character.
  return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(),
                             static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr) > 0;
}

void utf16ToBytes(UINT codePage, const std::wstring& wide, std::string& bytes) {
  for (wchar_t unit : wide) {
    const char low = static_cast<char>(unit & 0xFF);
    const char high = static_cast<char>(unit >> 8);
    bytes += codePage == kUtf16Le ? std::string{low, high} : std::string{high, low};
  }
}

// The bytes as UTF-16; false when they are not a whole sequence of the code page's characters.
bool toWide(UINT codePage, std::string_view bytes, std::wstring& wide) {
  wide.clear();
  if (bytes.empty()) return true;
  if (isUtf16(codePage)) return utf16FromBytes(codePage, bytes, wide);
  const DWORD flags = takesNoFlags(codePage) && codePage != CP_UTF8 ? 0 : MB_ERR_INVALID_CHARS;
  const int length = static_cast<int>(bytes.size());
  const int units = MultiByteToWideChar(codePage, flags, bytes.data(), length, nullptr, 0);
  if (units <= 0) return false;
  wide.resize(static_cast<std::size_t>(units));
  return MultiByteToWideChar(codePage, flags, bytes.data(), length, wide.data(), units) == units;
}

void appendUtf8(const std::wstring& wide, std::string& output) {
  if (wide.empty()) return;
  const int length = static_cast<int>(wide.size());
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  const std::size_t start = output.size();
  output.resize(start + static_cast<std::size_t>(size));
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, output.data() + start, size, nullptr,
                      nullptr);
}

// The code page's bytes for wide, appended to output; false (and nothing appended) when a
// character has no form of its own there.
bool appendEncoded(UINT codePage, const std::wstring& wide, std::string& output) {
  std::string bytes;
  if (isUtf16(codePage)) {
    utf16ToBytes(codePage, wide, bytes);
  } else if (!wide.empty()) {
    const DWORD flags = takesNoFlags(codePage) ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* askUsedDefault = takesNoFlags(codePage) ? nullptr : &usedDefault;
    const int length = static_cast<int>(wide.size());
    const int size = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr,
                                         askUsedDefault);
    if (size <= 0 || usedDefault) return false;
    bytes.resize(static_cast<std::size_t>(size));
    WideCharToMultiByte(codePage, flags, wide.data(), length, bytes.data(), size, nullptr, nullptr);
  }
  std::wstring back;
  if (!toWide(codePage, bytes, back) || back != wide) return false;
  output += bytes;
  return true;
}

class Encoder : public CodePage::Converter {
 public:
  explicit Encoder(UINT codePage) : codePage_(codePage) {}

  std::size_t convert(std::string_view utf8, std::string& output) override {
    std::wstring wide;
    if (toWide(CP_UTF8, utf8, wide) && appendEncoded(codePage_, wide, output)) return utf8.size();
    const std::size_t held = heldPrefix(utf8);
    toWide(CP_UTF8, utf8.substr(0, held), wide);
    appendEncoded(codePage_, wide, output);
    return held;
  }

 private:
  // The length of the longest start of utf8 made of whole characters the code page holds.
  std::size_t heldPrefix(std::string_view utf8) const {
    std::size_t at = 0;
    std::wstring wide;
    std::string ignored;
    while (at < utf8.size()) {
      // A byte that starts no well-formed character fails alone.
      const std::size_t length = std::max<std::size_t>(1, utf8CharacterLength(utf8.substr(at)));
      if (!toWide(CP_UTF8, utf8.substr(at, length), wide) ||
          !appendEncoded(codePage_, wide, ignored))
        break;
      at += length;
    }
    return at;
  }

  UINT codePage_;
};

class Decoder : public CodePage::Converter {
 public:
  explicit Decoder(UINT codePage) : codePage_(codePage), longest_(longestCharacter(codePage)) {}

  std::size_t convert(std::string_view bytes, std::string& output) override {
    std::wstring wide;
    if (toWide(codePage_, bytes, wide)) {
      appendUtf8(wide, output);
      return bytes.size();
    }
    const std::size_t decodable = decodablePrefix(bytes);
    toWide(codePage_, bytes.substr(0, decodable), wide);
    appendUtf8(wide, output);
    return decodable;
  }

 private:
  static std::size_t longestCharacter(UINT codePage) {
    if (isUtf16(codePage) || codePage == CP_UTF8 || codePage == 54936) return 4;
    CPINFO info;
    return GetCPInfo(codePage, &info) ? std::max<std::size_t>(info.MaxCharSize, 1) : 4;
  }

  // The length of the longest start of bytes made of whole characters: each character is the
  // shortest run of bytes, from where the previous one ended, that decodes.
  std::size_t decodablePrefix(std::string_view bytes) const {
    std::size_t at = 0;
    std::wstring wide;
    while (at < bytes.size()) {
      std::size_t length = 1;
      while (length <= longest_ && at + length <= bytes.size() &&
             !toWide(codePage_, bytes.substr(at, length), wide)) {
        ++length;
      }
      if (length > longest_ || at + length > bytes.size()) break;
      at += length;
    }
    return at;
  }

  UINT codePage_;
  std::size_t longest_;
};

// The number of a code page the system can convert, or 0.
UINT usableCodePage(const std::string& name) {
  const UINT number = codePageNumber(name);
  if (number == 0) return 0;
  return isUtf16(number) || IsValidCodePage(number) ? number : 0;
}

}  // namespace

std::unique_ptr<CodePage::Converter> openEncoder(const std::string& codePage) {
  const UINT number = usableCodePage(codePage);
  return number ? std::make_unique<Encoder>(number) : nullptr;
}

std::unique_ptr<CodePage::Converter> openDecoder(const std::string& codePage) {
  const UINT number = usableCodePage(codePage);
  return number ? std::make_unique<Decoder>(number) : nullptr;
}
