#pragma once

// The pager's machinery behind the Pager interface: locks, cache, journal and transactions
// of one connection to one database file. Not thread-safe; one connection is used by one
// thread at a time.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "os/locked_file.h"
#include "pager/cached_page.h"
#include "pager/journal_writer.h"
#include "pager/page_cache.h"
#include "pager/pager.h"
#include "pager/read_ahead.h"
#include "pager/statement_journal.h"

namespace sqlite2 {

// The largest page number a file can have.
constexpr PageNumber kMaxPageNumber = 1073741823;

class PagerCore {
 public:
  PagerCore(const std::string& path, File file, const PagerOptions& options);
  ~PagerCore();
  PagerCore(const PagerCore&) = delete;
  PagerCore& operator=(const PagerCore&) = delete;

  const std::string& path() const { return path_; }
  const std::string& journalPath() const { return journalPath_; }
  bool isReadOnly() const { return readOnly_; }
  size_t cachedPageCount() const { return cache_.size(); }
  void setBusyHandler(std::function<bool(int)> handler) { busyHandler_ = std::move(handler); }

  PageNumber pageCount();
  CachedPage* get(PageNumber number);  // the page comes back referenced

  void beginWrite();
  bool inWriteTransaction() const { return inTransaction_; }
  void makeWritable(CachedPage* page);
  bool isWritable(const CachedPage* page) const { return page->writableStamp == writableStamp_; }
  void commit();
  void rollback();

  void beginStatement();
  void commitStatement();
  void rollbackStatement();

  void addReference(CachedPage* page);
  void dropReference(CachedPage* page);

 private:
  // Locks.
  void lockWithBusyHandler(const std::function<bool()>& attempt);
  void ensureSharedLock();
  bool trySharedLock();
  bool recoverHotJournal();
  void releaseLockIfIdle();
  void endTransaction();

  // Cache.
  CachedPage* load(PageNumber number);
  CachedPage* loadReadingAhead(PageNumber number);
  size_t takeReadAheadSlots(PageNumber number, CachedPage** slots, size_t wanted);
  CachedPage* freePageSlot();
  void readPage(CachedPage* page);
  void spillDirtyPages();
  void writeCleaning(const std::vector<CachedPage*>& pages);
  void markAllClean();

  // File writes.
  void syncJournalIfNeeded();
  void syncJournal();
  void writeToDatabase(std::vector<CachedPage*>& pages);
  void restoreDatabaseFromJournal();
  void revertChangedPages();
  void dropPagesPast(PageNumber count);
  bool changedInTransaction(const CachedPage* page) const;

  std::string path_;
  std::string journalPath_;
  LockedFile database_;
  bool readOnly_;
  PageCache cache_;
  ReadAhead readAhead_;
  std::function<bool(int)> busyHandler_;
  size_t references_ = 0;     // live PageRefs over all pages
  PageNumber pageCount_ = 0;  // meaningful while a lock is held

  bool inTransaction_ = false;
  std::optional<JournalWriter> journal_;  // absent in a transaction on a read-only file
  PageNumber originalPageCount_ = 0;
  std::vector<bool> journaled_;  // by page number, up to originalPageCount_
  std::vector<CachedPage*> dirty_;
  bool databaseWritten_ = false;   // pages of this transaction reached the file
  PageNumber highestWritten_ = 0;  // the file may hold pages up to here beyond pageCount_
  uint64_t writableStamp_ = 1;
  StatementJournal statement_;
  std::mt19937 random_;
};

}  // namespace sqlite2
