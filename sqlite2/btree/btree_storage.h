#pragma once

// The shared machinery of one open b-tree file: checked page access, the file header, payloads
// and overflow chains, the free list, the open cursors and the rebalancing of trees.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "btree/byte_order.h"
#include "btree/node_page.h"
#include "pager/pager.h"

namespace sqlite2 {

class CursorCore;

// One step of a path from a root: the page, and the cell the path is on (at the last level) or
// the child slot it went down through (above it; slot == cell count means the right child).
struct PathLevel {
  PageRef ref;
  int index = 0;
};
using Path = std::vector<PathLevel>;

class BtreeStorage {
 public:
  explicit BtreeStorage(std::unique_ptr<Pager> pager);

  Pager& pager() { return *pager_; }

  // The file's byte order, checking page 1 the first time after each (re)load of the cache.
  // Throws Error(SQLITE_NOTADB) for a file that is not an SQLite 2 database.
  ByteOrder order();
  // In a write transaction: gives a file of fewer than two pages a header and an empty schema
  // tree on page 2.
  void formatIfNew();

  // A tree page: its number must lie inside the file (page 2 of a new, empty file reads as an
  // empty tree); anything else is corruption.
  PageRef treePage(PageNumber number);
  // Inline for the page parsed already, as every step of a seek asks for its page's form.
  const NodePage& node(PageRef& page) {
    PageExtension* extension = page.extension();
    if (extension &&
        static_cast<BtreeExtension*>(extension)->kind() == BtreeExtension::Kind::Node) {
      return *static_cast<NodePage*>(extension);
    }
    return parsedNode(page);
  }
  // Replaces the page's content by the cells (which must fit), in a write transaction.
  void writeNode(PageRef& page, const RawCell* cells, size_t count, PageNumber rightChild);
  void writeNode(PageRef& page, const NodeContent& content) {
    writeNode(page, content.cells.data(), content.cells.size(), content.rightChild);
  }
  void writeNode(PageRef& page, const CellView* cells, size_t count, PageNumber rightChild);
  // A page with no cells: an empty tree, or a root whose content moves down to rightChild.
  void writeEmptyNode(PageRef& page, PageNumber rightChild) {
    writeNode(page, static_cast<const CellView*>(nullptr), 0, rightChild);
  }
  NodeContent content(PageRef& page);
  // Removes the cell at removeIndex (negative: none) and puts `inserted` (if given) at
  // insertIndex, in place; the result must fit.
  void editNode(PageRef& page, int removeIndex, int insertIndex, const RawCell* inserted);
  // The page, journaled and ready for changing as something other than a tree page.
  PageRef writablePage(PageNumber number);

  // Payload of the cell at `cell` on a tree page: key then data, overflowing into a chain.
  void readPayload(const uint8_t* cell, const CellInfo& info, size_t offset, size_t length,
                   char* out);
  int compareKey(const uint8_t* cell, const CellInfo& info, std::string_view key,
                 size_t ignoreTail);
  // A new cell holding key and data; its overflow pages are allocated and written.
  RawCell buildCell(std::string_view key, std::string_view data);
  // The pages of the cell's overflow chain, which must be exactly as long as its payload needs.
  std::vector<PageNumber> overflowChain(const uint8_t* cell, const CellInfo& info);
  void freeOverflow(const uint8_t* cell, const CellInfo& info);

  PageNumber allocatePage();
  void freePage(PageNumber number);

  void registerCursor(CursorCore* cursor);
  void unregisterCursor(CursorCore* cursor);
  // Before the tree at root changes (root 0: every tree), cursors other than `except` remember
  // their entry by key and find it again on their next use.
  void saveCursors(PageNumber root, const CursorCore* except);

  // Restores the tree invariants after the page at path[depth] was given `content`, which may
  // be too full, too empty or empty. Writes every page involved; the path is spent afterwards.
  // `appending`: the change put an entry after every other entry of the tree, so the pages on
  // its right edge are packed full instead of evened out (the next entries come there too).
  // The views must not point into a page of the tree (copy the page first).
  void balance(Path& path, size_t depth, const NodeCells& content, bool appending = false);
  void balance(Path& path, size_t depth, const NodeContent& content, bool appending = false) {
    balance(path, depth, viewsOf(content), appending);
  }

  // Frees every page below the root and every overflow chain of the tree.
  void freeTreeContent(PageNumber root);

 private:
  const NodePage& parsedNode(PageRef& page);
  PageRef overflowPage(PageNumber number);
  void checkTreePageNumber(PageNumber number);
  void balanceRoot(Path& path, const NodeCells& content, bool appending);
  void balanceNonRoot(Path& path, size_t depth, const NodeCells& content, bool appending);

  std::unique_ptr<Pager> pager_;
  std::vector<CursorCore*> cursors_;
};

[[noreturn]] void throwCorrupt();

}  // namespace sqlite2
