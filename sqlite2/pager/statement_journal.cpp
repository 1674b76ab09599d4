#include "pager/statement_journal.h"

#include <cstring>

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
  if (slot == buffers_.size()) buffers_.push_back(std::make_unique<Buffer>());
  std::memcpy(buffers_[slot]->data(), bytes, kPageSize);
  saved_.emplace(page, slot);
}

}  // namespace sqlite2
