#include "pager/journal_playback.h"

#include <algorithm>
#include <vector>

#include "common/invariant.h"
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

enum class HeaderState { kValid, kIncomplete, kUnknownMagic, kDamaged };

uint32_t countOfRecords(const uint8_t* header, uint64_t recordsInFile, RecordCount count) {
  uint32_t written = readBigEndian32(header + kJournalRecordCountOffset);
  if (count == RecordCount::kFromSize || written == kJournalCountFromSize) {
    return static_cast<uint32_t>(std::min<uint64_t>(recordsInFile, kJournalCountFromSize - 1));
  }
  return written;
}

// A journal's header is believed only when it fits the files: the records it counts must be
// in the journal, and the database can have lost no more pages than the journal holds (a
// transaction only cuts pages off the file after journaling them). Anything else is a
// damaged journal, and playing it back would cut the file at a made-up size or grow it to
// one: a single wrong byte can make a terabyte.
bool headerFitsTheFiles(const JournalHeader& header, uint64_t recordsInFile,
                        uint64_t databaseSize) {
  uint64_t databasePages = (databaseSize + kPageSize - 1) / kPageSize;
  return header.records <= recordsInFile &&
         header.originalPageCount <= databasePages + header.records;
}

HeaderState readHeader(const File& journal, uint64_t size, RecordCount count, uint64_t databaseSize,
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
  if (*format == JournalFormat::kChecksummed) {
    header->records = countOfRecords(bytes, recordsInFile, count);
    header->checksumSeed = readBigEndian32(bytes + 12);
    header->originalPageCount = readBigEndian32(bytes + 16);
  } else {
    header->records = static_cast<uint32_t>(std::min<uint64_t>(recordsInFile, UINT32_MAX));
    header->checksumSeed = 0;
    header->originalPageCount = readJournalInteger(bytes + kJournalMagicSize, *format);
  }
  if (!headerFitsTheFiles(*header, recordsInFile, databaseSize)) return HeaderState::kDamaged;
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

PlaybackOutcome playBackJournal(const File& journal, File& database, RecordCount count,
                                PlaybackReport* report) {
  uint64_t size = journal.size();
  JournalHeader header;
  switch (readHeader(journal, size, count, database.size(), &header)) {
    case HeaderState::kIncomplete:
      return PlaybackOutcome::kRestored;
    case HeaderState::kUnknownMagic:
      return PlaybackOutcome::kCorrupt;
    case HeaderState::kDamaged:
      return PlaybackOutcome::kDamaged;
    case HeaderState::kValid:
      break;
  }
  PlaybackReport unasked;
  PlaybackReport& read = report ? *report : unasked;
  read = {header.originalPageCount, header.records, 0, false};
  database.truncate(uint64_t(header.originalPageCount) * kPageSize);

  size_t recordSize = journalRecordSize(header.format);
  std::vector<uint8_t> buffer(size_t(kRecordsPerRead) * recordSize);
  const uint64_t firstRecord = journalHeaderSize(header.format);
  uint64_t offset = firstRecord;
  for (uint32_t done = 0; done < header.records;) {
    ENGINE_INVARIANT(offset == firstRecord + uint64_t{done} * recordSize &&
                     read.recordsRead == done);
    uint32_t batch = std::min(kRecordsPerRead, header.records - done);
    size_t got = journal.readAt(offset, buffer.data(), batch * recordSize);
    uint32_t complete = static_cast<uint32_t>(got / recordSize);
    for (uint32_t i = 0; i < complete; ++i) {
      ++read.recordsRead;
      if (!restoreRecord(buffer.data() + i * recordSize, header, database)) {
        read.endedEarly = true;
        return PlaybackOutcome::kRestored;
      }
    }
    if (complete < batch) return PlaybackOutcome::kCorrupt;  // shortened while being read
    done += batch;
    offset += batch * recordSize;
  }
  ENGINE_INVARIANT(read.recordsRead == header.records);
  return PlaybackOutcome::kRestored;
}

}  // namespace sqlite2
