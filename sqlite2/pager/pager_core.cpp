#include "pager/pager_core.h"

#include <sys/uio.h>

#include <algorithm>
#include <cstring>

#include "common/error.h"
#include "common/invariant.h"
#include "common/seeded_random.h"
#include "os/file_system.h"
#include "pager/journal_playback.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

PageNumber pageCountOf(const File& file) {
  uint64_t pages = file.size() / kPageSize;
  return static_cast<PageNumber>(std::min<uint64_t>(pages, kMaxPageNumber));
}

}  // namespace

PagerCore::PagerCore(const std::string& path, File file, const PagerOptions& options)
    : path_(path),
      journalPath_(absolutePath(path) + "-journal"),
      database_(std::move(file)),
      readOnly_(database_.file().isReadOnly()),
      cache_(options.cachePages),
      statement_(options.cachePages),
      random_(seededGenerator(currentProcessId())) {}

PagerCore::~PagerCore() {
  if (inWriteTransaction()) {
    try {
      rollback();
    } catch (...) {
      // The journal stays behind and the next connection rolls the file back from it.
    }
  }
  cache_.clear();
}

// ---- Locks ----

void PagerCore::lockWithBusyHandler(const std::function<bool()>& attempt) {
  for (int tries = 1;; ++tries) {
    if (attempt()) return;
    if (!busyHandler_ || !busyHandler_(tries)) throw Error(SQLITE_BUSY);
  }
}

void PagerCore::ensureSharedLock() {
  if (state_ != PagerState::kUnlocked) return;
  lockWithBusyHandler([this] { return trySharedLock(); });
  setState(PagerState::kReading);
}

// Going from no lock to the shared lock is the moment to look for a journal: nobody who is
// alive can be writing while we hold the shared lock, so a journal now is a dead writer's.
bool PagerCore::trySharedLock() {
  if (!database_.tryShared()) return false;
  try {
    if (fileExists(journalPath_) && !recoverHotJournal()) {
      database_.unlock();
      return false;
    }
    pageCount_ = pageCountOf(database_.file());
  } catch (...) {
    database_.unlock();
    throw;
  }
  return true;
}

// Returns false when the journal cannot be played back now (the exclusive lock or the journal
// itself cannot be had); the caller then reports the database as busy.
bool PagerCore::recoverHotJournal() {
  if (!database_.tryExclusive()) return false;
  File journal;
  try {
    journal = File::openExisting(journalPath_);
  } catch (const Error&) {
    if (fileExists(journalPath_)) return false;
    database_.downgrade();  // somebody removed it meanwhile: nothing to recover
    return true;
  }
  PlaybackOutcome outcome = playBackJournal(journal, database_.file(), RecordCount::kFromHeader);
  // A damaged journal stays with the untouched file, for whoever tries to repair the two.
  if (outcome == PlaybackOutcome::kDamaged) throw Error(SQLITE_CORRUPT);
  // The restored pages must be on disk before the journal that could restore them again goes.
  database_.file().sync();
  journal.close();
  deleteFile(journalPath_);
  if (outcome == PlaybackOutcome::kCorrupt) throw Error(SQLITE_CORRUPT);
  database_.downgrade();
  return true;
}

// Once nobody looks at pages and no transaction is open, the lock goes, and with it the
// cache: another process may change the file from now on.
void PagerCore::releaseLockIfIdle() {
  if (references_ != 0) return;
  if (state_ == PagerState::kError) {
    resetIfIdle();
    return;
  }
  if (state_ != PagerState::kReading) return;
  cache_.clear();
  database_.unlock();
  setState(PagerState::kUnlocked);
}

// ---- Pages ----

PageNumber PagerCore::pageCount() {
  refuseWhenFailed();
  if (state_ == PagerState::kWriting) return pageCount_;
  ensureSharedLock();
  PageNumber count = pageCount_;
  releaseLockIfIdle();
  return count;
}

CachedPage* PagerCore::get(PageNumber number) {
  if (number == 0 || number > kMaxPageNumber) throw Error(SQLITE_CORRUPT);
  refuseWhenFailed();
  ensureSharedLock();
  CachedPage* page = cache_.find(number);
  if (!page) {
    try {
      page = loadReadingAhead(number);
    } catch (...) {
      releaseLockIfIdle();
      throw;
    }
  }
  addReference(page);
  return page;
}

void PagerCore::addReference(CachedPage* page) {
  if (page->references++ == 0 && page->inLru) cache_.removeUnreferenced(page);
  ++references_;
}

void PagerCore::dropReference(CachedPage* page) {
  --references_;
  if (--page->references == 0) {
    // A walk's page, done with, goes first: a long walk then recycles a few places of the
    // cache, which stay in the processor's caches, instead of pushing out every other page
    // (the pages a join looks up for each row of its walk). Used again, it ages as any other.
    if (page->readAhead && !page->dirty) {
      cache_.pushUnreferencedFirst(page);
    } else {
      cache_.pushUnreferenced(page);
    }
    page->readAhead = false;
  }
  if (references_ == 0) releaseLockIfIdle();
}

// The page enters the cache unreferenced (at the recently used end of the LRU list).
CachedPage* PagerCore::load(PageNumber number) {
  CachedPage* page = freePageSlot();
  page->number = number;
  page->owner = this;
  try {
    readPage(page);
  } catch (...) {
    cache_.giveBack(page);
    throw;
  }
  cache_.insert(page);
  cache_.pushUnreferenced(page);
  return page;
}

// Loads the page, and with it the pages after it that the read-ahead asks for, as far as they
// are in the file, not cached yet, and have room in the cache without writing changed pages
// out. They enter the cache unreferenced, the requested one last.
CachedPage* PagerCore::loadReadingAhead(PageNumber number) {
  size_t wanted = number <= pageCount_ ? readAhead_.pagesFor(number) : 1;
  if (wanted <= 1) {
    CachedPage* page = load(number);
    if (number <= pageCount_) readAhead_.noteRead(number, 1);
    return page;
  }
  CachedPage* pages[ReadAhead::kMostPages];
  pages[0] = freePageSlot();
  size_t count = 1 + takeReadAheadSlots(number, pages + 1, wanted - 1);
  struct iovec buffers[ReadAhead::kMostPages];
  for (size_t i = 0; i < count; ++i) {
    pages[i]->number = number + static_cast<PageNumber>(i);
    pages[i]->owner = this;
    buffers[i] = {pages[i]->data, kPageSize};
  }
  size_t got;
  try {
    got = database_.file().readVectorAt(uint64_t(number - 1) * kPageSize, buffers,
                                        static_cast<int>(count));
  } catch (...) {
    for (size_t i = 0; i < count; ++i) cache_.giveBack(pages[i]);
    throw;
  }
  // Whatever the file no longer holds reads as zeros, as in readPage.
  for (size_t i = 0; i < count; ++i) {
    size_t start = i * kPageSize;
    if (got < start + kPageSize) {
      size_t have = got > start ? got - start : 0;
      std::memset(pages[i]->data + have, 0, kPageSize - have);
    }
  }
  readAhead_.noteRead(number, count);
  for (size_t i = count; i-- > 0;) {
    pages[i]->readAhead = true;
    cache_.insert(pages[i]);
    cache_.pushUnreferenced(pages[i]);
  }
  return pages[0];
}

// Blank pages for the pages after `number`, at most `wanted`: up to the first page that is
// cached or past the end of the file, and only while the cache has room or a clean page to
// drop. The requested page's slot is taken already and counts against the bound.
size_t PagerCore::takeReadAheadSlots(PageNumber number, CachedPage** slots, size_t wanted) {
  size_t taken = 0;
  while (taken < wanted) {
    PageNumber next = number + 1 + static_cast<PageNumber>(taken);
    if (next > pageCount_ || cache_.find(next)) break;
    if (cache_.size() + 1 + taken >= cache_.bound()) {
      CachedPage* victim = cache_.leastRecentlyUsedClean();
      if (!victim) break;
      cache_.evict(victim);
    }
    slots[taken++] = cache_.take();
  }
  return taken;
}

// A page to load into: a new one while the cache is below its bound, otherwise the least
// recently used unreferenced clean one. Changed pages stay as long as clean ones can go. When
// only changed ones are left, many of them go to the file at once; those whose journal
// records are already synced go without another sync, if there are enough of them.
// When every page is referenced the cache grows past its bound.
CachedPage* PagerCore::freePageSlot() {
  if (!cache_.full()) return cache_.take();
  if (!cache_.leastRecentlyUsedClean() && cache_.leastRecentlyUsedDirty()) spillDirtyPages();
  CachedPage* victim = cache_.leastRecentlyUsedClean();
  if (!victim) return cache_.take();
  cache_.evict(victim);
  return cache_.take();
}

void PagerCore::readPage(CachedPage* page) {
  if (page->number > pageCount_) {
    std::memset(page->data, 0, kPageSize);
    return;
  }
  uint64_t offset = uint64_t(page->number - 1) * kPageSize;
  size_t got = database_.file().readAt(offset, page->data, kPageSize);
  if (got < kPageSize) std::memset(page->data + got, 0, kPageSize - got);
}

void PagerCore::spillDirtyPages() {
  writeStep([this] {
    std::vector<CachedPage*> unreferenced = cache_.unreferencedDirtyPages();
    std::vector<CachedPage*> ready;
    for (CachedPage* page : unreferenced) {
      if (!page->needsSync) ready.push_back(page);
    }
    // A handful of ready pages would only bring the next spill closer; then sync instead.
    size_t enough = std::max<size_t>(1, cache_.bound() / 8);
    if (journal_->everSynced() && ready.size() >= enough) {
      writeCleaning(ready);
    } else {
      syncJournal();
      writeCleaning(unreferenced);
    }
  });
}

// Writes unreferenced changed pages to the file; afterwards they are clean.
void PagerCore::writeCleaning(const std::vector<CachedPage*>& pages) {
  std::vector<CachedPage*> inPageOrder = pages;
  writeToDatabase(inPageOrder);
  for (CachedPage* page : pages) {
    cache_.setDirty(page, false);
    page->writableStamp = 0;
  }
  dirty_.erase(std::remove_if(dirty_.begin(), dirty_.end(),
                              [](const CachedPage* page) { return !page->dirty; }),
               dirty_.end());
  ENGINE_INVARIANT(dirtyListIsSound());
}

// ---- Transactions ----

void PagerCore::beginWrite() {
  refuseWhenFailed();
  if (state_ == PagerState::kWriting) return;
  ensureSharedLock();
  if (!readOnly_) {
    try {
      lockWithBusyHandler([this] { return database_.tryExclusive(); });
      journal_.emplace(journalPath_, pageCount_, static_cast<uint32_t>(random_()));
    } catch (...) {
      leaveExclusiveLock();
      releaseLockIfIdle();
      throw;
    }
  }
  setState(PagerState::kWriting);
  originalPageCount_ = pageCount_;
  journaled_.assign(size_t(pageCount_) + 1, false);
  databaseWritten_ = false;
  highestWritten_ = 0;
  shrunk_ = false;
  ++writableStamp_;
}

void PagerCore::makeWritable(CachedPage* page) {
  if (isWritable(page)) return;
  refuseWhenFailed();
  if (readOnly_) throw Error(SQLITE_READONLY);
  if (state_ != PagerState::kWriting) {
    throw Error(SQLITE_MISUSE, "page changed outside a write transaction");
  }
  writeStep([&] { saveOriginal(page); });
  if (!page->dirty) {
    cache_.setDirty(page, true);
    dirty_.push_back(page);
  }
  pageCount_ = std::max(pageCount_, page->number);
  page->writableStamp = writableStamp_;
}

// The page's bytes before its first change go to the journal (once per transaction) and to
// the statement's journal (once per statement).
void PagerCore::saveOriginal(CachedPage* page) {
  PageNumber number = page->number;
  if (number <= originalPageCount_ && !journaled_[number]) {
    journal_->append(number, page->data);
    journaled_[number] = true;
    page->needsSync = true;
  }
  if (statement_.active() && number <= statement_.startPageCount() &&
      !statement_.contains(number)) {
    statement_.save(number, page->data);
  }
}

void PagerCore::syncJournalIfNeeded() {
  if (journal_->needsSync()) syncJournal();
}

// Every journaled page is changed until it reaches the file, so the changed pages are all
// that can wait for this sync.
void PagerCore::syncJournal() {
  ENGINE_INVARIANT(journalCountsTheJournaledPages());
  journal_->sync();
  for (CachedPage* page : dirty_) page->needsSync = false;
}

// Writes the pages in page order, runs of consecutive pages with one system call each.
void PagerCore::writeToDatabase(std::vector<CachedPage*>& pages) {
  if (pages.empty()) return;
  ENGINE_INVARIANT(mayReachTheDatabase(pages));
  databaseWritten_ = true;
  std::sort(pages.begin(), pages.end(),
            [](const CachedPage* a, const CachedPage* b) { return a->number < b->number; });
  std::vector<struct iovec> run;
  run.reserve(pages.size());
  PageNumber runStart = 0;
  PageNumber previous = 0;
  auto writeRun = [&] {
    if (run.empty()) return;
    database_.file().writeVectorAt(uint64_t(runStart - 1) * kPageSize, run.data(),
                                   static_cast<int>(run.size()));
    run.clear();
  };
  for (CachedPage* page : pages) {
    if (run.empty() || page->number != previous + 1) {
      writeRun();
      runStart = page->number;
    }
    run.push_back({page->data, kPageSize});
    previous = page->number;
  }
  writeRun();
  highestWritten_ = std::max(highestWritten_, previous);
}

void PagerCore::commit() {
  refuseWhenFailed();
  if (state_ != PagerState::kWriting) return;
  if (journal_) writeStep([this] { writeCommit(); });
  markAllClean();
  endTransaction();
}

// Deleting the journal is the moment of commit: until then a crash, or a failure here
// followed by rollback(), brings the old file back.
void PagerCore::writeCommit() {
  ENGINE_INVARIANT(dirtyListIsSound() && journalCountsTheJournaledPages());
  if (!dirty_.empty() || databaseWritten_ || shrunk_) {
    syncJournalIfNeeded();
    writeToDatabase(dirty_);
    // Pages a rolled-back statement had spilled past the end, or that the transaction cut
    // off, are not part of the database.
    if (shrunk_ || highestWritten_ > pageCount_) {
      database_.file().truncate(uint64_t(pageCount_) * kPageSize);
    }
    database_.file().sync();
  }
  journal_->closeAndDelete();
}

// A rollback that fails part way leaves the journal on disk, the file partly restored and the
// cache in doubt: the pager gives the transaction up (kError), and the journal is played back
// as a hot journal by the next reader, this connection included once it has reset.
void PagerCore::rollback() {
  if (!inWriteTransaction()) return;
  guardedStep([this] { undoTransaction(); }, [this](int code) { enterError(code); });
  endTransaction();
}

void PagerCore::undoTransaction() {
  if (journal_) {
    if (databaseWritten_) restoreDatabaseFromJournal();
    journal_->closeAndDelete();
  }
  pageCount_ = originalPageCount_;
  revertChangedPages();
}

void PagerCore::restoreDatabaseFromJournal() {
  PlaybackReport played;
  if (playBackJournal(journal_->file(), database_.file(), RecordCount::kFromSize, &played) !=
      PlaybackOutcome::kRestored) {
    throw Error(SQLITE_CORRUPT);
  }
  // The transaction's own journal is played back whole, to the size the transaction began
  // with; it holds no more records than were appended (the last may still be buffered).
  ENGINE_INVARIANT(!played.endedEarly && played.originalPageCount == originalPageCount_ &&
                   played.recordsCounted <= journal_->recordCount());
  database_.file().sync();
}

bool PagerCore::changedInTransaction(const CachedPage* page) const {
  return page->number > originalPageCount_ || journaled_[page->number];
}

// Cached pages the transaction changed get the file's bytes again; referenced ones in place,
// so that the references stay good.
void PagerCore::revertChangedPages() {
  markAllClean();
  for (CachedPage* page : cache_.pages()) {
    if (!changedInTransaction(page)) continue;
    if (page->references == 0) {
      cache_.evict(page);
      continue;
    }
    page->extension.reset();
    cache_.setDirty(page, false);
    page->writableStamp = 0;
    readPage(page);
  }
}

// Whatever the transaction kept in memory goes; the files are not touched.
void PagerCore::forgetTransaction() {
  markAllClean();
  journal_.reset();
  statement_.end();
  journaled_.clear();
  databaseWritten_ = false;
  highestWritten_ = 0;
  ++writableStamp_;
}

void PagerCore::markAllClean() {
  for (CachedPage* page : dirty_) {
    cache_.setDirty(page, false);
    page->needsSync = false;
  }
  dirty_.clear();
  ENGINE_INVARIANT(dirtyListIsSound() && cache_.listsAreSound());
}

void PagerCore::endTransaction() {
  forgetTransaction();
  setState(PagerState::kReading);
  leaveExclusiveLock();
  releaseLockIfIdle();
}

// ---- Statements ----

void PagerCore::beginStatement() {
  refuseWhenFailed();
  if (state_ != PagerState::kWriting) {
    throw Error(SQLITE_MISUSE, "statement outside a write transaction");
  }
  statement_.begin(pageCount_);
  ++writableStamp_;
}

void PagerCore::commitStatement() {
  statement_.end();
}

// When the saved pages cannot all be put back, the statement's changes are partly undone: only
// the transaction's rollback can make the cache whole again.
void PagerCore::rollbackStatement() {
  refuseWhenFailed();
  if (!statement_.active()) return;
  writeStep([this] { restoreStatementPages(); });
  dropPagesPast(statement_.startPageCount());
  ENGINE_INVARIANT(journalCountsTheJournaledPages());
  pageCount_ = statement_.startPageCount();
  statement_.end();
  ++writableStamp_;
}

void PagerCore::shrinkTo(PageNumber count) {
  refuseWhenFailed();
  if (state_ != PagerState::kWriting || statement_.active()) {
    throw Error(SQLITE_MISUSE, "database cut short outside a transaction of its own");
  }
  if (count >= pageCount_) return;
  dropPagesPast(count);
  pageCount_ = count;
  shrunk_ = true;
  ++writableStamp_;
}

void PagerCore::restoreStatementPages() {
  statement_.forEachSaved([this](PageNumber number, const uint8_t* bytes) {
    CachedPage* page = cache_.find(number);
    if (!page) page = load(number);
    std::memcpy(page->data, bytes, kPageSize);
    page->extension.reset();
    if (!page->dirty) {
      cache_.setDirty(page, true);
      dirty_.push_back(page);
    }
  });
}

// Pages past the new end no longer exist: they are forgotten, or zeroed where referenced.
void PagerCore::dropPagesPast(PageNumber count) {
  for (CachedPage* page : dirty_) {
    if (page->number > count) cache_.setDirty(page, false);
  }
  dirty_.erase(std::remove_if(dirty_.begin(), dirty_.end(),
                              [count](const CachedPage* page) { return page->number > count; }),
               dirty_.end());
  for (CachedPage* page : cache_.pages()) {
    if (page->number <= count) continue;
    if (page->references == 0) {
      cache_.evict(page);
      continue;
    }
    std::memset(page->data, 0, kPageSize);
    page->extension.reset();
    page->writableStamp = 0;
  }
  ENGINE_INVARIANT(dirtyListIsSound());
}

}  // namespace sqlite2
