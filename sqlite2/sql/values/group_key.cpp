#include "sql/values/group_key.h"

#include <cstdint>
#include <cstring>

#include "record/numeric_text.h"

namespace sqlite2 {

void appendGroupKey(std::string& key, std::optional<std::string_view> value, bool asText) {
  if (!value) {
    key += 'z';
    return;
  }
  if (!asText && looksLikeNumber(*value)) {
    double number = numericValue(*value);
    if (number == 0) number = 0;  // -0 is 0
    char bytes[sizeof number];
    std::memcpy(bytes, &number, sizeof number);
    key += 'n';
    key.append(bytes, sizeof bytes);
    return;
  }
  // The length first, so that no text can run into the next part.
  uint32_t length = static_cast<uint32_t>(value->size());
  const size_t at = key.size();
  key.resize(at + 1 + sizeof length + value->size());
  char* out = key.data() + at;
  *out = 't';
  std::memcpy(out + 1, &length, sizeof length);
  if (!value->empty()) std::memcpy(out + 1 + sizeof length, value->data(), value->size());
}

namespace {

// Reads the part at pos: its tag, and its number or bytes; pos moves past it.
struct KeyPart {
  char tag = 'z';
  double number = 0;
  std::string_view bytes;
};

KeyPart readPart(std::string_view key, size_t& pos) {
  KeyPart part;
  part.tag = key[pos++];
  if (part.tag == 'n') {
    std::memcpy(&part.number, key.data() + pos, sizeof part.number);
    pos += sizeof part.number;
  } else if (part.tag == 't') {
    uint32_t length;
    std::memcpy(&length, key.data() + pos, sizeof length);
    pos += sizeof length;
    part.bytes = key.substr(pos, length);
    pos += length;
  }
  return part;
}

int rank(char tag) {
  return tag == 'z' ? 0 : tag == 'n' ? 1 : 2;
}

}  // namespace

int compareGroupKeys(std::string_view a, std::string_view b) {
  size_t x = 0, y = 0;
  while (x < a.size() && y < b.size()) {
    KeyPart left = readPart(a, x);
    KeyPart right = readPart(b, y);
    if (left.tag != right.tag) return rank(left.tag) < rank(right.tag) ? -1 : 1;
    int order = 0;
    if (left.tag == 'n') {
      order = left.number < right.number ? -1 : (left.number > right.number ? 1 : 0);
    } else if (left.tag == 't') {
      order = left.bytes.compare(right.bytes);
      order = order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
    if (order != 0) return order;
  }
  return 0;
}

// The part's rank goes in the top two bits, then as much of its value as fits: a number's
// bits turned so that they order as unsigned integers, or a text's first fifteen bytes or so.
GroupKeyPrefix groupKeyOrderPrefix(std::string_view key) {
  if (key.empty()) return GroupKeyPrefix();
  size_t pos = 0;
  const KeyPart part = readPart(key, pos);
  uint64_t first = 0, second = 0;
  if (part.tag == 'n') {
    std::memcpy(&first, &part.number, sizeof first);
    first = (first >> 63) ? ~first : first | (uint64_t{1} << 63);
  } else if (part.tag == 't') {
    for (size_t i = 0; i < 2 * sizeof first; ++i) {
      const unsigned char byte = i < part.bytes.size() ? part.bytes[i] : 0;
      uint64_t& word = i < sizeof first ? first : second;
      word = word << 8 | byte;
    }
  }
  GroupKeyPrefix prefix;
  prefix.high = static_cast<uint64_t>(rank(part.tag)) << 62 | first >> 2;
  prefix.low = first << 62 | second >> 2;
  return prefix;
}

}  // namespace sqlite2
