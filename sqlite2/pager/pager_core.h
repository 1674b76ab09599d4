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

#include "common/error.h"
#include "os/locked_file.h"
#include "pager/cached_page.h"
#include "pager/journal_writer.h"
#include "pager/page_cache.h"
#include "pager/pager.h"
#include "pager/read_ahead.h"
#include "pager/statement_journal.h"
#include "sqlite.h"

namespace sqlite2 {

// The largest page number a file can have.
constexpr PageNumber kMaxPageNumber = 1073741823;

// What the pager is doing. Every change goes through PagerCore::setState, which checks that
// the step is one of these:
//
//   kUnlocked --first page--> kReading --beginWrite--> kWriting --commit/rollback--> kReading
//       ^                        |  last reference gone        |                  or kUnlocked
//       +------------------------+                             | a file write, a journal sync
//       |                                                      v or a statement rollback fails
//       |                                                 kWriteFailed
//       |                                                      | rollback() succeeds: kReading
//       |  last reference gone                                 | (or kUnlocked); it fails:
//       +------------------- kError <--------------------------+
//                              ^  a rollback fails (from kWriting too); the exclusive lock
//                                 cannot be changed back to shared (from kReading)
enum class PagerState {
  kUnlocked,     // no lock held; the cache is empty
  kReading,      // the shared lock is held and the cached pages are the file's
  kWriting,      // a write transaction is open (exclusive lock and journal, unless read-only)
  kWriteFailed,  // a write transaction whose file writes failed part way: the file and the
                 // journal may disagree with the cache, so only rollback() is allowed
  kError,        // the transaction is abandoned (its journal, if any, stays on disk as a hot
                 // journal) and the cache cannot be trusted: every call fails with the error
                 // until no page is referenced; then the pager drops cache and lock, and the
                 // next reader plays the journal back
};

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
  PagerState state() const { return state_; }

  PageNumber pageCount();
  uint64_t fileSize() const { return database_.file().size(); }
  CachedPage* get(PageNumber number);  // the page comes back referenced

  void beginWrite();
  bool inWriteTransaction() const {
    return state_ == PagerState::kWriting || state_ == PagerState::kWriteFailed;
  }
  void makeWritable(CachedPage* page);
  bool isWritable(const CachedPage* page) const { return page->writableStamp == writableStamp_; }
  void commit();
  void rollback();

  void beginStatement();
  void commitStatement();
  void rollbackStatement();
  // The database ends at count pages (its pages past it already journaled).
  void shrinkTo(PageNumber count);

  void addReference(CachedPage* page);
  void dropReference(CachedPage* page);

 private:
  // State.
  void setState(PagerState next);
  void checkStateInvariants() const;
  void refuseWhenFailed() const;
  void failWrite(int code);
  // Runs the step; when it throws, calls onFailure with the result code of the failure
  // (SQLITE_NOMEM for std::bad_alloc) and rethrows.
  template <typename Step, typename OnFailure>
  static void guardedStep(Step step, OnFailure onFailure);
  // Runs a step of a write transaction; when it fails, the transaction can only be rolled
  // back (kWriteFailed), and the failure is rethrown.
  template <typename Step>
  void writeStep(Step step) {
    guardedStep(step, [this](int code) { failWrite(code); });
  }
  void enterError(int code);
  void resetIfIdle();
  // For invariants: the list of changed pages holds each cached dirty page once and nothing
  // else; the journal holds a record for each page marked journaled; no page is written to
  // the database before its journal record is on disk.
  bool dirtyListIsSound() const;
  bool journalCountsTheJournaledPages() const;
  bool mayReachTheDatabase(const std::vector<CachedPage*>& pages) const;

  // Locks.
  void lockWithBusyHandler(const std::function<bool()>& attempt);
  void ensureSharedLock();
  bool trySharedLock();
  bool recoverHotJournal();
  void releaseLockIfIdle();
  void endTransaction();
  void forgetTransaction();
  void leaveExclusiveLock();

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
  void saveOriginal(CachedPage* page);
  void syncJournalIfNeeded();
  void syncJournal();
  void writeToDatabase(std::vector<CachedPage*>& pages);
  void writeCommit();
  void undoTransaction();
  void restoreDatabaseFromJournal();
  void revertChangedPages();
  void restoreStatementPages();
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

  PagerState state_ = PagerState::kUnlocked;
  int errorCode_ = 0;  // the failure that put the pager in kWriteFailed or kError
  std::optional<JournalWriter> journal_;  // absent in a transaction on a read-only file
  PageNumber originalPageCount_ = 0;
  std::vector<bool> journaled_;  // by page number, up to originalPageCount_
  std::vector<CachedPage*> dirty_;
  bool databaseWritten_ = false;   // pages of this transaction reached the file
  PageNumber highestWritten_ = 0;  // the file may hold pages up to here beyond pageCount_
  bool shrunk_ = false;            // the transaction cut the database short
  uint64_t writableStamp_ = 1;
  StatementJournal statement_;
  std::mt19937 random_;
};

template <typename Step, typename OnFailure>
void PagerCore::guardedStep(Step step, OnFailure onFailure) {
  try {
    step();
  } catch (const Error& error) {
    onFailure(error.code());
    throw;
  } catch (...) {
    onFailure(SQLITE_NOMEM);  // std::bad_alloc
    throw;
  }
}

}  // namespace sqlite2
