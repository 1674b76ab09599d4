#include "db/code_page.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "db/code_page_converter.h"
#include "db/exception.h"

namespace {

constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";
// How much of a refused text its error message quotes.
constexpr std::size_t kQuotedTextLimit = 60;

[[noreturn]] void refuse(const std::string& text) {
  throw CppSQLiteException(CPPSQLITE_ERROR, text.c_str(), false);
}

std::size_t utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

// The start of a text for a message, cut at a character boundary.
std::string quoteForMessage(std::string_view text) {
  if (text.size() <= kQuotedTextLimit) return "\"" + std::string(text) + "\"";
  std::size_t end = kQuotedTextLimit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return "\"" + std::string(text.substr(0, end)) + "...\"";
}

// "U+1F600" for the UTF-8 character at the start of rest, or "" when it is not valid UTF-8.
std::string describeCharacter(std::string_view rest) {
  std::size_t length = utf8SequenceLength(static_cast<unsigned char>(rest[0]));
  if (length == 0 || length > rest.size()) return "";
  static const unsigned kLeadMasks[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  static const unsigned kShortestForm[] = {0, 0, 0x80, 0x800, 0x10000};
  unsigned codePoint = static_cast<unsigned char>(rest[0]) & kLeadMasks[length];
  for (std::size_t i = 1; i < length; ++i) {
    unsigned char next = static_cast<unsigned char>(rest[i]);
    if ((next & 0xC0) != 0x80) return "";
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  if (codePoint < kShortestForm[length] || surrogate || codePoint > 0x10FFFF) return "";
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", codePoint);
  return name;
}

}  // namespace

CodePage CodePage::forPluginFiles() {
  const char* chosen = std::getenv("ORVALEN_CODEPAGE");
  return CodePage(chosen && *chosen ? chosen : kPluginFileDefault);
}

CodePage::CodePage(std::string name) : name_(std::move(name)) {}
CodePage::~CodePage() = default;
CodePage::CodePage(CodePage&&) noexcept = default;
CodePage& CodePage::operator=(CodePage&&) noexcept = default;

CodePage::Converter& CodePage::encoder() const {
  if (!encoder_) encoder_ = openEncoder(name_);
  if (!encoder_) refuse("unknown code page " + name_);
  return *encoder_;
}

CodePage::Converter& CodePage::decoder() const {
  if (!decoder_) decoder_ = openDecoder(name_);
  if (!decoder_) refuse("unknown code page " + name_);
  return *decoder_;
}

std::string CodePage::encode(std::string_view utf8) const {
  std::string bytes;
  std::size_t done = encoder().convert(utf8, bytes);
  if (done == utf8.size()) return bytes;
  std::string character = describeCharacter(utf8.substr(done));
  if (character.empty()) refuse("the text " + quoteForMessage(utf8) + " is not valid UTF-8");
  refuse("the text " + quoteForMessage(utf8) + " holds a character (" + character +
         ") that code page " + name_ + " cannot hold");
}

namespace {

// Eight bytes at a time: loads look at every byte of every text they read.
bool isAscii(std::string_view bytes) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  std::uint64_t any = 0;
  std::size_t at = 0;
  for (; at + 8 <= bytes.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + at, 8);
    any |= word;
  }
  for (; at < bytes.size(); ++at) any |= static_cast<unsigned char>(bytes[at]);
  return (any & kHighBits) == 0;
}

}  // namespace

// Each ASCII byte alone and all of them in a row must decode to themselves. A byte that
// starts a sequence (UTF-7's '+', an escape of ISO-2022 or HZ) or is only part of a character
// (UTF-16) does not convert alone, and one that stands for another character (EBCDIC) differs,
// so such code pages always go through the converter.
bool CodePage::asciiStandsForItself() const {
  if (!asciiStandsForItself_) {
    Converter& converter = decoder();
    std::string all;
    bool same = true;
    for (int byte = 0; byte < 0x80 && same; ++byte) {
      const std::string one(1, static_cast<char>(byte));
      std::string out;
      same = converter.convert(one, out) == 1 && out == one;
      all += one;
    }
    std::string out;
    asciiStandsForItself_ = same && converter.convert(all, out) == all.size() && out == all;
  }
  return *asciiStandsForItself_;
}

bool CodePage::decodesUnchanged(std::string_view bytes) const {
  return isAscii(bytes) && asciiStandsForItself();
}

std::string CodePage::decode(std::string_view bytes, bool* undecodable) const {
  if (undecodable) *undecodable = false;
  if (decodesUnchanged(bytes)) return std::string(bytes);
  std::string text;
  Converter& converter = decoder();
  while (!bytes.empty()) {
    std::size_t done = converter.convert(bytes, text);
    if (done == bytes.size()) break;
    text += kReplacementCharacter;
    if (undecodable) *undecodable = true;
    bytes.remove_prefix(done + 1);
  }
  return text;
}
