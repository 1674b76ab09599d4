#pragma once

// The pages one statement changed, as they were when the statement began, so that the
// statement alone can be undone inside its transaction. Up to a limit the copies stay in
// memory (their buffers reused from statement to statement); a statement that changes more
// pages than that keeps the rest in an anonymous temporary file, so memory stays bounded.

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "os/file.h"
#include "pager/pager.h"

namespace sqlite2 {

class StatementJournal {
 public:
  explicit StatementJournal(size_t pagesInMemory) : pagesInMemory_(pagesInMemory) {}

  void begin(PageNumber pageCount);
  void end();
  bool active() const { return active_; }
  PageNumber startPageCount() const { return startPageCount_; }

  bool contains(PageNumber page) const { return saved_.count(page) != 0; }
  void save(PageNumber page, const uint8_t* bytes);

  // Calls restore(page, bytes) for every saved page.
  template <typename Restore>
  void forEachSaved(Restore restore) {
    for (const auto& [page, slot] : saved_) restore(page, bytesOf(slot));
  }

 private:
  using Buffer = std::array<uint8_t, kPageSize>;
  // The saved bytes of a slot; those kept in the file are read into scratch_.
  const uint8_t* bytesOf(size_t slot);

  size_t pagesInMemory_;
  bool active_ = false;
  PageNumber startPageCount_ = 0;
  std::unordered_map<PageNumber, size_t> saved_;  // page -> slot
  std::vector<std::unique_ptr<Buffer>> buffers_;  // slots below pagesInMemory_
  File overflow_;                                 // the other slots, opened when first needed
  Buffer scratch_;
};

}  // namespace sqlite2
