#include "pager/journal_writer.h"

#include "common/error.h"
#include "common/invariant.h"
#include "os/file_system.h"
#include "pager/journal_format.h"

namespace sqlite2 {

namespace {

// Records are written in batches of this many to save system calls; none of them is needed
// before the next sync.
constexpr size_t kBufferedRecords = 32;

}  // namespace

JournalWriter::JournalWriter(const std::string& path, PageNumber originalPageCount,
                             uint32_t checksumSeed)
    : path_(path),
      file_(File::createExclusive(path)),
      checksumSeed_(checksumSeed),
      fileEnd_(kJournalHeaderSize) {
  uint8_t header[kJournalHeaderSize];
  encodeJournalHeader(header, 0, checksumSeed, originalPageCount);
  try {
    file_.writeAt(0, header, sizeof header);
  } catch (...) {
    file_.close();
    // The write's failure is the one to report. A journal left without its whole header
    // restores nothing: whoever finds it only deletes it.
    deleteFileIfPossible(path_);
    throw;
  }
  buffer_.reserve(kBufferedRecords * kJournalRecordSize);
}

void JournalWriter::append(PageNumber page, const uint8_t* originalBytes) {
  if (buffer_.size() + kJournalRecordSize > buffer_.capacity()) flush();
  size_t end = buffer_.size();
  buffer_.resize(end + kJournalRecordSize);
  encodeJournalRecord(buffer_.data() + end, page, originalBytes, checksumSeed_);
  ++records_;
  synced_ = false;
  ENGINE_INVARIANT(accountsForEveryRecord());
}

void JournalWriter::flush() {
  if (buffer_.empty()) return;
  file_.writeAt(fileEnd_, buffer_.data(), buffer_.size());
  fileEnd_ += buffer_.size();
  buffer_.clear();
}

void JournalWriter::sync() {
  flush();
  uint8_t count[4];
  writeBigEndian32(count, records_);
  file_.writeAt(kJournalRecordCountOffset, count, sizeof count);
  file_.sync();
  if (!everSynced_) {
    syncDirectory(directoryOf(path_));
    everSynced_ = true;
  }
  synced_ = true;
  ENGINE_INVARIANT(accountsForEveryRecord() && buffer_.empty());
}

bool JournalWriter::accountsForEveryRecord() const {
  return fileEnd_ + buffer_.size() == kJournalHeaderSize + uint64_t{records_} * kJournalRecordSize;
}

// Deleted first: if that fails, the transaction is still open with its journal usable.
void JournalWriter::closeAndDelete() {
  file_.closeAndDelete(path_);
}

}  // namespace sqlite2
