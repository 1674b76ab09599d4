#include "db/code_page.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "db/code_page_converter.h"
#include "db/exception.h"
#include "text/utf8.h"

namespace {

using orvalen::text::codePointName;
using orvalen::text::utf8CharacterLength;

constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";
// How much of a refused text its error message quotes.
constexpr std::size_t kQuotedTextLimit = 60;

[[noreturn]] void refuse(const std::string& text, FailureKind kind = FailureKind::kOther) {
  throw CppSQLiteException(kind, text.c_str());
}

// The start of a text for a message, cut at a character boundary.
std::string quoteForMessage(std::string_view text) {
  if (text.size() <= kQuotedTextLimit) return "\"" + std::string(text) + "\"";
  std::size_t end = kQuotedTextLimit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return "\"" + std::string(text.substr(0, end)) + "...\"";
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

std::optional<std::size_t> CodePage::refusalOffset(std::string_view utf8) const {
  std::string bytes;
  const std::size_t done = encoder().convert(utf8, bytes);
  if (done == utf8.size()) return std::nullopt;
  return done;
}

std::string CodePage::encode(std::string_view utf8) const {
  std::string bytes;
  const std::size_t done = encoder().convert(utf8, bytes);
  if (done == utf8.size()) return bytes;
  const std::string_view rest = utf8.substr(done);
  const std::string character = codePointName(rest.substr(0, utf8CharacterLength(rest)));
  if (character.empty()) {
    refuse("the text " + quoteForMessage(utf8) + " is not valid UTF-8",
           FailureKind::kTextNotRepresentable);
  }
  refuse("the text " + quoteForMessage(utf8) + " holds a character (" + character +
             ") that code page " + name_ + " cannot hold",
         FailureKind::kTextNotRepresentable);
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
