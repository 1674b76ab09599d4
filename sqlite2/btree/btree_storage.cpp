#include "btree/btree_storage.h"

#include <algorithm>
#include <cstring>

#include "btree/cursor_core.h"
#include "common/error.h"
#include "common/invariant.h"
#include "sqlite.h"

namespace sqlite2 {

using namespace format;

void throwCorrupt() {
  throw Error(SQLITE_CORRUPT);
}

namespace {

// Page 1's checked header, kept beside the cached page.
class HeaderPage : public BtreeExtension {
 public:
  explicit HeaderPage(ByteOrder order) : BtreeExtension(Kind::Header), order(order) {}
  ByteOrder order;
};

ByteOrder headerOrder(const uint8_t* page) {
  if (std::memcmp(page, kHeaderText, kHeaderTextSize) != 0) throw Error(SQLITE_NOTADB);
  ByteOrder little{false};
  ByteOrder big{true};
  // A magic in the other order means every structural integer is swapped; if the content is
  // not, reading it fails as corrupt, as in the reference library.
  if (little.u32(page + kMagicOffset) == kMagic) return little;
  if (big.u32(page + kMagicOffset) == kMagic) return big;
  throw Error(SQLITE_NOTADB);
}

// memcmp, without a library call for the short keys of tables (a row number's four bytes),
// which a seek compares a dozen times.
int compareBytes(const uint8_t* a, const char* b, size_t size) {
  if (size > 8) return std::memcmp(a, b, size);
  for (size_t i = 0; i < size; ++i) {
    const auto right = static_cast<uint8_t>(b[i]);
    if (a[i] != right) return a[i] < right ? -1 : 1;
  }
  return 0;
}

}  // namespace

BtreeStorage::BtreeStorage(std::unique_ptr<Pager> pager) : pager_(std::move(pager)) {}

ByteOrder BtreeStorage::order() {
  PageRef first = pager_->get(1);
  if (auto* extension = static_cast<BtreeExtension*>(first.extension())) {
    if (extension->kind() != BtreeExtension::Kind::Header) throwCorrupt();
    return static_cast<HeaderPage*>(extension)->order;
  }
  ByteOrder order;
  if (pager_->pageCount() == 0) {
    // The pager counts whole pages only; a shorter file that is not empty is not a new
    // database and must never be initialised over.
    if (pager_->fileSize() > 0) throw Error(SQLITE_NOTADB);
  } else {
    order = headerOrder(first.data());
  }
  first.setExtension(std::make_unique<HeaderPage>(order));
  return order;
}

void BtreeStorage::formatIfNew() {
  ByteOrder fileOrder = order();
  PageNumber count = pager_->pageCount();
  if (count >= 2) return;
  // Only an empty file is new; a single page with a header is what is left of a cut file.
  if (count == 1) throwCorrupt();
  PageRef first = pager_->get(1);
  pager_->makeWritable(first);
  uint8_t* bytes = first.mutableData();
  std::memcpy(bytes, kHeaderText, kHeaderTextSize);
  fileOrder.put32(bytes + kMagicOffset, kMagic);
  // A file without a second page cannot have free pages.
  fileOrder.put32(bytes + kFreeListHeadOffset, 0);
  fileOrder.put32(bytes + kFreeCountOffset, 0);
  first.setExtension(std::make_unique<HeaderPage>(fileOrder));
  PageRef schema = pager_->get(2);
  writeEmptyNode(schema, 0);
}

void BtreeStorage::checkTreePageNumber(PageNumber number) {
  if (number < 2 || number > kMaxPageNumber) throwCorrupt();
  PageNumber count = pager_->pageCount();
  if (number > count && !(number == 2 && count == 0)) throwCorrupt();
}

PageRef BtreeStorage::treePage(PageNumber number) {
  checkTreePageNumber(number);
  return pager_->get(number);
}

const NodePage& BtreeStorage::parsedNode(PageRef& page) {
  if (auto* extension = static_cast<BtreeExtension*>(page.extension())) {
    if (extension->kind() != BtreeExtension::Kind::Node) throwCorrupt();
    return *static_cast<NodePage*>(extension);
  }
  ByteOrder fileOrder = order();
  std::unique_ptr<NodePage> parsed = NodePage::parse(page.data(), fileOrder);
  const NodePage& result = *parsed;
  page.setExtension(std::move(parsed));
  return result;
}

void BtreeStorage::writeNode(PageRef& page, const RawCell* cells, size_t count,
                             PageNumber rightChild) {
  ByteOrder fileOrder = order();
  pager_->makeWritable(page);
  page.setExtension(layOutNode(page.mutableData(), cells, count, rightChild, fileOrder));
  ENGINE_INVARIANT(nodeMatchesPage(page.data(), node(page)));
}

void BtreeStorage::writeNode(PageRef& page, const CellView* cells, size_t count,
                             PageNumber rightChild) {
  ByteOrder fileOrder = order();
  pager_->makeWritable(page);
  page.setExtension(layOutNode(page.mutableData(), cells, count, rightChild, fileOrder));
  ENGINE_INVARIANT(nodeMatchesPage(page.data(), node(page)));
}

void BtreeStorage::editNode(PageRef& page, int removeIndex, int insertIndex,
                            const RawCell* inserted) {
  const NodePage& old = node(page);
  ENGINE_INVARIANT(nodeMatchesPage(page.data(), old));
  pager_->makeWritable(page);
  // A plain insert mostly goes into the free space, leaving the other cells where they are.
  if (removeIndex < 0 && inserted &&
      insertInPlace(page.mutableData(), *static_cast<NodePage*>(page.extension()),
                    static_cast<size_t>(insertIndex), *inserted)) {
    ENGINE_INVARIANT(nodeMatchesPage(page.data(), node(page)));
    return;
  }
  page.setExtension(sqlite2::editNode(page.mutableData(), old, removeIndex, insertIndex, inserted));
  ENGINE_INVARIANT(nodeMatchesPage(page.data(), node(page)));
}

NodeContent BtreeStorage::content(PageRef& page) {
  const NodePage& parsed = node(page);
  return readContent(page.data(), parsed);
}

PageRef BtreeStorage::writablePage(PageNumber number) {
  PageRef page = pager_->get(number);
  pager_->makeWritable(page);
  page.setExtension(nullptr);
  return page;
}

PageRef BtreeStorage::overflowPage(PageNumber number) {
  if (number < 2 || number > pager_->pageCount()) throwCorrupt();
  return pager_->get(number);
}

void BtreeStorage::readPayload(const uint8_t* cell, const CellInfo& info, size_t offset,
                               size_t length, char* out) {
  if (offset + length > info.payloadSize() || offset + length < offset) throwCorrupt();
  const uint8_t* local = cell + kCellHeaderSize;
  size_t localSize = info.localSize();
  if (offset < localSize) {
    size_t part = std::min(length, localSize - offset);
    std::memcpy(out, local + offset, part);
    out += part;
    offset += part;
    length -= part;
  }
  if (length == 0) return;
  ByteOrder fileOrder = order();
  PageNumber next = fileOrder.u32(local + kMaxLocalPayload);
  size_t chainOffset = kMaxLocalPayload;  // payload offset at the start of page `next`
  while (length > 0) {
    if (next == 0) throwCorrupt();
    PageRef page = overflowPage(next);
    if (offset < chainOffset + kOverflowPayload) {
      size_t within = offset - chainOffset;
      size_t part = std::min(length, kOverflowPayload - within);
      std::memcpy(out, page.data() + 4 + within, part);
      out += part;
      offset += part;
      length -= part;
    }
    chainOffset += kOverflowPayload;
    next = fileOrder.u32(page.data());
  }
}

int BtreeStorage::compareKey(const uint8_t* cell, const CellInfo& info, std::string_view key,
                             size_t ignoreTail) {
  size_t keySize = info.keySize >= ignoreTail ? info.keySize - ignoreTail : 0;
  size_t common = std::min(keySize, key.size());
  size_t local = std::min(common, info.localSize());
  int result = compareBytes(cell + kCellHeaderSize, key.data(), local);
  if (result == 0 && common > local) {
    std::string rest(common - local, '\0');
    readPayload(cell, info, local, rest.size(), rest.data());
    result = std::memcmp(rest.data(), key.data() + local, rest.size());
  }
  if (result != 0) return result;
  return keySize < key.size() ? -1 : keySize > key.size() ? 1 : 0;
}

RawCell BtreeStorage::buildCell(std::string_view key, std::string_view data) {
  if (key.size() > kMaxPayloadPart || data.size() > kMaxPayloadPart) {
    throw Error(SQLITE_TOOBIG);
  }
  ByteOrder fileOrder = order();
  RawCell cell;
  size_t payload = key.size() + data.size();
  cell.size = static_cast<uint16_t>(cellSize(payload));
  std::memset(cell.bytes, 0, cell.size);
  uint8_t* header = cell.bytes;
  fileOrder.put16(header + 4, static_cast<uint16_t>(key.size()));
  header[8] = static_cast<uint8_t>(key.size() >> 16);
  header[9] = static_cast<uint8_t>(data.size() >> 16);
  fileOrder.put16(header + 10, static_cast<uint16_t>(data.size()));

  // Copies payload bytes [from, from + n) to out.
  auto copyPayload = [&](size_t from, size_t n, uint8_t* out) {
    if (from < key.size()) {
      size_t part = std::min(n, key.size() - from);
      std::memcpy(out, key.data() + from, part);
      out += part;
      from += part;
      n -= part;
    }
    if (n > 0) std::memcpy(out, data.data() + (from - key.size()), n);
  };
  size_t local = localPayload(payload);
  copyPayload(0, local, header + kCellHeaderSize);
  size_t pages = overflowPageCount(payload);
  if (pages == 0) return cell;

  std::vector<PageNumber> chain(pages);
  for (PageNumber& number : chain) number = allocatePage();
  fileOrder.put32(header + kCellHeaderSize + kMaxLocalPayload, chain[0]);
  size_t offset = local;
  for (size_t i = 0; i < pages; ++i) {
    PageRef page = writablePage(chain[i]);
    uint8_t* bytes = page.mutableData();
    fileOrder.put32(bytes, i + 1 < pages ? chain[i + 1] : 0);
    size_t part = std::min(kOverflowPayload, payload - offset);
    copyPayload(offset, part, bytes + 4);
    std::memset(bytes + 4 + part, 0, kOverflowPayload - part);
    offset += part;
  }
  return cell;
}

std::vector<PageNumber> BtreeStorage::overflowChain(const uint8_t* cell, const CellInfo& info) {
  size_t pages = overflowPageCount(info.payloadSize());
  std::vector<PageNumber> chain;
  if (pages == 0) return chain;  // a local-only cell has no chain pointer to read
  chain.reserve(pages);
  ByteOrder fileOrder = order();
  PageNumber next = fileOrder.u32(cell + kCellHeaderSize + kMaxLocalPayload);
  for (size_t i = 0; i < pages; ++i) {
    if (next == 0) throwCorrupt();
    chain.push_back(next);
    next = fileOrder.u32(overflowPage(next).data());
  }
  return chain;
}

void BtreeStorage::freeOverflow(const uint8_t* cell, const CellInfo& info) {
  std::vector<PageNumber> chain = overflowChain(cell, info);
  // A chain that runs into itself would put a page on the free list twice.
  std::vector<PageNumber> sorted = chain;
  std::sort(sorted.begin(), sorted.end());
  if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) throwCorrupt();
  for (PageNumber number : chain) freePage(number);
}

PageNumber BtreeStorage::allocatePage() {
  ByteOrder fileOrder = order();
  PageRef first = pager_->get(1);
  PageNumber head = fileOrder.u32(first.data() + kFreeListHeadOffset);
  uint32_t freeCount = fileOrder.u32(first.data() + kFreeCountOffset);
  if (head == 0) {
    PageNumber next = pager_->pageCount() + 1;
    if (next > kMaxPageNumber) throw Error(SQLITE_FULL);
    writablePage(next);  // extends the database to the new page
    return next;
  }
  if (freeCount == 0) throwCorrupt();
  PageRef trunk = overflowPage(head);
  uint32_t leaves = fileOrder.u32(trunk.data() + 4);
  if (leaves > kTrunkCapacity) throwCorrupt();
  pager_->makeWritable(first);
  fileOrder.put32(first.mutableData() + kFreeCountOffset, freeCount - 1);
  if (leaves == 0) {
    // The trunk itself is the last free page it accounts for.
    fileOrder.put32(first.mutableData() + kFreeListHeadOffset, fileOrder.u32(trunk.data()));
    writablePage(head);
    return head;
  }
  // As the reference library does: the first leaf is taken and the last one moves into its
  // slot, so that after a DROP new trees get the same root pages in both engines.
  PageNumber leaf = fileOrder.u32(trunk.data() + 8);
  PageNumber last = fileOrder.u32(trunk.data() + 8 + 4 * (leaves - 1));
  if (leaf < 2 || leaf > pager_->pageCount() || leaf == head) throwCorrupt();
  pager_->makeWritable(trunk);
  trunk.setExtension(nullptr);
  uint8_t* slots = trunk.mutableData() + 8;
  fileOrder.put32(slots, last);
  fileOrder.put32(slots + 4 * (leaves - 1), 0);
  fileOrder.put32(trunk.mutableData() + 4, leaves - 1);
  writablePage(leaf);
  return leaf;
}

void BtreeStorage::freePage(PageNumber number) {
  if (number < 2) throwCorrupt();
  ByteOrder fileOrder = order();
  PageRef first = pager_->get(1);
  pager_->makeWritable(first);
  uint8_t* header = first.mutableData();
  fileOrder.put32(header + kFreeCountOffset, fileOrder.u32(header + kFreeCountOffset) + 1);
  PageNumber head = fileOrder.u32(header + kFreeListHeadOffset);
  if (head != 0) {
    PageRef trunk = overflowPage(head);
    uint32_t leaves = fileOrder.u32(trunk.data() + 4);
    if (leaves > kTrunkCapacity) throwCorrupt();
    if (leaves < kTrunkCapacity) {
      pager_->makeWritable(trunk);
      trunk.setExtension(nullptr);
      fileOrder.put32(trunk.mutableData() + 8 + 4 * leaves, number);
      fileOrder.put32(trunk.mutableData() + 4, leaves + 1);
      // A free leaf keeps its old bytes, but must not keep a parsed form that could be trusted.
      PageRef leaf = pager_->get(number);
      leaf.setExtension(nullptr);
      return;
    }
  }
  PageRef trunk = writablePage(number);
  std::memset(trunk.mutableData(), 0, kPageSize);
  fileOrder.put32(trunk.mutableData(), head);
  fileOrder.put32(header + kFreeListHeadOffset, number);
}

void BtreeStorage::registerCursor(CursorCore* cursor) {
  cursors_.push_back(cursor);
}

void BtreeStorage::unregisterCursor(CursorCore* cursor) {
  cursors_.erase(std::remove(cursors_.begin(), cursors_.end(), cursor), cursors_.end());
}

void BtreeStorage::saveCursors(PageNumber root, const CursorCore* except) {
  for (CursorCore* cursor : cursors_) {
    if (cursor != except && (root == 0 || cursor->root() == root)) cursor->save();
  }
}

}  // namespace sqlite2
