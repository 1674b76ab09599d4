#include "utf8.h"

namespace orvalen::wx {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

bool isContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// The length of the well-formed sequence at the start of text, or 0 when there is none. The
// second byte's range depends on the lead byte; that is what rules out overlong forms,
// surrogates and code points past U+10FFFF.
size_t sequenceLength(std::string_view text) {
  const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char secondLow = 0x80;
  unsigned char secondHigh = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) secondLow = 0xA0;
    if (lead == 0xED) secondHigh = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) secondLow = 0x90;
    if (lead == 0xF4) secondHigh = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < secondLow || byte(1) > secondHigh) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (!isContinuation(byte(i))) return 0;
  }
  return length;
}

}  // namespace

std::string withInvalidUtf8Replaced(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  while (!bytes.empty()) {
    const size_t length = sequenceLength(bytes);
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
