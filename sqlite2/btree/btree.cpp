#include "btree/btree.h"

#include <cstring>

#include "btree/btree_storage.h"
#include "btree/cursor_core.h"
#include "btree/integrity_check.h"
#include "common/error.h"
#include "sqlite.h"

namespace sqlite2 {

using namespace format;

struct Btree::State {
  explicit State(std::unique_ptr<Pager> pager) : storage(std::move(pager)) {}
  BtreeStorage storage;
};

namespace {

void requireTransaction(BtreeStorage& storage) {
  if (!storage.pager().inWriteTransaction()) throw Error(SQLITE_MISUSE);
}

}  // namespace

std::unique_ptr<Btree> Btree::open(const std::string& path, const PagerOptions& options) {
  std::unique_ptr<Btree> btree(new Btree());
  btree->state_ = std::make_unique<State>(Pager::open(path, options));
  return btree;
}

Btree::~Btree() = default;

Pager& Btree::pager() {
  return state_->storage.pager();
}

void Btree::beginTransaction() {
  BtreeStorage& storage = state_->storage;
  // A file that is not a database is refused before anything is locked for writing.
  storage.order();
  storage.pager().beginWrite();
  try {
    storage.formatIfNew();
  } catch (...) {
    storage.pager().rollback();
    throw;
  }
}

bool Btree::inTransaction() const {
  return state_->storage.pager().inWriteTransaction();
}

bool Btree::transactionFailed() const {
  return state_->storage.pager().transactionFailed();
}

void Btree::commit() {
  state_->storage.pager().commit();
}

void Btree::rollback() {
  state_->storage.saveCursors(0, nullptr);
  state_->storage.pager().rollback();
}

void Btree::beginStatement() {
  state_->storage.pager().beginStatement();
}

void Btree::commitStatement() {
  state_->storage.pager().commitStatement();
}

void Btree::rollbackStatement() {
  state_->storage.saveCursors(0, nullptr);
  state_->storage.pager().rollbackStatement();
}

PageNumber Btree::createTree() {
  BtreeStorage& storage = state_->storage;
  requireTransaction(storage);
  PageNumber root = storage.allocatePage();
  PageRef page = storage.pager().get(root);
  storage.writeEmptyNode(page, 0);
  return root;
}

void Btree::clearTree(PageNumber root) {
  BtreeStorage& storage = state_->storage;
  requireTransaction(storage);
  storage.saveCursors(root, nullptr);
  storage.freeTreeContent(root);
  PageRef page = storage.treePage(root);
  storage.writeEmptyNode(page, 0);
}

void Btree::dropTree(PageNumber root) {
  clearTree(root);
  // The schema tree's root is part of the file's fixed layout.
  if (root != kSchemaRoot) state_->storage.freePage(root);
}

MetaValues Btree::readMeta() {
  BtreeStorage& storage = state_->storage;
  ByteOrder order = storage.order();
  PageRef first = storage.pager().get(1);
  MetaValues meta{};
  for (size_t i = 0; i < kMetaCount; ++i) {
    meta[i] = static_cast<int32_t>(order.u32(first.data() + kMetaOffset + 4 * i));
  }
  return meta;
}

void Btree::writeMeta(const MetaValues& meta) {
  BtreeStorage& storage = state_->storage;
  requireTransaction(storage);
  ByteOrder order = storage.order();
  PageRef first = storage.pager().get(1);
  storage.pager().makeWritable(first);
  for (size_t i = 1; i < kMetaCount; ++i) {
    order.put32(first.mutableData() + kMetaOffset + 4 * i, static_cast<uint32_t>(meta[i]));
  }
}

std::vector<std::string> Btree::checkIntegrity(const std::vector<PageNumber>& roots) {
  return checkFileIntegrity(state_->storage, roots);
}

struct Cursor::State {
  State(BtreeStorage& storage, PageNumber root, bool writable) : core(storage, root, writable) {}
  CursorCore core;
};

Cursor::Cursor(Btree& btree, PageNumber root, bool forWriting)
    : state_(std::make_unique<State>(btree.state_->storage, root, forWriting)) {}

Cursor::~Cursor() = default;

bool Cursor::first() {
  return state_->core.first();
}
bool Cursor::last() {
  return state_->core.last();
}
bool Cursor::next() {
  return state_->core.next();
}
bool Cursor::previous() {
  return state_->core.previous();
}
bool Cursor::valid() const {
  return state_->core.valid();
}
int Cursor::seek(std::string_view key) {
  return state_->core.seek(key);
}
size_t Cursor::keySize() {
  return state_->core.keySize();
}
std::string Cursor::key() {
  return state_->core.key();
}
size_t Cursor::dataSize() {
  return state_->core.dataSize();
}
std::string Cursor::data() {
  return state_->core.data(0, state_->core.dataSize());
}
std::string Cursor::data(size_t offset, size_t length) {
  return state_->core.data(offset, length);
}
void Cursor::readData(std::string& out) {
  state_->core.readData(out);
}
bool Cursor::localData(std::string_view& out, PageRef& page, std::string_view* key) {
  return state_->core.localData(out, page, key);
}
int Cursor::compareKey(std::string_view key, size_t ignoreTail) {
  return state_->core.compareKey(key, ignoreTail);
}
void Cursor::insert(std::string_view key, std::string_view data) {
  state_->core.insert(key, data);
}
void Cursor::remove() {
  state_->core.remove();
}

}  // namespace sqlite2
