#pragma once

// The pager: fixed-size pages of one database file, a bounded cache of them, the file locks and
// the rollback journal. The layers above see numbered pages and transactions; they never touch
// the file, the locks or the journal themselves.
//
// Locking follows the reference library on Unix (whole-file POSIX locks):
//  - The first get() with no lock held takes the shared lock. If a journal is present at that
//    moment it belongs to a dead writer: the pager takes the write lock, plays it back and
//    deletes it before returning the page.
//  - When the last PageRef is released outside a write transaction, the lock is dropped and
//    the cache emptied (another process may change the file as soon as the lock is gone).
//  - beginWrite() upgrades to the exclusive lock and creates the journal; commit() and
//    rollback() end the transaction and fall back to the shared lock while pages are still
//    referenced, to no lock otherwise.
//  - A lock that cannot be had calls the busy handler with 1, 2, 3 ... and retries while it
//    returns true; otherwise the call throws Error(SQLITE_BUSY).
//  - Connections of one process exclude each other as connections of different processes do,
//    and closing one never drops another one's lock.
//
// Reads: a page missing from the cache is read with one system call; when the miss continues
// an ascending run of pages (a walk of a tree), the pages after it that are not cached are
// read with it (pager/read_ahead.h), into free or clean places of the cache only. Pages that
// a run read are the first to leave the cache once let go of, unless used again meanwhile.
//
// Commit follows the reference library's order: the journal's record count is written and the
// journal synced (its directory too, the first time), then the changed pages are written and
// the database synced, then the journal is deleted. The same journal sync happens before the
// first page reaches the file when a transaction outgrows the cache.
//
// Failures throw sqlite2::Error with the code the C interface reports (SQLITE_BUSY,
// SQLITE_READONLY, SQLITE_CANTOPEN, SQLITE_IOERR, SQLITE_CORRUPT, SQLITE_FULL, ...).
//
// Failing file operations (pager/pager_core.h has the state machine):
//  (1) A write transaction whose journal or database writes, syncs or truncation failed, or
//      whose statement rollback failed, can only be rolled back: until rollback() every other
//      call fails with the first failure's code (transactionFailed() is true). A failed
//      commit() is such a failure, so its transaction stays open for rollback().
//  (2) A rollback that fails gives the transaction up: its journal stays on disk as a hot
//      journal, and every call fails with the failure's code until no page is referenced.
//      Then the pager drops its cache and lock, and the next get() plays the journal back.
//  (3) So no page that a failed transaction changed, or that was read before a failed
//      rollback, is ever handed out again; pages still referenced at the failure cannot be
//      changed any more (mutableData() fails).
//  (4) The database file is never written before the journal records of the pages written
//      are synced, and the journal is deleted only after the database is synced: a failure
//      at any point leaves a file that the journal, if present, restores.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace sqlite2 {

using PageNumber = uint32_t;  // 1-based; 0 means "no page"
constexpr size_t kPageSize = 1024;

// Parsed state that an upper layer keeps beside a cached page (for example a b-tree page's
// cell index). The pager destroys it whenever the page's bytes are replaced behind the upper
// layer's back: eviction, rollback, statement rollback or cache reset.
class PageExtension {
 public:
  virtual ~PageExtension() = default;
};

struct CachedPage;  // internal to the pager
class PagerCore;    // internal to the pager

// A counted reference to one cached page. While any reference exists, the page stays in the
// cache and the pager keeps at least its shared lock. Copying adds a reference.
class PageRef {
 public:
  PageRef() = default;
  PageRef(const PageRef& other);
  PageRef(PageRef&& other) noexcept;
  PageRef& operator=(const PageRef& other);
  PageRef& operator=(PageRef&& other) noexcept;
  ~PageRef();

  explicit operator bool() const { return page_ != nullptr; }
  PageNumber number() const;
  const uint8_t* data() const;
  // The bytes for changing, inside a write transaction. Makes the page writable first when
  // it is not yet for the current statement (as Pager::makeWritable does, with its errors), so
  // that no change can bypass the journal. The pointer stays good for changes until the
  // statement or the transaction ends; ask again after that.
  uint8_t* mutableData();

  PageExtension* extension() const;
  void setExtension(std::unique_ptr<PageExtension> extension);

 private:
  friend class Pager;
  explicit PageRef(CachedPage* page);
  void release();
  CachedPage* page_ = nullptr;
};

struct PagerOptions {
  bool readOnly = false;     // open the file read-only even where it could be written
  size_t cachePages = 2000;  // bound of the cache; pages beyond it are spilled or evicted
};

class Pager {
 public:
  // Opens the file, creating it (empty, mode 0644) when it does not exist and the directory is
  // writable. A file that cannot be written is opened read-only. Nothing is read yet.
  // Failure: Error(SQLITE_CANTOPEN, "unable to open database: <path>"), the message the C
  // interface's sqlite_open reports.
  static std::unique_ptr<Pager> open(const std::string& path, const PagerOptions& options);
  // Rolls back a write transaction still open and releases the locks. Every PageRef must be
  // gone before the pager.
  ~Pager();
  Pager(const Pager&) = delete;
  Pager& operator=(const Pager&) = delete;

  void setBusyHandler(std::function<bool(int attempt)> handler);
  bool isReadOnly() const;
  const std::string& path() const;
  // The rollback journal's path: the database path made absolute, plus "-journal".
  const std::string& journalPath() const;

  // The number of pages in the database: the file's size in whole pages, or, inside a write
  // transaction, including the pages appended by it. Without a lock it takes the shared lock
  // for the call only (unless pages are referenced), so the answer is a snapshot.
  PageNumber pageCount();
  // The file's size in bytes, a last page that is not whole included, as it is now on disk.
  uint64_t fileSize() const;

  // The page, read from the file or the cache. A page past the end reads as zeros; writing
  // it (after makeWritable) extends the database to that page. Page 0 and numbers past the
  // largest possible page throw Error(SQLITE_CORRUPT): only a damaged file points there.
  PageRef get(PageNumber number);

  // Write transactions over the whole file. Starting one while one is open does nothing.
  // On a read-only file beginWrite() only takes the shared lock, as the reference library's
  // BEGIN does there; the first makeWritable then fails with SQLITE_READONLY.
  // Where the journal cannot be created (a directory that cannot be written) beginWrite()
  // throws Error(SQLITE_CANTOPEN).
  void beginWrite();
  bool inWriteTransaction() const;
  // Whether the open write transaction failed part way and can only be rolled back (1).
  bool transactionFailed() const;
  // Saves the page's current content to the journal (once per transaction) and, inside a
  // statement, for the statement, before the caller changes it. Throws Error(SQLITE_READONLY)
  // on a read-only file and Error(SQLITE_MISUSE) outside a write transaction.
  void makeWritable(PageRef& page);
  // commit() and rollback() do nothing outside a write transaction. When commit() fails the
  // transaction stays open and rollback() restores the file.
  void commit();
  void rollback();

  // A statement inside a write transaction: rollbackStatement() restores every page the
  // statement changed and the page count it started with, leaving the transaction open.
  // Only inside a write transaction (else Error(SQLITE_MISUSE)).
  void beginStatement();
  void commitStatement();
  void rollbackStatement();

  // Shortens the database to count pages (inside a write transaction, outside a statement):
  // the pages past it go to the journal first, so that a rollback, or a crash before the
  // commit, brings them back; the commit then cuts the file.
  void truncate(PageNumber count);

  // How many pages the cache holds now (for tests and statistics).
  size_t cachedPageCount() const;

 private:
  explicit Pager(std::unique_ptr<PagerCore> core);
  std::unique_ptr<PagerCore> core_;
};

}  // namespace sqlite2

// A b-tree seek reads these for every page it passes: defined here, they cost no call.
#include "pager/cached_page.h"  // IWYU pragma: export
