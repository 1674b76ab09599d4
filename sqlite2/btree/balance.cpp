// Keeping trees balanced after a page changed: an overfull page is split with its siblings, an
// underfull one merged with them, a full root grows the tree by one level and an empty root
// absorbs its only child. Every non-root page keeps at least one cell; all leaves stay at one
// depth.

#include <algorithm>
#include <unordered_set>

#include "btree/btree_storage.h"
#include "common/error.h"
#include "common/invariant.h"
#include "sqlite.h"

namespace sqlite2 {

using namespace format;

namespace {

constexpr size_t kMaxSiblings = 3;

// How cells [0, n) are cut into pages: page p holds [start[p], end[p]); for p below the last,
// cell end[p] goes up to the parent as the divider after page p.
struct Division {
  std::vector<size_t> start;
  std::vector<size_t> end;
  size_t pages() const { return start.size(); }
};

size_t bytesOf(const std::vector<RawCell>& cells, size_t from, size_t to) {
  size_t total = 0;
  for (size_t i = from; i < to; ++i) total += cells[i].size;
  return total;
}

// Fills pages from the left, then moves cells rightwards while that evens the pages out, so
// that the last page is never empty and the pages are about equally full.
Division divide(const std::vector<RawCell>& cells) {
  Division division;
  size_t i = 0;
  const size_t n = cells.size();
  while (true) {
    size_t used = 0;
    division.start.push_back(i);
    while (i < n && used + cells[i].size <= kUsableSpace) used += cells[i++].size;
    division.end.push_back(i);
    if (i >= n) break;
    ++i;  // the divider
    if (i == n) {
      division.start.push_back(n);
      division.end.push_back(n);
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
      if (!rightEmpty && (newRight > kUsableSpace || newRight > newLeft)) break;
      --division.end[p - 1];
      --division.start[p];
    }
  }
  return division;
}

// Every page of the division gets at least one cell and no more than fit, and one divider
// stands between each page and the next.
bool divisionIsSound(const std::vector<RawCell>& cells, const Division& division) {
  for (size_t p = 0; p < division.pages(); ++p) {
    if (division.start[p] >= division.end[p] || division.end[p] > cells.size()) return false;
    if (bytesOf(cells, division.start[p], division.end[p]) > kUsableSpace) return false;
    if (p + 1 < division.pages() && division.end[p] + 1 != division.start[p + 1]) return false;
  }
  return division.start.front() == 0 && division.end.back() == cells.size();
}

// The parent's slots from firstSlot on lead to the new pages, in order.
bool parentLeadsTo(const NodeContent& parent, size_t firstSlot,
                   const std::vector<PageNumber>& pages, ByteOrder order) {
  for (size_t p = 0; p < pages.size(); ++p) {
    if (parent.childAt(firstSlot + p, order) != pages[p]) return false;
  }
  return true;
}

}  // namespace

void BtreeStorage::balance(Path& path, size_t depth, NodeContent content) {
  if (depth == 0) {
    balanceRoot(path, std::move(content));
    return;
  }
  size_t used = content.usedBytes();
  if (used <= kUsableSpace && used >= kMinNodeFill && !content.cells.empty()) {
    writeNode(path[depth].ref, content);
    ENGINE_INVARIANT(node(path[depth].ref).count == content.cells.size());
    return;
  }
  balanceNonRoot(path, depth, std::move(content));
}

void BtreeStorage::balanceRoot(Path& path, NodeContent content) {
  PageRef root = path[0].ref;
  for (size_t absorbed = 0; content.fits(); ++absorbed) {
    if (!content.cells.empty() || content.rightChild == 0) {
      writeNode(root, content);
      ENGINE_INVARIANT(node(root).count == content.cells.size());
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
  writeNode(root, nullptr, 0, childNumber);
  Path grown(2);
  grown[0].ref = root;
  grown[0].index = 0;
  grown[1].ref = pager_->get(childNumber);
  balanceNonRoot(grown, 1, std::move(content));
}

void BtreeStorage::balanceNonRoot(Path& path, size_t depth, NodeContent content) {
  ByteOrder fileOrder = order();
  PageRef parentPage = path[depth - 1].ref;
  NodeContent parent = this->content(parentPage);
  const size_t slot = static_cast<size_t>(path[depth - 1].index);
  const size_t slots = parent.cells.size() + 1;
  if (slot >= slots || parent.childAt(slot, fileOrder) != path[depth].ref.number()) {
    throwCorrupt();
  }
  const size_t siblings = std::min(kMaxSiblings, slots);
  const size_t firstSlot = std::min(slot > 0 ? slot - 1 : 0, slots - siblings);
  const bool leaf = content.rightChild == 0;

  // Every cell of the siblings and the dividers between them, in key order.
  std::vector<RawCell> cells;
  std::vector<PageNumber> oldPages;
  PageNumber lastRightChild = 0;
  for (size_t s = firstSlot; s < firstSlot + siblings; ++s) {
    PageNumber number = parent.childAt(s, fileOrder);
    if (std::find(oldPages.begin(), oldPages.end(), number) != oldPages.end()) throwCorrupt();
    NodeContent sibling;
    if (s == slot) {
      sibling = std::move(content);
    } else {
      PageRef page = treePage(number);
      sibling = this->content(page);
      if (sibling.cells.empty()) throwCorrupt();
    }
    if ((sibling.rightChild == 0) != leaf || number == parentPage.number()) throwCorrupt();
    oldPages.push_back(number);
    cells.insert(cells.end(), sibling.cells.begin(), sibling.cells.end());
    lastRightChild = sibling.rightChild;
    if (s + 1 < firstSlot + siblings) {
      RawCell divider = parent.cells[s];
      divider.setLeftChild(sibling.rightChild, fileOrder);
      cells.push_back(divider);
    }
  }
  if (cells.empty()) throwCorrupt();

  Division division = divide(cells);
  ENGINE_INVARIANT(divisionIsSound(cells, division));
  const size_t pages = division.pages();
  std::vector<PageNumber> newPages(oldPages.begin(),
                                   oldPages.begin() + std::min(pages, oldPages.size()));
  while (newPages.size() < pages) newPages.push_back(allocatePage());

  std::vector<RawCell> dividers;
  for (size_t p = 0; p < pages; ++p) {
    PageNumber rightChild = lastRightChild;
    if (p + 1 < pages) {
      RawCell divider = cells[division.end[p]];
      rightChild = leaf ? 0 : fileOrder.u32(divider.bytes);
      divider.setLeftChild(newPages[p], fileOrder);
      dividers.push_back(divider);
    }
    PageRef page = pager_->get(newPages[p]);
    writeNode(page, cells.data() + division.start[p], division.end[p] - division.start[p],
              rightChild);
  }
  for (size_t p = pages; p < oldPages.size(); ++p) freePage(oldPages[p]);

  // The parent: the old dividers give way to the new ones, and the pointer that led to the
  // last old sibling now leads to the last new page.
  parent.cells.erase(parent.cells.begin() + firstSlot,
                     parent.cells.begin() + firstSlot + siblings - 1);
  parent.cells.insert(parent.cells.begin() + firstSlot, dividers.begin(), dividers.end());
  size_t after = firstSlot + dividers.size();
  if (after < parent.cells.size()) {
    parent.cells[after].setLeftChild(newPages.back(), fileOrder);
  } else {
    parent.rightChild = newPages.back();
  }
  ENGINE_INVARIANT(dividers.size() + 1 == pages);
  ENGINE_INVARIANT(parentLeadsTo(parent, firstSlot, newPages, fileOrder));
  balance(path, depth - 1, std::move(parent));
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
