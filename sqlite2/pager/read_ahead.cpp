#include "pager/read_ahead.h"

#include <algorithm>

namespace sqlite2 {

size_t ReadAhead::pagesFor(PageNumber number) {
  // Only a run under way forgives a few pages skipped; starting one takes the very next page.
  const PageNumber slack = window_ == 0 ? 0 : kRunSlack;
  continuing_ = runEnd_ != 0 && number >= runEnd_ && number - runEnd_ <= slack;
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
