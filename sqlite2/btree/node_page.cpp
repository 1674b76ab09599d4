#include "btree/node_page.h"

#include <bitset>
#include <cstring>

#include "common/error.h"
#include "sqlite.h"

namespace sqlite2 {

using namespace format;

namespace {

[[noreturn]] void corrupt() {
  throw Error(SQLITE_CORRUPT);
}

// Tracks which 4-byte units of a page are taken, to find overlaps.
class Coverage {
 public:
  void take(size_t offset, size_t size) {
    for (size_t unit = offset / 4; unit < (offset + size) / 4; ++unit) {
      if (units_.test(unit)) corrupt();
      units_.set(unit);
    }
  }

 private:
  std::bitset<kPageSize / 4> units_;
};

bool aligned(size_t offset) {
  return offset % 4 == 0;
}

}  // namespace

CellInfo decodeCell(const uint8_t* cell, ByteOrder order) {
  CellInfo info;
  info.leftChild = order.u32(cell);
  info.keySize = order.u16(cell + 4) | (uint32_t{cell[8]} << 16);
  info.dataSize = order.u16(cell + 10) | (uint32_t{cell[9]} << 16);
  return info;
}

std::unique_ptr<NodePage> NodePage::parse(const uint8_t* page, ByteOrder order) {
  auto node = std::make_unique<NodePage>();
  node->order = order;
  node->rightChild = order.u32(page);
  size_t cellOffset = order.u16(page + 4);
  size_t freeOffset = order.u16(page + 6);
  if (cellOffset == 0 && freeOffset == 0) {
    // An all-zero page (or a root past the end of a new file) is an empty tree.
    if (node->rightChild != 0) corrupt();
    return node;
  }
  Coverage coverage;
  coverage.take(0, kPageHeaderSize);
  size_t cellBytes = 0;
  while (cellOffset != 0) {
    if (!aligned(cellOffset) || cellOffset < kMinCellOffset || cellOffset > kMaxCellOffset) {
      corrupt();
    }
    if (node->count == kMaxCellsPerPage) corrupt();
    CellInfo info = decodeCell(page + cellOffset, order);
    size_t size = cellSize(info.payloadSize());
    if (cellOffset + size > kPageSize) corrupt();
    if ((info.leftChild == 0) != node->isLeaf()) corrupt();
    coverage.take(cellOffset, size);
    cellBytes += size;
    node->offsets[node->count++] = static_cast<uint16_t>(cellOffset);
    cellOffset = order.u16(page + cellOffset + 6);
  }
  size_t freeBytes = 0;
  size_t previousFree = 0;
  while (freeOffset != 0) {
    if (!aligned(freeOffset) || freeOffset < kPageHeaderSize || freeOffset <= previousFree) {
      corrupt();
    }
    if (freeOffset + 4 > kPageSize) corrupt();
    size_t size = order.u16(page + freeOffset);
    if (size < 4 || !aligned(size) || freeOffset + size > kPageSize) corrupt();
    coverage.take(freeOffset, size);
    freeBytes += size;
    previousFree = freeOffset;
    freeOffset = order.u16(page + freeOffset + 2);
  }
  if (freeBytes + cellBytes != kUsableSpace) corrupt();
  node->usedBytes = static_cast<uint16_t>(cellBytes);
  return node;
}

RawCell copyCell(const uint8_t* page, uint16_t offset, ByteOrder order) {
  RawCell cell;
  cell.size = static_cast<uint16_t>(cellSize(decodeCell(page + offset, order).payloadSize()));
  std::memcpy(cell.bytes, page + offset, cell.size);
  return cell;
}

size_t NodeContent::usedBytes() const {
  size_t total = 0;
  for (const RawCell& cell : cells) total += cell.size;
  return total;
}

PageNumber NodeContent::childAt(size_t slot, ByteOrder order) const {
  return slot < cells.size() ? order.u32(cells[slot].bytes) : rightChild;
}

NodeContent readContent(const uint8_t* page, const NodePage& node, ByteOrder order) {
  NodeContent content;
  content.rightChild = node.rightChild;
  content.cells.reserve(node.count + 1);
  for (size_t i = 0; i < node.count; ++i) {
    content.cells.push_back(copyCell(page, node.offsets[i], order));
  }
  return content;
}

std::unique_ptr<NodePage> layOutNode(uint8_t* page, const RawCell* cells, size_t count,
                                     PageNumber rightChild, ByteOrder order) {
  auto node = std::make_unique<NodePage>();
  node->order = order;
  node->rightChild = rightChild;
  order.put32(page, rightChild);
  size_t offset = kPageHeaderSize;
  order.put16(page + 4, count ? static_cast<uint16_t>(offset) : 0);
  for (size_t i = 0; i < count; ++i) {
    std::memcpy(page + offset, cells[i].bytes, cells[i].size);
    size_t next = offset + cells[i].size;
    order.put16(page + offset + 6, i + 1 < count ? static_cast<uint16_t>(next) : 0);
    node->offsets[i] = static_cast<uint16_t>(offset);
    offset = next;
  }
  node->count = static_cast<uint8_t>(count);
  node->usedBytes = static_cast<uint16_t>(offset - kPageHeaderSize);
  if (offset < kPageSize) {
    order.put16(page + 6, static_cast<uint16_t>(offset));
    order.put16(page + offset, static_cast<uint16_t>(kPageSize - offset));
    order.put16(page + offset + 2, 0);
    std::memset(page + offset + 4, 0, kPageSize - offset - 4);
  } else {
    order.put16(page + 6, 0);
  }
  return node;
}

}  // namespace sqlite2
