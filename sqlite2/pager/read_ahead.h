#pragma once

// Decides how many pages a cache miss reads with one system call. A walk of a tree meets its
// leaf pages in mostly ascending runs; a miss that continues the current run reads the pages
// after it too, twice as many each time up to a bound. Misses elsewhere (the interior pages
// of a walk, lookups by key) read their page alone and leave the run alone; only many of them
// in a row end it.

#include <cstddef>

#include "pager/pager.h"

namespace sqlite2 {

class ReadAhead {
 public:
  static constexpr size_t kFirstRun = 4;
  static constexpr size_t kMostPages = 32;

  // How many pages, from `number` on, the miss should read (at least 1).
  size_t pagesFor(PageNumber number);
  // Records that `count` pages from `first` on were read for the miss that asked pagesFor.
  void noteRead(PageNumber first, size_t count);

 private:
  // A miss this many pages past the run's end still continues it (pages between may have
  // been met out of order and read alone).
  static constexpr PageNumber kRunSlack = 4;
  // Lone misses in a row that end a run.
  static constexpr int kStrayPatience = 16;

  PageNumber runEnd_ = 0;  // the page after the last one the run read; 0 before any read
  size_t window_ = 0;      // pages of the run's last read; 0 while there is no run
  bool continuing_ = false;
  int strayMisses_ = 0;
};

}  // namespace sqlite2
