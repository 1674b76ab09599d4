#include "record/table_key.h"

#include "common/error.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

constexpr uint32_t kSignFlip = 0x80000000u;

int32_t rowNumberAt(const char* bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes);
  uint32_t raw = (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
  return static_cast<int32_t>(raw ^ kSignFlip);
}

}  // namespace

void writeTableKey(char* out, int32_t rowNumber) {
  uint32_t raw = static_cast<uint32_t>(rowNumber) ^ kSignFlip;
  out[0] = static_cast<char>(raw >> 24);
  out[1] = static_cast<char>(raw >> 16);
  out[2] = static_cast<char>(raw >> 8);
  out[3] = static_cast<char>(raw);
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
