#pragma once

// The parsed form of a b-tree page, kept beside the cached page, and the code that lays out a
// page from a list of cells.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "btree/byte_order.h"
#include "btree/page_format.h"
#include "common/integer_bytes.h"
#include "pager/pager.h"

namespace sqlite2 {

// What the b-tree keeps beside cached pages; the kind tells the two uses apart.
class BtreeExtension : public PageExtension {
 public:
  enum class Kind { Header, Node };
  explicit BtreeExtension(Kind kind) : kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

// One cell's header fields.
struct CellInfo {
  uint32_t leftChild = 0;
  uint32_t keySize = 0;
  uint32_t dataSize = 0;
  size_t payloadSize() const { return size_t{keySize} + dataSize; }
  size_t localSize() const { return format::localPayload(payloadSize()); }
  bool overflows() const { return payloadSize() > format::kMaxLocalPayload; }
};

inline CellInfo decodeCell(const uint8_t* cell, ByteOrder order) {
  CellInfo info;
  info.leftChild = order.u32(cell);
  info.keySize = order.u16(cell + 4) | (uint32_t{cell[8]} << 16);
  info.dataSize = order.u16(cell + 10) | (uint32_t{cell[9]} << 16);
  return info;
}

// A b-tree page that passed the load checks: cells in key order, every cell and free block
// inside the page, aligned, not overlapping, and together with the header covering it exactly.
class NodePage : public BtreeExtension {
 public:
  NodePage() : BtreeExtension(Kind::Node) {}

  // Throws Error(SQLITE_CORRUPT) when the page breaks the format.
  static std::unique_ptr<NodePage> parse(const uint8_t* page, ByteOrder order);

  bool isLeaf() const { return rightChild == 0; }
  size_t cellCount() const { return count; }
  // The cells' keys as numbers (big-endian, so that they order as their bytes do) when every
  // key has four bytes, as on a table's pages; null otherwise. A seek then reads this one
  // array instead of a cell per step. Worked out once the page has been sought a few times:
  // a page sought once or twice is searched faster cell by cell than read whole.
  const uint32_t* wordKeys(const uint8_t* page) const;
  // Called by whatever changes the cells of the page in place.
  void forgetWordKeys();

  ByteOrder order;  // the file's, kept here so that reading cells needs no trip to page 1
  PageNumber rightChild = 0;
  uint8_t count = 0;
  uint16_t usedBytes = 0;  // the cells' total size
  uint16_t offsets[format::kMaxCellsPerPage] = {};
  uint16_t sizes[format::kMaxCellsPerPage] = {};

 private:
  static constexpr uint8_t kSeeksBeforeWordKeys = 3;
  mutable uint8_t seeks_ = 0;
  mutable bool noWordKeys_ = false;  // some key is not four bytes long
  mutable std::unique_ptr<uint32_t[]> wordKeys_;
};

// Whether node is what parsing the page gives: its cells and free blocks in order and
// accounted for, and the parsed form kept beside the page up to date with it. For invariants.
bool nodeMatchesPage(const uint8_t* page, const NodePage& node);

struct CellView;

// Whether the page holds as many cells as these, of their sizes in their order, and this right
// child, and node is its parsed form (see nodeMatchesPage). Not their bytes: the cells may
// have been read from the page itself before it was rewritten. For invariants.
bool pageHoldsCells(const uint8_t* page, const NodePage& node, const CellView* cells, size_t count,
                    PageNumber rightChild);

// The number a four-byte key stands for in NodePage::wordKeys.
inline uint32_t wordKeyOf(const uint8_t* key) {
  return readBigEndian32(key);
}
constexpr size_t kWordKeySize = 4;

// A cell's bytes, detached from any page (for moving cells between pages).
struct RawCell {
  uint16_t size = 0;
  uint8_t bytes[format::kMaxCellSize];

  CellInfo info(ByteOrder order) const { return decodeCell(bytes, order); }
  void setLeftChild(PageNumber child, ByteOrder order) { order.put32(bytes, child); }
};

RawCell copyCell(const uint8_t* page, uint16_t offset, ByteOrder order);

// A cell's bytes where they lie (in a copy of a page, or in a RawCell), for laying out pages
// without copying each cell first. The bytes must outlive the view's use.
struct CellView {
  const uint8_t* bytes = nullptr;
  uint16_t size = 0;

  PageNumber leftChild(ByteOrder order) const { return order.u32(bytes); }
};

// A page's content in memory: its cells in key order and its right child. It may hold more
// than a page does while the tree is being rebalanced.
struct NodeContent {
  std::vector<RawCell> cells;
  PageNumber rightChild = 0;

  size_t usedBytes() const;
  bool fits() const { return usedBytes() <= format::kUsableSpace; }
  PageNumber childAt(size_t slot, ByteOrder order) const;  // slot == cells.size(): rightChild
};

NodeContent readContent(const uint8_t* page, const NodePage& node);

// What a page is to hold, as views of its cells in key order, and its right child.
struct NodeCells {
  std::vector<CellView> cells;
  PageNumber rightChild = 0;

  size_t usedBytes() const;
  bool fits() const { return usedBytes() <= format::kUsableSpace; }
};

NodeCells viewsOf(const NodeContent& content);
NodeContent copyOf(const NodeCells& cells);

// Lays out the page: header, the cells packed from the start in key order, one free block for
// the rest. Returns the parsed form of what it wrote. The cells must fit.
std::unique_ptr<NodePage> layOutNode(uint8_t* page, const RawCell* cells, size_t count,
                                     PageNumber rightChild, ByteOrder order);
std::unique_ptr<NodePage> layOutNode(uint8_t* page, const CellView* cells, size_t count,
                                     PageNumber rightChild, ByteOrder order);

// Puts the cell at position index of the page's cells without moving the others, into the
// free space after them, when the page is laid out as layOutNode leaves it (its cells packed
// from the start, one free block after them); false otherwise, with nothing changed. The cell
// must fit. Keeps node, the page's parsed form, up to date.
bool insertInPlace(uint8_t* page, NodePage& node, size_t index, const RawCell& cell);

// One change to a page in place, without detaching its cells: the cell at removeIndex (if not
// negative) goes, and `inserted` (if given) comes in at insertIndex of the remaining cells.
// The result must fit. Returns the parsed form of what it wrote.
std::unique_ptr<NodePage> editNode(uint8_t* page, const NodePage& node, int removeIndex,
                                   int insertIndex, const RawCell* inserted);

}  // namespace sqlite2
