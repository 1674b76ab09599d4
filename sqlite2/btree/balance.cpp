// Keeping trees balanced after a page changed: an overfull page is split with its siblings, an
// underfull one merged with them, a full root grows the tree by one level and an empty root
// absorbs its only child. Every non-root page keeps at least one cell; all leaves stay at one
// depth.

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_set>

#include "btree/btree_storage.h"
#include "common/error.h"
#include "common/invariant.h"
#include "sqlite.h"

namespace sqlite2 {

using namespace format;

namespace {

constexpr size_t kMaxSiblings = 3;
// The siblings' cells, the dividers between them and one new cell fill at most five pages
// (each but the last holds more than a page less one cell); a few to spare.
constexpr size_t kMostPages = 8;

// How cells [0, n) are cut into pages: page p holds [start[p], end[p]); for p below the last,
// cell end[p] goes up to the parent as the divider after page p.
struct Division {
  std::array<size_t, kMostPages> start;
  std::array<size_t, kMostPages> end;
  size_t count = 0;
  size_t pages() const { return count; }
  void add(size_t from, size_t to) {
    if (count == kMostPages) throwCorrupt();
    start[count] = from;
    end[count++] = to;
  }
};

size_t bytesOf(const std::vector<CellView>& cells, size_t from, size_t to) {
  size_t total = 0;
  for (size_t i = from; i < to; ++i) total += cells[i].size;
  return total;
}

// Fills pages from the left, then moves cells rightwards so that the last page is never
// empty. Evened out, cells go on moving while that makes the pages about equally full: room
// for later inserts anywhere. Packed, they stop as soon as the last page has a cell: on the
// right edge of a tree being appended to, where the room would never be used.
Division divide(const std::vector<CellView>& cells, bool evenOut) {
  Division division;
  size_t i = 0;
  const size_t n = cells.size();
  while (true) {
    size_t used = 0;
    const size_t from = i;
    while (i < n && used + cells[i].size <= kUsableSpace) used += cells[i++].size;
    division.add(from, i);
    if (i >= n) break;
    ++i;  // the divider
    if (i == n) {
      division.add(n, n);
      break;
    }
  }
  for (size_t p = division.pages() - 1; p > 0; --p) {
    while (division.end[p - 1] - division.start[p - 1] > 1) {
      size_t divider = division.end[p - 1];
      size_t rightBytes = bytesOf(cells, division.start[p], division.end[p]);
      size_t leftBytes = bytesOf(cells, division.start[p - 1], divider);
      size_t newRight = rightBytes + cells[divider].size;
      size_t newLeft = leftBytes - cells[divider - 1].size;
      bool rightEmpty = division.start[p] == division.end[p];
      if (!rightEmpty && (!evenOut || newRight > kUsableSpace || newRight > newLeft)) break;
      --division.end[p - 1];
      --division.start[p];
    }
  }
  return division;
}

// Every page of the division gets at least one cell and no more than fit, and one divider
// stands between each page and the next.
bool divisionIsSound(const std::vector<CellView>& cells, const Division& division) {
  for (size_t p = 0; p < division.pages(); ++p) {
    if (division.start[p] >= division.end[p] || division.end[p] > cells.size()) return false;
    if (bytesOf(cells, division.start[p], division.end[p]) > kUsableSpace) return false;
    if (p + 1 < division.pages() && division.end[p] + 1 != division.start[p + 1]) return false;
  }
  return division.pages() > 0 && division.start[0] == 0 &&
         division.end[division.pages() - 1] == cells.size();
}

// The parent's slots from firstSlot on lead to the new pages, in order.
bool parentLeadsTo(const NodeCells& parent, size_t firstSlot, const PageNumber* pages, size_t count,
                   ByteOrder order) {
  for (size_t p = 0; p < count; ++p) {
    size_t slot = firstSlot + p;
    PageNumber child =
        slot < parent.cells.size() ? parent.cells[slot].leftChild(order) : parent.rightChild;
    if (child != pages[p]) return false;
  }
  return true;
}

// Whether the page holds the cells, the right child and nothing else.
bool pageHolds(const PageRef& page, const NodePage& node, const NodeCells& cells) {
  return pageHoldsCells(page.data(), node, cells.cells.data(), cells.cells.size(),
                        cells.rightChild);
}

// A page's bytes copied aside, so that its cells can be moved while the page is rewritten.
using PageImage = std::array<uint8_t, kPageSize>;

}  // namespace

void BtreeStorage::balance(Path& path, size_t depth, const NodeCells& content, bool appending) {
  if (depth == 0) {
    balanceRoot(path, content, appending);
    return;
  }
  size_t used = content.usedBytes();
  // A page on the right edge of a tree being appended to is filling up: however little it
  // holds, the next entries go there.
  bool fullEnough = used >= kMinNodeFill || appending;
  if (used <= kUsableSpace && fullEnough && !content.cells.empty()) {
    writeNode(path[depth].ref, content.cells.data(), content.cells.size(), content.rightChild);
    ENGINE_INVARIANT(pageHolds(path[depth].ref, node(path[depth].ref), content));
    return;
  }
  balanceNonRoot(path, depth, content, appending);
}

void BtreeStorage::balanceRoot(Path& path, const NodeCells& views, bool appending) {
  PageRef root = path[0].ref;
  if (views.fits() && (!views.cells.empty() || views.rightChild == 0)) {
    writeNode(root, views.cells.data(), views.cells.size(), views.rightChild);
    ENGINE_INVARIANT(pageHolds(root, node(root), views));
    return;
  }
  NodeContent content = copyOf(views);
  for (size_t absorbed = 0; content.fits(); ++absorbed) {
    if (!content.cells.empty() || content.rightChild == 0) {
      writeNode(root, content);
      ENGINE_INVARIANT(pageHolds(root, node(root), viewsOf(content)));
      return;
    }
    // A root left with no cells takes over its only child's content.
    if (absorbed == kMaxTreeDepth) throwCorrupt();
    PageNumber childNumber = content.rightChild;
    PageRef child = treePage(childNumber);
    if (childNumber == root.number()) throwCorrupt();
    content = this->content(child);
    freePage(childNumber);
  }
  // Too full: the content moves into a new child, which then splits under the root.
  PageNumber childNumber = allocatePage();
  writeEmptyNode(root, childNumber);
  Path grown(2);
  grown[0].ref = root;
  grown[0].index = 0;
  grown[1].ref = pager_->get(childNumber);
  balanceNonRoot(grown, 1, viewsOf(content), appending);
}

void BtreeStorage::balanceNonRoot(Path& path, size_t depth, const NodeCells& content,
                                  bool appending) {
  ByteOrder fileOrder = order();
  PageRef parentPage = path[depth - 1].ref;
  PageImage parentImage;
  std::memcpy(parentImage.data(), parentPage.data(), kPageSize);
  const NodePage& parentNode = node(parentPage);
  ENGINE_INVARIANT(nodeMatchesPage(parentPage.data(), parentNode));
  const size_t parentCount = parentNode.count;
  const PageNumber parentRightChild = parentNode.rightChild;
  std::array<uint16_t, kMaxCellsPerPage> parentOffsets, parentSizes;
  std::copy(parentNode.offsets, parentNode.offsets + parentCount, parentOffsets.begin());
  std::copy(parentNode.sizes, parentNode.sizes + parentCount, parentSizes.begin());
  auto parentCell = [&](size_t i) {
    return CellView{parentImage.data() + parentOffsets[i], parentSizes[i]};
  };
  auto childAt = [&](size_t slot) {
    return slot < parentCount ? parentCell(slot).leftChild(fileOrder) : parentRightChild;
  };
  const size_t slot = static_cast<size_t>(path[depth - 1].index);
  const size_t slots = parentCount + 1;
  if (slot >= slots || childAt(slot) != path[depth].ref.number()) throwCorrupt();
  const size_t siblings = std::min(kMaxSiblings, slots);
  const size_t firstSlot = std::min(slot > 0 ? slot - 1 : 0, slots - siblings);
  const bool leaf = content.rightChild == 0;

  // Every cell of the siblings and the dividers between them, in key order; each sibling's
  // cells were [oldStart, oldEnd) of them.
  std::array<PageImage, kMaxSiblings> images;
  std::array<RawCell, kMaxSiblings> oldDividers;
  std::vector<CellView> cells;
  cells.reserve(content.cells.size() + siblings * (kMaxCellsPerPage + 1));
  std::array<PageNumber, kMaxSiblings> oldPages;
  std::array<size_t, kMaxSiblings> oldStart, oldEnd;
  PageNumber lastRightChild = 0;
  for (size_t k = 0; k < siblings; ++k) {
    const size_t s = firstSlot + k;
    PageNumber number = childAt(s);
    if (std::find(oldPages.begin(), oldPages.begin() + k, number) != oldPages.begin() + k) {
      throwCorrupt();
    }
    oldPages[k] = number;
    oldStart[k] = cells.size();
    PageNumber rightChild;
    if (s == slot) {
      cells.insert(cells.end(), content.cells.begin(), content.cells.end());
      rightChild = content.rightChild;
    } else {
      PageRef page = treePage(number);
      const NodePage& sibling = node(page);
      if (sibling.count == 0) throwCorrupt();
      ENGINE_INVARIANT(nodeMatchesPage(page.data(), sibling));
      std::memcpy(images[k].data(), page.data(), kPageSize);
      for (size_t i = 0; i < sibling.count; ++i) {
        cells.push_back({images[k].data() + sibling.offsets[i], sibling.sizes[i]});
      }
      rightChild = sibling.rightChild;
    }
    if ((rightChild == 0) != leaf || number == parentPage.number()) throwCorrupt();
    oldEnd[k] = cells.size();
    lastRightChild = rightChild;
    if (k + 1 < siblings) {
      RawCell& divider = oldDividers[k];
      const CellView old = parentCell(s);
      divider.size = old.size;
      std::memcpy(divider.bytes, old.bytes, old.size);
      divider.setLeftChild(rightChild, fileOrder);
      cells.push_back({divider.bytes, divider.size});
    }
  }
  if (cells.empty()) throwCorrupt();

  Division division = divide(cells, !appending);
  ENGINE_INVARIANT(divisionIsSound(cells, division));
  const size_t pages = division.pages();
  std::array<PageNumber, kMostPages> newPages;
  for (size_t p = 0; p < pages; ++p) newPages[p] = p < siblings ? oldPages[p] : allocatePage();

  std::array<RawCell, kMostPages> dividers;
  for (size_t p = 0; p < pages; ++p) {
    PageNumber rightChild = lastRightChild;
    if (p + 1 < pages) {
      const CellView moving = cells[division.end[p]];
      rightChild = leaf ? 0 : moving.leftChild(fileOrder);
      RawCell& divider = dividers[p];
      divider.size = moving.size;
      std::memcpy(divider.bytes, moving.bytes, moving.size);
      divider.setLeftChild(newPages[p], fileOrder);
    }
    // A sibling that keeps its cells (and so its right child) keeps its page as it is.
    bool unchanged = p < siblings && firstSlot + p != slot && division.start[p] == oldStart[p] &&
                     division.end[p] == oldEnd[p];
    if (unchanged) continue;
    PageRef page = pager_->get(newPages[p]);
    const size_t count = division.end[p] - division.start[p];
    writeNode(page, cells.data() + division.start[p], count, rightChild);
    // Each new page holds its share of the cells.
    ENGINE_INVARIANT(pageHoldsCells(page.data(), node(page), cells.data() + division.start[p],
                                    count, rightChild));
  }
  for (size_t p = pages; p < siblings; ++p) freePage(oldPages[p]);

  // The parent: the old dividers give way to the new ones, and the pointer that led to the
  // last old sibling now leads to the last new page.
  const size_t rest = firstSlot + siblings - 1;  // the parent's first cell after the siblings
  NodeCells parent;
  parent.rightChild = parentRightChild;
  if (rest < parentCount) {
    fileOrder.put32(parentImage.data() + parentOffsets[rest], newPages[pages - 1]);
  } else {
    parent.rightChild = newPages[pages - 1];
  }
  parent.cells.reserve(parentCount + pages);
  for (size_t i = 0; i < firstSlot; ++i) parent.cells.push_back(parentCell(i));
  for (size_t p = 0; p + 1 < pages; ++p)
    parent.cells.push_back({dividers[p].bytes, dividers[p].size});
  for (size_t i = rest; i < parentCount; ++i) parent.cells.push_back(parentCell(i));
  ENGINE_INVARIANT(parentLeadsTo(parent, firstSlot, newPages.data(), pages, fileOrder));
  balance(path, depth - 1, parent, appending);
}

void BtreeStorage::freeTreeContent(PageNumber root) {
  PageRef page = treePage(root);
  NodeContent content = this->content(page);
  ByteOrder fileOrder = order();
  // Every page to free is gathered first, so that a damaged tree (a page reached twice, a
  // chain leading into the tree) is refused before the free list is touched.
  std::unordered_set<PageNumber> seen{root};
  std::vector<PageNumber> doomed;
  std::vector<std::pair<PageNumber, size_t>> pending;
  auto collect = [&](const NodeContent& node, size_t depth) {
    for (size_t s = 0; s <= node.cells.size(); ++s) {
      PageNumber child = node.childAt(s, fileOrder);
      if (child == 0) continue;
      if (!seen.insert(child).second || depth >= kMaxTreeDepth) throwCorrupt();
      pending.emplace_back(child, depth + 1);
    }
    for (const RawCell& cell : node.cells) {
      for (PageNumber number : overflowChain(cell.bytes, cell.info(fileOrder))) {
        if (!seen.insert(number).second) throwCorrupt();
        doomed.push_back(number);
      }
    }
  };
  collect(content, 0);
  while (!pending.empty()) {
    auto [number, depth] = pending.back();
    pending.pop_back();
    PageRef child = treePage(number);
    collect(this->content(child), depth);
    doomed.push_back(number);
  }
  for (PageNumber number : doomed) freePage(number);
}

}  // namespace sqlite2
