#include "pager/journal_playback.h"

#include <algorithm>
#include <vector>

#include "pager/journal_format.h"

namespace sqlite2 {

namespace {

// Records are read this many at a time.
constexpr uint32_t kRecordsPerRead = 64;

struct JournalHeader {
  JournalFormat format;
  uint32_t records;
  uint32_t checksumSeed;
  PageNumber originalPageCount;
};

enum class HeaderState { kValid, kIncomplete, kUnknownMagic };

HeaderState readHeader(const File& journal, uint64_t size, RecordCount count,
                       JournalHeader* header) {
  uint8_t bytes[kJournalHeaderSize];
  size_t got = journal.readAt(0, bytes, sizeof bytes);
  if (got < kJournalMagicSize + 4) return HeaderState::kIncomplete;
  std::optional<JournalFormat> format = journalFormatOf(bytes);
  if (!format) return HeaderState::kUnknownMagic;
  size_t headerSize = journalHeaderSize(*format);
  if (got < headerSize) return HeaderState::kIncomplete;
  header->format = *format;
  uint64_t recordsInFile = (size - headerSize) / journalRecordSize(*format);
  if (*format != JournalFormat::kChecksummed) {
    header->originalPageCount = readJournalInteger(bytes + kJournalMagicSize, *format);
    header->records = static_cast<uint32_t>(recordsInFile);
    header->checksumSeed = 0;
    return HeaderState::kValid;
  }
  header->records = readBigEndian32(bytes + 8);
  header->checksumSeed = readBigEndian32(bytes + 12);
  header->originalPageCount = readBigEndian32(bytes + 16);
  if (count == RecordCount::kFromSize || header->records == kJournalCountFromSize) {
    header->records = static_cast<uint32_t>(recordsInFile);
  }
  return HeaderState::kValid;
}

// Writes one record's page back. Returns false when the playback must stop here.
bool restoreRecord(const uint8_t* record, const JournalHeader& header, File& database) {
  PageNumber page = readJournalInteger(record, header.format);
  if (page == 0) return false;
  if (page > header.originalPageCount) return true;
  if (header.format == JournalFormat::kChecksummed &&
      readBigEndian32(record + 4 + kPageSize) != journalChecksum(header.checksumSeed, page)) {
    return false;
  }
  database.writeAt(uint64_t(page - 1) * kPageSize, record + 4, kPageSize);
  return true;
}

}  // namespace

PlaybackOutcome playBackJournal(const File& journal, File& database, RecordCount count) {
  uint64_t size = journal.size();
  JournalHeader header;
  switch (readHeader(journal, size, count, &header)) {
    case HeaderState::kIncomplete:
      return PlaybackOutcome::kRestored;
    case HeaderState::kUnknownMagic:
      return PlaybackOutcome::kCorrupt;
    case HeaderState::kValid:
      break;
  }
  database.truncate(uint64_t(header.originalPageCount) * kPageSize);

  size_t recordSize = journalRecordSize(header.format);
  std::vector<uint8_t> buffer(size_t(kRecordsPerRead) * recordSize);
  uint64_t offset = journalHeaderSize(header.format);
  for (uint32_t done = 0; done < header.records;) {
    uint32_t batch = std::min(kRecordsPerRead, header.records - done);
    size_t got = journal.readAt(offset, buffer.data(), batch * recordSize);
    uint32_t complete = static_cast<uint32_t>(got / recordSize);
    for (uint32_t i = 0; i < complete; ++i) {
      if (!restoreRecord(buffer.data() + i * recordSize, header, database)) {
        return PlaybackOutcome::kRestored;
      }
    }
    if (complete < batch) return PlaybackOutcome::kCorrupt;
    done += batch;
    offset += batch * recordSize;
  }
  return PlaybackOutcome::kRestored;
}

}  // namespace sqlite2
