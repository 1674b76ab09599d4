#include "record/index_key.h"

#include <cstring>

#include "common/error.h"
#include "common/invariant.h"
#include "record/numeric_text.h"
#include "record/sortable_number.h"
#include "record/table_key.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

bool containsIgnoringCase(std::string_view text, std::string_view upperWord) {
  if (text.size() < upperWord.size()) return false;
  for (size_t start = 0; start + upperWord.size() <= text.size(); ++start) {
    size_t i = 0;
    while (i < upperWord.size()) {
      char c = text[start + i];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (c != upperWord[i]) break;
      ++i;
    }
    if (i == upperWord.size()) return true;
  }
  return false;
}

}  // namespace

bool isTextColumnType(std::string_view declaredType) {
  for (std::string_view word : {"BLOB", "CHAR", "CLOB", "TEXT"}) {
    if (containsIgnoringCase(declaredType, word)) return true;
  }
  return false;
}

void appendIndexSegment(std::string& key, const std::string_view* value, bool textColumn) {
  if (!value) {
    key += 'a';
  } else if (!textColumn && looksLikeNumber(*value)) {
    key += 'b';
    appendSortableNumber(key, numericValue(*value));
  } else {
    key += 'c';
    key.append(value->data(), value->size());
  }
  key += '\0';
}

void appendIndexSegment(std::string& key, const Value& value, bool textColumn) {
  if (!value) {
    appendIndexSegment(key, static_cast<const std::string_view*>(nullptr), textColumn);
    return;
  }
  std::string_view text(*value);
  appendIndexSegment(key, &text, textColumn);
}

void encodeIndexKey(const std::vector<Value>& values, const std::vector<bool>& textColumns,
                    int32_t rowNumber, std::string& out) {
  out.clear();
  for (size_t i = 0; i < values.size(); ++i) {
    appendIndexSegment(out, values[i], i < textColumns.size() && textColumns[i]);
  }
  appendTableKey(out, rowNumber);
  checkRecordSize(out.size());
  // Readers find the row by the key's last bytes alone.
  ENGINE_INVARIANT(decodeTableKey(std::string_view(out).substr(out.size() - kTableKeySize)) ==
                   rowNumber);
}

std::string encodeIndexKey(const std::vector<Value>& values, const std::vector<bool>& textColumns,
                           int32_t rowNumber) {
  std::string key;
  encodeIndexKey(values, textColumns, rowNumber, key);
  return key;
}

bool indexKeyHasNull(std::string_view key) {
  if (key.size() < kTableKeySize) throw Error(SQLITE_CORRUPT);
  std::string_view segments = key.substr(0, key.size() - kTableKeySize);
  while (!segments.empty()) {
    if (segments[0] == 'a') return true;
    const void* end = std::memchr(segments.data(), '\0', segments.size());
    if (!end) throw Error(SQLITE_CORRUPT);
    segments.remove_prefix(static_cast<const char*>(end) - segments.data() + 1);
  }
  return false;
}

}  // namespace sqlite2
