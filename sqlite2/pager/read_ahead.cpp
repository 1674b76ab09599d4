#include "pager/read_ahead.h"

#include <algorithm>

namespace sqlite2 {

size_t ReadAhead::pagesFor(PageNumber number) {
  continuing_ = runEnd_ != 0 && number >= runEnd_ && number - runEnd_ <= kRunSlack;
  if (continuing_) {
    window_ = window_ == 0 ? kFirstRun : std::min(window_ * 2, kMostPages);
    strayMisses_ = 0;
    return window_;
  }
  if (window_ != 0 && ++strayMisses_ > kStrayPatience) {
    window_ = 0;
    strayMisses_ = 0;
  }
  return 1;
}

void ReadAhead::noteRead(PageNumber first, size_t count) {
  // Without a run, any page read may be where one starts.
  if (continuing_ || window_ == 0) runEnd_ = first + static_cast<PageNumber>(count);
  continuing_ = false;
}

}  // namespace sqlite2
