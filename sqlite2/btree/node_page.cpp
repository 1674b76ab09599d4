#include "btree/node_page.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "common/error.h"
#include "sqlite.h"

namespace sqlite2 {

using namespace format;

namespace {

[[noreturn]] void corrupt() {
  throw Error(SQLITE_CORRUPT);
}

// Tracks which 4-byte units of a page are taken, to find overlaps. A range is tested and taken
// a word of units at a time, as page loads do this for every cell and free block.
class Coverage {
 public:
  // offset and size are multiples of 4 and the range lies inside the page.
  void take(size_t offset, size_t size) {
    size_t unit = offset / 4;
    const size_t end = (offset + size) / 4;
    while (unit < end) {
      size_t bit = unit % kWordBits;
      size_t count = std::min(kWordBits - bit, end - unit);
      uint64_t mask = (count == kWordBits ? ~uint64_t{0} : (uint64_t{1} << count) - 1) << bit;
      uint64_t& word = words_[unit / kWordBits];
      if (word & mask) corrupt();
      word |= mask;
      unit += count;
    }
  }

 private:
  static constexpr size_t kWordBits = 64;
  uint64_t words_[kPageSize / 4 / kWordBits] = {};
};

bool aligned(size_t offset) {
  return offset % 4 == 0;
}

// The rest of the page after the cells, which end at `end`, becomes one free block.
void finishLayout(uint8_t* page, size_t end, NodePage& node) {
  ByteOrder order = node.order;
  node.usedBytes = static_cast<uint16_t>(end - kPageHeaderSize);
  if (end < kPageSize) {
    order.put16(page + 6, static_cast<uint16_t>(end));
    order.put16(page + end, static_cast<uint16_t>(kPageSize - end));
    order.put16(page + end + 2, 0);
    std::memset(page + end + 4, 0, kPageSize - end - 4);
  } else {
    order.put16(page + 6, 0);
  }
}

}  // namespace

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
    node->sizes[node->count] = static_cast<uint16_t>(size);
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

bool nodeMatchesPage(const uint8_t* page, const NodePage& node) {
  std::unique_ptr<NodePage> parsed;
  try {
    parsed = NodePage::parse(page, node.order);
  } catch (const Error&) {
    return false;
  }
  const size_t count = node.count;
  return parsed->rightChild == node.rightChild && parsed->count == node.count &&
         parsed->usedBytes == node.usedBytes &&
         std::equal(node.offsets, node.offsets + count, parsed->offsets) &&
         std::equal(node.sizes, node.sizes + count, parsed->sizes);
}

bool pageHoldsCells(const uint8_t* page, const NodePage& node, const CellView* cells, size_t count,
                    PageNumber rightChild) {
  if (node.count != count || node.rightChild != rightChild) return false;
  for (size_t i = 0; i < count; ++i) {
    if (node.sizes[i] != cells[i].size) return false;
  }
  return nodeMatchesPage(page, node);
}

const uint32_t* NodePage::wordKeys(const uint8_t* page) const {
  if (wordKeys_) return wordKeys_.get();
  if (noWordKeys_ || ++seeks_ < kSeeksBeforeWordKeys) return nullptr;
  std::unique_ptr<uint32_t[]> keys(new uint32_t[kMaxCellsPerPage]);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* cell = page + offsets[i];
    if (decodeCell(cell, order).keySize != kWordKeySize) {
      noWordKeys_ = true;
      return nullptr;
    }
    keys[i] = wordKeyOf(cell + kCellHeaderSize);
  }
  wordKeys_ = std::move(keys);
  return wordKeys_.get();
}

void NodePage::forgetWordKeys() {
  wordKeys_.reset();
  noWordKeys_ = false;
  seeks_ = 0;
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

NodeContent readContent(const uint8_t* page, const NodePage& node) {
  NodeContent content;
  content.rightChild = node.rightChild;
  content.cells.reserve(node.count + 1);
  content.cells.resize(node.count);
  for (size_t i = 0; i < node.count; ++i) {
    RawCell& cell = content.cells[i];
    cell.size = node.sizes[i];
    std::memcpy(cell.bytes, page + node.offsets[i], cell.size);
  }
  return content;
}

namespace {

// Lays out count cells, cellAt(i) giving the bytes and size of each.
template <typename CellAt>
std::unique_ptr<NodePage> layOut(uint8_t* page, size_t count, CellAt cellAt, PageNumber rightChild,
                                 ByteOrder order) {
  auto node = std::make_unique<NodePage>();
  node->order = order;
  node->rightChild = rightChild;
  order.put32(page, rightChild);
  size_t offset = kPageHeaderSize;
  order.put16(page + 4, count ? static_cast<uint16_t>(offset) : 0);
  for (size_t i = 0; i < count; ++i) {
    const auto [bytes, size] = cellAt(i);
    std::memcpy(page + offset, bytes, size);
    size_t next = offset + size;
    order.put16(page + offset + 6, i + 1 < count ? static_cast<uint16_t>(next) : 0);
    node->offsets[i] = static_cast<uint16_t>(offset);
    node->sizes[i] = size;
    offset = next;
  }
  node->count = static_cast<uint8_t>(count);
  finishLayout(page, offset, *node);
  return node;
}

}  // namespace

std::unique_ptr<NodePage> layOutNode(uint8_t* page, const RawCell* cells, size_t count,
                                     PageNumber rightChild, ByteOrder order) {
  auto cellAt = [cells](size_t i) { return std::pair(cells[i].bytes, cells[i].size); };
  return layOut(page, count, cellAt, rightChild, order);
}

std::unique_ptr<NodePage> layOutNode(uint8_t* page, const CellView* cells, size_t count,
                                     PageNumber rightChild, ByteOrder order) {
  auto cellAt = [cells](size_t i) { return std::pair(cells[i].bytes, cells[i].size); };
  return layOut(page, count, cellAt, rightChild, order);
}

size_t NodeCells::usedBytes() const {
  size_t total = 0;
  for (const CellView& cell : cells) total += cell.size;
  return total;
}

NodeCells viewsOf(const NodeContent& content) {
  NodeCells views;
  views.rightChild = content.rightChild;
  views.cells.reserve(content.cells.size());
  for (const RawCell& cell : content.cells) views.cells.push_back({cell.bytes, cell.size});
  return views;
}

NodeContent copyOf(const NodeCells& views) {
  NodeContent content;
  content.rightChild = views.rightChild;
  content.cells.resize(views.cells.size());
  for (size_t i = 0; i < views.cells.size(); ++i) {
    content.cells[i].size = views.cells[i].size;
    std::memcpy(content.cells[i].bytes, views.cells[i].bytes, views.cells[i].size);
  }
  return content;
}

bool insertInPlace(uint8_t* page, NodePage& node, size_t index, const RawCell& cell) {
  ByteOrder order = node.order;
  const size_t offset = kPageHeaderSize + node.usedBytes;
  const size_t end = offset + cell.size;
  const bool packed = offset == kPageSize ? order.u16(page + 6) == 0
                                          : order.u16(page + 6) == offset &&
                                                order.u16(page + offset) == kPageSize - offset &&
                                                order.u16(page + offset + 2) == 0;
  if (!packed || end > kPageSize || node.count >= kMaxCellsPerPage || index > node.count) {
    return false;
  }
  std::memcpy(page + offset, cell.bytes, cell.size);
  order.put16(page + offset + 6, index < node.count ? node.offsets[index] : 0);
  // The cell before it in key order (or the page header) now leads to it.
  order.put16(index > 0 ? page + node.offsets[index - 1] + 6 : page + 4,
              static_cast<uint16_t>(offset));
  if (end < kPageSize) {
    order.put16(page + 6, static_cast<uint16_t>(end));
    order.put16(page + end, static_cast<uint16_t>(kPageSize - end));
    order.put16(page + end + 2, 0);
  } else {
    order.put16(page + 6, 0);
  }
  std::copy_backward(node.offsets + index, node.offsets + node.count,
                     node.offsets + node.count + 1);
  std::copy_backward(node.sizes + index, node.sizes + node.count, node.sizes + node.count + 1);
  node.offsets[index] = static_cast<uint16_t>(offset);
  node.sizes[index] = cell.size;
  ++node.count;
  node.forgetWordKeys();
  node.usedBytes = static_cast<uint16_t>(node.usedBytes + cell.size);
  return true;
}

std::unique_ptr<NodePage> editNode(uint8_t* page, const NodePage& old, int removeIndex,
                                   int insertIndex, const RawCell* inserted) {
  ByteOrder order = old.order;
  uint8_t before[kPageSize];
  std::memcpy(before, page, kPageSize);
  auto node = std::make_unique<NodePage>();
  node->order = order;
  node->rightChild = old.rightChild;
  size_t offset = kPageHeaderSize;
  auto place = [&](const uint8_t* cell, uint16_t size) {
    if (node->count > 0) {
      order.put16(page + node->offsets[node->count - 1] + 6, static_cast<uint16_t>(offset));
    }
    std::memcpy(page + offset, cell, size);
    order.put16(page + offset + 6, 0);
    node->offsets[node->count] = static_cast<uint16_t>(offset);
    node->sizes[node->count++] = size;
    offset += size;
  };
  int kept = 0;
  for (int i = 0; i < static_cast<int>(old.count); ++i) {
    if (i == removeIndex) continue;
    if (inserted && kept == insertIndex) {
      place(inserted->bytes, inserted->size);
      inserted = nullptr;
    }
    place(before + old.offsets[i], old.sizes[i]);
    ++kept;
  }
  if (inserted) place(inserted->bytes, inserted->size);
  order.put16(page + 4, node->count ? static_cast<uint16_t>(kPageHeaderSize) : 0);
  finishLayout(page, offset, *node);
  return node;
}

}  // namespace sqlite2
