#include "record/table_key.h"

#include "common/error.h"
#include "common/integer_bytes.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

constexpr uint32_t kSignFlip = 0x80000000u;

int32_t rowNumberAt(const char* bytes) {
  const uint32_t raw = readBigEndian32(reinterpret_cast<const uint8_t*>(bytes));
  return static_cast<int32_t>(raw ^ kSignFlip);
}

}  // namespace

void writeTableKey(char* out, int32_t rowNumber) {
  writeBigEndian32(reinterpret_cast<uint8_t*>(out), static_cast<uint32_t>(rowNumber) ^ kSignFlip);
}

void appendTableKey(std::string& out, int32_t rowNumber) {
  char bytes[kTableKeySize];
  writeTableKey(bytes, rowNumber);
  out.append(bytes, kTableKeySize);
}

std::string encodeTableKey(int32_t rowNumber) {
  std::string key;
  appendTableKey(key, rowNumber);
  return key;
}

int32_t decodeTableKey(std::string_view key) {
  if (key.size() != kTableKeySize) throw Error(SQLITE_CORRUPT);
  return rowNumberAt(key.data());
}

int32_t trailingRowNumber(std::string_view key) {
  if (key.size() < kTableKeySize) throw Error(SQLITE_CORRUPT);
  return rowNumberAt(key.data() + key.size() - kTableKeySize);
}

}  // namespace sqlite2
