#pragma once

// Index keys: one segment per indexed column, then the table key of the row. Segments sort
// NULL first, then numbers in numeric order, then text in byte order:
//   NULL            'a' 0x00
//   number          'b' sortable number text 0x00   (numeric columns only)
//   anything else   'c' text 0x00

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "record/value.h"

namespace sqlite2 {

// Whether a column of this declared type compares and indexes its values as text: the type
// contains BLOB, CHAR, CLOB or TEXT (in any case). Every other type, and no type, is numeric.
bool isTextColumnType(std::string_view declaredType);

// Appends one column's segment. textColumn as given by isTextColumnType (or a collation).
void appendIndexSegment(std::string& key, const Value& value, bool textColumn);
void appendIndexSegment(std::string& key, const std::string_view* value, bool textColumn);

// The whole key of an index entry for a row. Throws Error(SQLITE_TOOBIG) above kMaxRecordSize.
void encodeIndexKey(const std::vector<Value>& values, const std::vector<bool>& textColumns,
                    int32_t rowNumber, std::string& out);
std::string encodeIndexKey(const std::vector<Value>& values, const std::vector<bool>& textColumns,
                           int32_t rowNumber);

// Whether any segment of an index key is NULL ('a'); such keys never conflict in a unique index.
// Throws Error(SQLITE_CORRUPT) on a malformed key.
bool indexKeyHasNull(std::string_view key);

}  // namespace sqlite2
