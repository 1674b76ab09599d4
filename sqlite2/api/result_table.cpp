#include "api/result_table.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace sqlite2::api {

struct ResultTextBlock {
  ResultTextBlock* previous;
  size_t capacity;
  size_t used;
  char* bytes() { return reinterpret_cast<char*>(this + 1); }
};

namespace {

// Large enough that a block holds hundreds of ordinary rows, small enough that the last,
// partly used block wastes little.
constexpr size_t kTextBlockSize = 64 * 1024;
constexpr size_t kFirstCellCapacity = 64;

void freeBlocks(void* newest) {
  auto* block = static_cast<ResultTextBlock*>(newest);
  while (block) {
    ResultTextBlock* previous = block->previous;
    std::free(block);
    block = previous;
  }
}

}  // namespace

ResultTable::~ResultTable() {
  freeBlocks(blocks_);
  std::free(slots_);
}

void ResultTable::growCells() {
  size_t capacity = cellCapacity_ ? cellCapacity_ * 2 : kFirstCellCapacity;
  void* grown = std::realloc(slots_, (capacity + 1) * sizeof(char*));
  if (!grown) throw std::bad_alloc();
  slots_ = static_cast<char**>(grown);
  cellCapacity_ = capacity;
}

char* ResultTable::storeText(const char* text, size_t size) {
  if (!blocks_ || blocks_->capacity - blocks_->used < size) {
    size_t capacity = size > kTextBlockSize ? size : kTextBlockSize;
    void* memory = std::malloc(sizeof(ResultTextBlock) + capacity);
    if (!memory) throw std::bad_alloc();
    blocks_ = new (memory) ResultTextBlock{blocks_, capacity, 0};
  }
  char* stored = blocks_->bytes() + blocks_->used;
  std::memcpy(stored, text, size);
  blocks_->used += size;
  return stored;
}

void ResultTable::addCell(const char* text) {
  if (cellCount_ == cellCapacity_) growCells();
  slots_[1 + cellCount_++] = text ? storeText(text, std::strlen(text) + 1) : nullptr;
}

bool ResultTable::addRow(int columnCount, const char* const* values, const char* const* names) {
  if (!values) {
    // An empty result (PRAGMA empty_result_callbacks): its column names, no row.
    if (columnCount_ < 0 && columnCount > 0) {
      columnCount_ = columnCount;
      for (int i = 0; i < columnCount; ++i) addCell(names[i]);
    }
    return true;
  }
  if (columnCount_ < 0) {
    columnCount_ = columnCount;
    for (int i = 0; i < columnCount; ++i) addCell(names[i]);
  } else if (columnCount != columnCount_) {
    return false;
  }
  for (int i = 0; i < columnCount; ++i) addCell(values[i]);
  ++rowCount_;
  return true;
}

char** ResultTable::release() {
  if (cellCount_ == 0) {
    try {
      addCell(nullptr);  // an empty result is still an array, of one null pointer
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }
  slots_[0] = reinterpret_cast<char*>(blocks_);
  char** cells = slots_ + 1;
  slots_ = nullptr;
  blocks_ = nullptr;
  cellCount_ = cellCapacity_ = 0;
  return cells;
}

void freeResultArray(char** cells) {
  if (!cells) return;
  char** slots = cells - 1;
  freeBlocks(slots[0]);
  std::free(slots);
}

}  // namespace sqlite2::api
