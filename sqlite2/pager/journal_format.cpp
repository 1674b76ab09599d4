#include "pager/journal_format.h"

#include <cstring>

namespace sqlite2 {

namespace {

constexpr uint8_t kMagicStem[7] = {0xD9, 0xD5, 0x05, 0xF9, 0x20, 0xA1, 0x63};
constexpr uint8_t kMagicLastByteOfFormat1 = 0xD4;

}  // namespace

std::optional<JournalFormat> journalFormatOf(const uint8_t* magic) {
  if (std::memcmp(magic, kMagicStem, sizeof kMagicStem) != 0) return std::nullopt;
  switch (magic[7]) {
    case kMagicLastByteOfFormat1:
      return JournalFormat::kHostOrder;
    case kMagicLastByteOfFormat1 + 1:
      return JournalFormat::kBigEndian;
    case kMagicLastByteOfFormat1 + 2:
      return JournalFormat::kChecksummed;
    default:
      return std::nullopt;
  }
}

size_t journalHeaderSize(JournalFormat format) {
  return format == JournalFormat::kChecksummed ? kJournalHeaderSize : kJournalMagicSize + 4;
}

size_t journalRecordSize(JournalFormat format) {
  return format == JournalFormat::kChecksummed ? kJournalRecordSize : kPageSize + 4;
}

uint32_t readJournalInteger(const uint8_t* bytes, JournalFormat format) {
  if (format != JournalFormat::kHostOrder) return readBigEndian32(bytes);
  uint32_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

void encodeJournalHeader(uint8_t* header, uint32_t recordCount, uint32_t checksumSeed,
                         PageNumber originalPageCount) {
  std::memcpy(header, kMagicStem, sizeof kMagicStem);
  header[7] = kMagicLastByteOfFormat1 + 2;
  writeBigEndian32(header + 8, recordCount);
  writeBigEndian32(header + 12, checksumSeed);
  writeBigEndian32(header + 16, originalPageCount);
}

void encodeJournalRecord(uint8_t* record, PageNumber page, const uint8_t* bytes,
                         uint32_t checksumSeed) {
  writeBigEndian32(record, page);
  std::memcpy(record + 4, bytes, kPageSize);
  writeBigEndian32(record + 4 + kPageSize, journalChecksum(checksumSeed, page));
}

}  // namespace sqlite2
