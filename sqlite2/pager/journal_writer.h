#pragma once

// The rollback journal of one write transaction, as it is written: created when the
// transaction starts, a record appended before each original page is first changed, made
// durable before any database page is overwritten, deleted when the transaction ends.

#include <cstdint>
#include <string>
#include <vector>

#include "os/file.h"
#include "pager/pager.h"

namespace sqlite2 {

class JournalWriter {
 public:
  // Creates the journal (exclusively, mode 0600) and writes its header with a record count
  // of 0. Throws Error(SQLITE_CANTOPEN) when it cannot be created.
  JournalWriter(const std::string& path, PageNumber originalPageCount, uint32_t checksumSeed);
  // Closes the journal but leaves it in place: a journal that was not deleted on purpose
  // is still needed to roll the database back.
  ~JournalWriter() = default;
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  void append(PageNumber page, const uint8_t* originalBytes);
  uint32_t recordCount() const { return records_; }

  // Whether records or the header are not yet known to be on disk.
  bool needsSync() const { return !synced_; }
  // Whether the header, with the original page count, is on disk: before that no page may be
  // written to the database, not even an appended one.
  bool everSynced() const { return everSynced_; }
  // Writes the buffered records, stores the record count in the header and syncs the
  // journal; the first time also its directory, so that the journal survives a crash.
  void sync();

  // The journal file, holding every record that was synced (later ones may still be
  // buffered, which is harmless: their pages have not reached the database).
  const File& file() const { return file_; }

  // The end of the transaction: the journal is deleted.
  void closeAndDelete();

 private:
  void flush();
  // Every record appended is in the file or in the buffer, one after another.
  bool accountsForEveryRecord() const;

  std::string path_;
  File file_;
  uint32_t checksumSeed_;
  uint32_t records_ = 0;
  uint64_t fileEnd_;
  std::vector<uint8_t> buffer_;
  bool synced_ = false;
  bool everSynced_ = false;
};

}  // namespace sqlite2
