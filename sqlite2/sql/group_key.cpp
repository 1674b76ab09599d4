#include "sql/group_key.h"

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
  char lengthBytes[sizeof length];
  std::memcpy(lengthBytes, &length, sizeof length);
  key += 't';
  key.append(lengthBytes, sizeof lengthBytes);
  key.append(value->data(), value->size());
}

}  // namespace sqlite2
