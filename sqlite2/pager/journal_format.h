#pragma once

// The rollback journal's layout. Every journal starts with an 8-byte magic that names its
// format:
//  - format 3 (written by this engine and by the reference library): a 20-byte header of magic,
//    record count, checksum seed and the database's page count before the transaction, then
//    1032-byte records of page number, the page's original bytes and a checksum;
//  - formats 1 and 2 (older library releases, only ever played back): a 12-byte header of magic
//    and page count, then 1028-byte records of page number and bytes, without checksums.
// Format 1 stores its integers in the writing host's order, formats 2 and 3 big-endian.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "common/integer_bytes.h"
#include "pager/pager.h"

namespace sqlite2 {

enum class JournalFormat { kHostOrder = 1, kBigEndian = 2, kChecksummed = 3 };

constexpr size_t kJournalMagicSize = 8;
constexpr size_t kJournalHeaderSize = 20;             // format 3
constexpr size_t kJournalRecordSize = kPageSize + 8;  // format 3
constexpr size_t kJournalRecordCountOffset = 8;
// A record count meaning "as many records as the file holds" (journals written unsynced).
constexpr uint32_t kJournalCountFromSize = 0xFFFFFFFF;

std::optional<JournalFormat> journalFormatOf(const uint8_t* magic);
size_t journalHeaderSize(JournalFormat format);
size_t journalRecordSize(JournalFormat format);

// Reads a journal integer in the byte order of the journal's format.
uint32_t readJournalInteger(const uint8_t* bytes, JournalFormat format);

// The checksum of a format-3 record: only the page number is summed, never the page bytes.
inline uint32_t journalChecksum(uint32_t seed, PageNumber page) {
  return seed + page;
}

void encodeJournalHeader(uint8_t* header, uint32_t recordCount, uint32_t checksumSeed,
                         PageNumber originalPageCount);
void encodeJournalRecord(uint8_t* record, PageNumber page, const uint8_t* bytes,
                         uint32_t checksumSeed);

}  // namespace sqlite2
