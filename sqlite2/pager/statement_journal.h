#pragma once

// The pages one statement changed, as they were when the statement began, kept in memory so
// that the statement alone can be undone inside its transaction. Buffers are reused from one
// statement to the next.

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "pager/pager.h"

namespace sqlite2 {

class StatementJournal {
 public:
  void begin(PageNumber pageCount);
  void end();
  bool active() const { return active_; }
  PageNumber startPageCount() const { return startPageCount_; }

  bool contains(PageNumber page) const { return saved_.count(page) != 0; }
  void save(PageNumber page, const uint8_t* bytes);

  // Calls restore(page, bytes) for every saved page.
  template <typename Restore>
  void forEachSaved(Restore restore) const {
    for (const auto& [page, slot] : saved_) restore(page, buffers_[slot]->data());
  }

 private:
  using Buffer = std::array<uint8_t, kPageSize>;
  bool active_ = false;
  PageNumber startPageCount_ = 0;
  std::unordered_map<PageNumber, size_t> saved_;  // page -> index into buffers_
  std::vector<std::unique_ptr<Buffer>> buffers_;
};

}  // namespace sqlite2
