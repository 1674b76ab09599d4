#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sqlite2 {

// A table entry's key: the row number with its sign bit flipped, big-endian, so that byte
// order equals signed numeric order. It does not depend on the file's byte order.
constexpr size_t kTableKeySize = 4;

// Writes the key into out's first kTableKeySize bytes (a lookup's key, without a string).
void writeTableKey(char* out, int32_t rowNumber);
void appendTableKey(std::string& out, int32_t rowNumber);
std::string encodeTableKey(int32_t rowNumber);
// Throws Error(SQLITE_CORRUPT) unless key is exactly kTableKeySize bytes.
int32_t decodeTableKey(std::string_view key);
// The row number in the last kTableKeySize bytes of key (an index key ends with one).
// Throws Error(SQLITE_CORRUPT) when key is shorter than that.
int32_t trailingRowNumber(std::string_view key);

}  // namespace sqlite2
