#include "btree/cursor_core.h"

#include <cstring>
#include <optional>

#include "common/error.h"
#include "common/invariant.h"
#include "sqlite.h"

namespace sqlite2 {

using namespace format;

namespace {

// Deeper trees need files of millions of entries; the path grows past this when it must.
constexpr size_t kTypicalTreeDepth = 8;

PageNumber childAt(const NodePage& node, const uint8_t* page, size_t slot, ByteOrder order) {
  return slot < node.count ? order.u32(page + node.offsets[slot]) : node.rightChild;
}

std::optional<uint32_t> wantedWordKey(std::string_view key) {
  if (key.size() != kWordKeySize) return std::nullopt;
  return wordKeyOf(reinterpret_cast<const uint8_t*>(key.data()));
}

// The first of the sorted keys not below the wanted one. Each step halves the range with a
// conditional move rather than a branch, which a seek's random keys would mispredict.
size_t lowerBound(const uint32_t* keys, size_t count, uint32_t wanted) {
  if (count == 0) return 0;
#if defined(__GNUC__) || defined(__clang__)
  // Each step's read waits for the one before; asking for the whole array first overlaps the
  // cache misses instead.
  constexpr size_t kKeysPerLine = 64 / sizeof(uint32_t);
  for (size_t at = 0; at < count; at += kKeysPerLine) __builtin_prefetch(keys + at);
#endif
  const uint32_t* base = keys;
  while (count > 1) {
    const size_t half = count / 2;
    base = base[half] < wanted ? base + half : base;
    count -= half;
  }
  return static_cast<size_t>(base - keys) + (*base < wanted ? 1 : 0);
}

}  // namespace

CursorCore::CursorCore(BtreeStorage& storage, PageNumber root, bool writable)
    : storage_(storage), root_(root), writable_(writable) {
  path_.reserve(kTypicalTreeDepth);
  rootRef_ = storage_.treePage(root);
  storage_.node(rootRef_);
  storage_.registerCursor(this);
}

CursorCore::~CursorCore() {
  storage_.unregisterCursor(this);
}

const NodePage& CursorCore::nodeAt(size_t level) {
  return storage_.node(path_[level].ref);
}

// A path that starts at the root keeps that level: a lookup after a lookup then takes no
// new reference to the root page.
void CursorCore::moveToRoot() {
  if (!path_.empty() && path_[0].ref.number() == root_) {
    path_.resize(1);
    path_[0].index = 0;
    return;
  }
  path_.clear();
  path_.push_back({rootRef_, 0});
}

void CursorCore::descend(PageNumber child) {
  if (path_.size() >= kMaxTreeDepth) throwCorrupt();
  PageRef page = storage_.treePage(child);
  // Only a root may be empty.
  if (storage_.node(page).count == 0) throwCorrupt();
  path_.push_back({std::move(page), 0});
}

void CursorCore::countWalkDescent() {
  size_t mostEntries = size_t{storage_.pager().pageCount()} * kMaxCellsPerPage + 64;
  if (++walkDescents_ > mostEntries) throwCorrupt();
}

bool CursorCore::moveToLeftmost() {
  while (true) {
    const NodePage& node = nodeAt(path_.size() - 1);
    path_.back().index = 0;
    if (node.isLeaf()) return node.count > 0;
    descend(childAt(node, path_.back().ref.data(), 0, node.order));
  }
}

bool CursorCore::moveToRightmost() {
  while (true) {
    const NodePage& node = nodeAt(path_.size() - 1);
    if (node.isLeaf()) {
      path_.back().index = static_cast<int>(node.count) - 1;
      return node.count > 0;
    }
    path_.back().index = node.count;
    descend(node.rightChild);
  }
}

bool CursorCore::stepForward() {
  const NodePage& node = nodeAt(path_.size() - 1);
  int& index = path_.back().index;
  ++index;
  if (!node.isLeaf()) {
    countWalkDescent();
    descend(childAt(node, path_.back().ref.data(), index, node.order));
    return moveToLeftmost();
  }
  if (index < node.count) return true;
  while (path_.size() > 1) {
    path_.pop_back();
    // Back from child slot `index`: the cell with the same index follows that subtree.
    if (path_.back().index < nodeAt(path_.size() - 1).count) return true;
  }
  return false;
}

bool CursorCore::stepBackward() {
  const NodePage& node = nodeAt(path_.size() - 1);
  int& index = path_.back().index;
  if (!node.isLeaf()) {
    countWalkDescent();
    descend(childAt(node, path_.back().ref.data(), index, node.order));
    return moveToRightmost();
  }
  --index;
  if (index >= 0) return true;
  while (path_.size() > 1) {
    path_.pop_back();
    if (path_.back().index > 0) {
      --path_.back().index;
      return true;
    }
  }
  return false;
}

int CursorCore::seekPath(std::string_view key) {
  moveToRoot();
  const std::optional<uint32_t> wantedWord = wantedWordKey(key);
  while (true) {
    const NodePage& node = nodeAt(path_.size() - 1);
    ByteOrder order = node.order;
    const uint8_t* page = path_.back().ref.data();
    const uint32_t* wordKeys = wantedWord ? node.wordKeys(page) : nullptr;
    // The first cell whose key is not below the wanted one.
    size_t low;
    bool found;
    if (wordKeys) {
      low = lowerBound(wordKeys, node.count, *wantedWord);
      found = low < node.count && wordKeys[low] == *wantedWord;
    } else {
      found = searchCells(node, page, key, low);
    }
    if (found) {
      path_.back().index = static_cast<int>(low);
      return 0;
    }
    if (node.isLeaf()) {
      if (low < node.count) {
        path_.back().index = static_cast<int>(low);
        return 1;
      }
      path_.back().index = static_cast<int>(node.count) - 1;
      return -1;
    }
    path_.back().index = static_cast<int>(low);
    descend(childAt(node, page, low, order));
  }
}

// Binary search of the page's cells for the key: true when a cell's key is equal (at low);
// otherwise low is the first cell whose key is above it.
bool CursorCore::searchCells(const NodePage& node, const uint8_t* page, std::string_view key,
                             size_t& low) {
  low = 0;
  size_t high = node.count;
  while (low < high) {
    size_t middle = (low + high) / 2;
    const uint8_t* cell = page + node.offsets[middle];
    int cmp = storage_.compareKey(cell, decodeCell(cell, node.order), key, 0);
    if (cmp == 0) {
      low = middle;
      return true;
    }
    if (cmp < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return false;
}

// On an entry, the path leads from the root down to it: each level's slot leads to the next
// level's page, and the last level's index is one of its page's cells.
bool CursorCore::pathIsSound() {
  if (mode_ != Mode::OnEntry) return true;
  if (path_.empty() || path_.size() > kMaxTreeDepth || path_[0].ref.number() != root_) {
    return false;
  }
  for (size_t level = 0; level + 1 < path_.size(); ++level) {
    const NodePage& node = nodeAt(level);
    int slot = path_[level].index;
    if (node.isLeaf() || slot < 0 || slot > node.count) return false;
    PageNumber child =
        childAt(node, path_[level].ref.data(), static_cast<size_t>(slot), node.order);
    if (child != path_[level + 1].ref.number()) return false;
  }
  int index = path_.back().index;
  return index >= 0 && index < nodeAt(path_.size() - 1).count;
}

void CursorCore::save() {
  landing_ = Landing::None;
  if (mode_ == Mode::OnEntry) {
    try {
      savedKey_ = key();
      mode_ = Mode::Saved;
    } catch (const Error&) {
      mode_ = Mode::Unset;
    }
  }
  path_.clear();
}

void CursorCore::restore() {
  if (mode_ != Mode::Saved) return;
  int result = seekPath(savedKey_);
  if (nodeAt(path_.size() - 1).count == 0) {
    mode_ = Mode::Unset;
    path_.clear();
    return;
  }
  mode_ = Mode::OnEntry;
  if (result != 0) pendingMove_ = result > 0 ? 1 : -1;
  ENGINE_INVARIANT(pathIsSound());
}

bool CursorCore::valid() {
  restore();
  return mode_ == Mode::OnEntry;
}

bool CursorCore::first() {
  landing_ = Landing::None;
  pendingMove_ = 0;
  walkDescents_ = 0;
  moveToRoot();
  mode_ = moveToLeftmost() ? Mode::OnEntry : Mode::Unset;
  ENGINE_INVARIANT(pathIsSound());
  return mode_ == Mode::OnEntry;
}

bool CursorCore::last() {
  pendingMove_ = 0;
  walkDescents_ = 0;
  if (!onLastEntry()) {
    moveToRoot();
    mode_ = moveToRightmost() ? Mode::OnEntry : Mode::Unset;
  }
  landing_ = Landing::AfterLast;
  ENGINE_INVARIANT(pathIsSound());
  return mode_ == Mode::OnEntry;
}

bool CursorCore::next() {
  landing_ = Landing::None;
  restore();
  if (mode_ != Mode::OnEntry) return false;
  int pending = pendingMove_;
  pendingMove_ = 0;
  if (pending > 0) return true;
  if (!stepForward()) {
    mode_ = Mode::Unset;
    path_.clear();
  }
  ENGINE_INVARIANT(pathIsSound());
  return mode_ == Mode::OnEntry;
}

bool CursorCore::previous() {
  landing_ = Landing::None;
  restore();
  if (mode_ != Mode::OnEntry) return false;
  int pending = pendingMove_;
  pendingMove_ = 0;
  if (pending < 0) return true;
  if (!stepBackward()) {
    mode_ = Mode::Unset;
    path_.clear();
  }
  ENGINE_INVARIANT(pathIsSound());
  return mode_ == Mode::OnEntry;
}

int CursorCore::seek(std::string_view key) {
  pendingMove_ = 0;
  walkDescents_ = 0;
  // Keys sought one after another in ascending order (rows appended) need no descent.
  int result = onLastEntry() && compareKey(key, 0) < 0 ? -1 : seekPath(key);
  // Only an insert reads the landing, and a cursor that cannot insert need not keep its key.
  if (writable_) {
    landing_ = Landing::SoughtKey;
    landingKey_.assign(key);
    landingResult_ = result;
  }
  bool empty = nodeAt(path_.size() - 1).count == 0;
  mode_ = empty ? Mode::Unset : Mode::OnEntry;
  ENGINE_INVARIANT(pathIsSound());
  return empty ? -1 : result;
}

void CursorCore::requireEntry() {
  restore();
  if (mode_ != Mode::OnEntry) throw Error(SQLITE_MISUSE);
}

void CursorCore::requireWritable() {
  if (!writable_ || !storage_.pager().inWriteTransaction()) throw Error(SQLITE_MISUSE);
}

const uint8_t* CursorCore::currentCell(CellInfo& info) {
  const NodePage& node = nodeAt(path_.size() - 1);
  int index = path_.back().index;
  if (index < 0 || index >= node.count) throwCorrupt();
  const uint8_t* cell = path_.back().ref.data() + node.offsets[index];
  info = decodeCell(cell, node.order);
  return cell;
}

size_t CursorCore::keySize() {
  requireEntry();
  CellInfo info;
  currentCell(info);
  return info.keySize;
}

size_t CursorCore::dataSize() {
  requireEntry();
  CellInfo info;
  currentCell(info);
  return info.dataSize;
}

std::string CursorCore::key() {
  requireEntry();
  CellInfo info;
  const uint8_t* cell = currentCell(info);
  if (info.keySize <= info.localSize()) {
    return std::string(reinterpret_cast<const char*>(cell) + kCellHeaderSize, info.keySize);
  }
  std::string out(info.keySize, '\0');
  storage_.readPayload(cell, info, 0, out.size(), out.data());
  return out;
}

std::string CursorCore::data(size_t offset, size_t length) {
  requireEntry();
  CellInfo info;
  const uint8_t* cell = currentCell(info);
  if (offset > info.dataSize || length > info.dataSize - offset) throwCorrupt();
  std::string out(length, '\0');
  storage_.readPayload(cell, info, info.keySize + offset, length, out.data());
  return out;
}

void CursorCore::readData(std::string& out) {
  requireEntry();
  CellInfo info;
  const uint8_t* cell = currentCell(info);
  out.resize(info.dataSize);
  storage_.readPayload(cell, info, info.keySize, out.size(), out.data());
}

// The page load checked that every cell, payload included when it has no overflow, lies
// inside its page.
bool CursorCore::localData(std::string_view& out, PageRef& page, std::string_view* key) {
  requireEntry();
  CellInfo info;
  const uint8_t* cell = currentCell(info);
  if (info.overflows()) return false;
  const char* payload = reinterpret_cast<const char*>(cell) + kCellHeaderSize;
  out = std::string_view(payload + info.keySize, info.dataSize);
  if (key) *key = std::string_view(payload, info.keySize);
  if (!page || page.number() != path_.back().ref.number()) page = path_.back().ref;
  return true;
}

int CursorCore::compareKey(std::string_view key, size_t ignoreTail) {
  requireEntry();
  CellInfo info;
  const uint8_t* cell = currentCell(info);
  return storage_.compareKey(cell, info, key, ignoreTail);
}

void CursorCore::insert(std::string_view key, std::string_view data) {
  requireWritable();
  storage_.saveCursors(root_, this);
  pendingMove_ = 0;
  mode_ = Mode::Unset;
  int result = insertionPoint(key);
  const size_t depth = path_.size() - 1;
  PathLevel& level = path_.back();
  const bool replacing = result == 0;
  size_t at = static_cast<size_t>(level.index);
  RawCell cell;
  if (replacing) {
    CellInfo old;
    const uint8_t* oldCell = currentCell(old);
    storage_.freeOverflow(oldCell, old);
    cell = storage_.buildCell(key, data);
    cell.setLeftChild(old.leftChild, nodeAt(depth).order);
  } else {
    at = nodeAt(depth).count == 0 ? 0 : at + (result < 0 ? 1 : 0);
    cell = storage_.buildCell(key, data);
  }
  const bool appending = !replacing && at == nodeAt(depth).count && onRightEdge();
  // Allocating and freeing pages may have dropped the page's parsed form; take it afresh.
  const NodePage& node = nodeAt(depth);
  size_t used = node.usedBytes + cell.size - (replacing ? node.sizes[at] : 0);
  if (used <= kUsableSpace) {
    storage_.editNode(level.ref, replacing ? static_cast<int>(at) : -1, static_cast<int>(at),
                      &cell);
    level.index = static_cast<int>(at);
  } else {
    // The page's cells with the new one, taken from a copy of the page, which the
    // rebalancing rewrites.
    uint8_t image[kPageSize];
    std::memcpy(image, level.ref.data(), kPageSize);
    NodeCells content;
    content.rightChild = node.rightChild;
    content.cells.reserve(node.count + 1u);
    for (size_t i = 0; i < node.count; ++i) {
      if (i == at) content.cells.push_back({cell.bytes, cell.size});
      if (i == at && replacing) continue;
      content.cells.push_back({image + node.offsets[i], node.sizes[i]});
    }
    if (at == node.count) content.cells.push_back({cell.bytes, cell.size});
    storage_.balance(path_, depth, content, appending);
    // The entry is found again when the cursor is next used, which after most inserts it is
    // not.
    path_.clear();
    savedKey_.assign(key);
    mode_ = Mode::Saved;
    return;
  }
  mode_ = Mode::OnEntry;
  ENGINE_INVARIANT(pathIsSound());
}

// The path to where the key belongs, as seekPath gives it, without going down the tree again
// when the cursor stands there already.
int CursorCore::insertionPoint(std::string_view key) {
  const Landing landing = landing_;
  landing_ = Landing::None;
  if (path_.empty()) return seekPath(key);
  if (landing == Landing::SoughtKey && landingKey_ == key) return landingResult_;
  if (landing == Landing::AfterLast) {
    if (nodeAt(path_.size() - 1).count == 0) return -1;
    CellInfo info;
    const uint8_t* cell = currentCell(info);
    if (storage_.compareKey(cell, info, key, 0) < 0) return -1;
  }
  return seekPath(key);
}

// Whether the cursor stands on the tree's last entry, its path as seekPath would leave it for
// any key after that entry.
bool CursorCore::onLastEntry() {
  if (mode_ != Mode::OnEntry || path_.empty() || !onRightEdge()) return false;
  const NodePage& node = nodeAt(path_.size() - 1);
  return node.isLeaf() && path_.back().index + 1 == static_cast<int>(node.count);
}

// Whether the path above its last page went down each page's right child: the last page is
// then the rightmost leaf of the tree.
bool CursorCore::onRightEdge() {
  for (size_t level = 0; level + 1 < path_.size(); ++level) {
    if (path_[level].index != nodeAt(level).count) return false;
  }
  return true;
}

void CursorCore::remove() {
  landing_ = Landing::None;
  requireWritable();
  requireEntry();
  ENGINE_INVARIANT(pathIsSound());
  storage_.saveCursors(root_, this);
  std::string removedKey = key();
  CellInfo info;
  const uint8_t* cell = currentCell(info);
  storage_.freeOverflow(cell, info);
  const size_t depth = path_.size() - 1;
  const NodePage& node = nodeAt(depth);
  const int index = path_.back().index;
  size_t remaining = size_t{node.usedBytes} - node.sizes[index];
  if (node.isLeaf() && (depth == 0 || remaining >= kMinNodeFill)) {
    storage_.editNode(path_.back().ref, index, -1, nullptr);
  } else if (node.isLeaf()) {
    NodeContent content = storage_.content(path_.back().ref);
    content.cells.erase(content.cells.begin() + index);
    storage_.balance(path_, depth, std::move(content));
  } else {
    removeFromInterior(info);
  }
  path_.clear();
  savedKey_ = std::move(removedKey);
  mode_ = Mode::Saved;
  pendingMove_ = 0;
}

// An entry on an interior page is replaced by the next entry, which is always the first one
// of a leaf; that leaf then loses it.
void CursorCore::removeFromInterior(const CellInfo& removed) {
  ByteOrder order = storage_.order();
  const size_t depth = path_.size() - 1;
  const int index = path_.back().index;
  Path upper = path_;
  path_.back().index = index + 1;
  descend(childAt(nodeAt(depth), path_.back().ref.data(), index + 1, order));
  moveToLeftmost();
  const NodePage& leaf = nodeAt(path_.size() - 1);
  RawCell successor = copyCell(path_.back().ref.data(), leaf.offsets[0], order);
  std::string successorKey = key();
  successor.setLeftChild(removed.leftChild, order);

  NodeContent content = storage_.content(upper.back().ref);
  content.cells[static_cast<size_t>(index)] = successor;
  storage_.balance(upper, depth, std::move(content));

  // The moved entry now sits on an interior page; the leaf still holding its old copy is the
  // leftmost one of the subtree that follows it.
  if (seekPath(successorKey) != 0 || nodeAt(path_.size() - 1).isLeaf()) throwCorrupt();
  const NodePage& holder = nodeAt(path_.size() - 1);
  int slot = ++path_.back().index;
  descend(childAt(holder, path_.back().ref.data(), static_cast<size_t>(slot), order));
  moveToLeftmost();
  CellInfo copyInfo;
  const uint8_t* copy = currentCell(copyInfo);
  if (storage_.compareKey(copy, copyInfo, successorKey, 0) != 0) throwCorrupt();
  NodeContent leafContent = storage_.content(path_.back().ref);
  leafContent.cells.erase(leafContent.cells.begin());
  storage_.balance(path_, path_.size() - 1, std::move(leafContent));
}

}  // namespace sqlite2
