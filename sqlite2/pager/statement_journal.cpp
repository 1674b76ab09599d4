#include "pager/statement_journal.h"

#include <cstring>

#include "common/error.h"
#include "sqlite.h"

namespace sqlite2 {

void StatementJournal::begin(PageNumber pageCount) {
  saved_.clear();
  startPageCount_ = pageCount;
  active_ = true;
}

void StatementJournal::end() {
  saved_.clear();
  active_ = false;
}

void StatementJournal::save(PageNumber page, const uint8_t* bytes) {
  size_t slot = saved_.size();
  if (slot < pagesInMemory_) {
    if (slot == buffers_.size()) buffers_.push_back(std::make_unique<Buffer>());
    std::memcpy(buffers_[slot]->data(), bytes, kPageSize);
  } else {
    if (!overflow_.isOpen()) overflow_ = File::createTemporary();
    overflow_.writeAt(uint64_t(slot - pagesInMemory_) * kPageSize, bytes, kPageSize);
  }
  saved_.emplace(page, slot);
}

const uint8_t* StatementJournal::bytesOf(size_t slot) {
  if (slot < pagesInMemory_) return buffers_[slot]->data();
  uint64_t offset = uint64_t(slot - pagesInMemory_) * kPageSize;
  if (overflow_.readAt(offset, scratch_.data(), kPageSize) != kPageSize) {
    throw Error(SQLITE_IOERR);
  }
  return scratch_.data();
}

}  // namespace sqlite2
