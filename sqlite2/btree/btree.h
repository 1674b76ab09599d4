#pragma once

// B-trees in the SQLite 2.8 file format: every table and every index is one tree, named by its
// root page. Keys are byte strings ordered by memcmp (a shorter key sorts before a longer one
// with the same prefix); each entry carries a key and a data part. Page 1 holds the file header,
// the free list and the meta values; the schema table's tree is always rooted at page 2.
//
// Failures throw sqlite2::Error: SQLITE_CORRUPT for any structure that breaks the format,
// SQLITE_NOTADB for a file that is not an SQLite 2 database, the pager's codes otherwise.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pager/pager.h"

namespace sqlite2 {

constexpr PageNumber kSchemaRoot = 2;

// Index 0 is the number of free pages (kept by the b-tree, read only); 1 to 9 are the meta
// values (1: schema cookie, 2: file format, 3: default cache size, 4: default synchronous, ...).
using MetaValues = std::array<int32_t, 10>;

class Cursor;

class Btree {
 public:
  // Opens the file through a pager. Nothing is read until the first access; the header is
  // checked then (a file of less than one page is an empty database; our engine never
  // initialises over a non-empty file that is not an SQLite 2 database).
  static std::unique_ptr<Btree> open(const std::string& path, const PagerOptions& options);
  ~Btree();
  Btree(const Btree&) = delete;
  Btree& operator=(const Btree&) = delete;

  Pager& pager();

  // Transactions over the whole file. beginTransaction() formats an empty file (page 1 and an
  // empty schema tree on page 2) as the reference library does.
  void beginTransaction();
  bool inTransaction() const;
  // Whether the open transaction failed part way (a write or sync of the file): it can only
  // be rolled back, and every other call fails until then.
  bool transactionFailed() const;
  void commit();
  void rollback();
  void beginStatement();
  void commitStatement();
  void rollbackStatement();

  // Trees. createTree returns the new root page; dropTree frees every page of the tree
  // including its root (page 2 is only cleared); clearTree frees every page but the root and
  // leaves the root an empty page. A damaged tree is refused (SQLITE_CORRUPT) before any of
  // its pages is freed. All three need a transaction (SQLITE_MISUSE otherwise).
  PageNumber createTree();
  void dropTree(PageNumber root);
  void clearTree(PageNumber root);

  MetaValues readMeta();
  void writeMeta(const MetaValues& meta);  // element 0 is ignored

  // Checks the whole file as the reference library's integrity check does at the b-tree
  // level: free list, page formats, key order, overflow chains, byte coverage, every page
  // used exactly once. Returns the problems found in its wording, empty when the file is sound.
  std::vector<std::string> checkIntegrity(const std::vector<PageNumber>& roots);

 private:
  friend class Cursor;
  Btree() = default;
  struct State;
  std::unique_ptr<State> state_;
};

// A position in one tree. While a cursor is open the file stays at least share-locked.
//
// Several cursors may be open on the same tree. When the tree is changed through one cursor
// (or by clearTree/rollback), the others keep their place by key: on their next use they
// move back to their entry, or, if it was deleted, to where it stood, so that next() gives
// the entry that followed it.
class Cursor {
 public:
  // forWriting: insert() and remove() are allowed (inside a transaction only; SQLITE_MISUSE
  // otherwise). Opening reads the root page, so a file that is not a database or a damaged
  // root fails here.
  Cursor(Btree& btree, PageNumber root, bool forWriting);
  ~Cursor();
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;

  // Each returns whether the cursor is now on an entry.
  bool first();
  bool last();
  bool next();
  bool previous();
  bool valid() const;

  // Moves to the entry equal to key if there is one, otherwise to a neighbour of where key
  // would stand. Returns 0 when on an equal entry, < 0 when on an entry smaller than key,
  // > 0 when on an entry larger than key; for an empty tree the cursor is not valid and the
  // result is < 0.
  int seek(std::string_view key);

  // The entry under the cursor (SQLITE_MISUSE when there is none). Reading past the end of
  // the data is SQLITE_CORRUPT: it means a record's header points outside the record.
  size_t keySize();
  std::string key();
  size_t dataSize();
  std::string data();
  // Reads part of the data without copying the rest (for single columns of large rows).
  std::string data(size_t offset, size_t length);
  // Reads the whole data into out, reusing its storage (for walks that read row after row).
  void readData(std::string& out);
  // The data where it lies on its page, when the whole entry is held there (no overflow
  // pages): false otherwise. `page` is set to hold that page, which keeps the view good while
  // it is held and the tree is not changed, even after the cursor has moved on or let go of
  // its place (as it does when a statement is rolled back). `key`, when given, is set to the
  // entry's key on that page alike.
  bool localData(std::string_view& out, PageRef& page, std::string_view* key = nullptr);
  // memcmp-order comparison of the entry's key, without its last ignoreTail bytes, with key.
  int compareKey(std::string_view key, size_t ignoreTail = 0);

  // Inserts an entry, replacing the data of an entry with an equal key. Afterwards the cursor
  // is on the new entry.
  void insert(std::string_view key, std::string_view data);
  // Deletes the entry under the cursor. Afterwards next() moves to the entry that followed it.
  void remove();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace sqlite2
