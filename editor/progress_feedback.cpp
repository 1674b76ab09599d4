#include "editor/progress_feedback.h"

namespace orvalen {

ProgressFeedback::ProgressFeedback(Toolkit& toolkit, std::string caption, std::string message,
                                   std::chrono::milliseconds delay)
    : toolkit_(toolkit),
      caption_(std::move(caption)),
      message_(std::move(message)),
      showAt_(std::chrono::steady_clock::now() + delay) {
  busy_.emplace(toolkit_);
}

bool ProgressFeedback::operator()(double fraction, const std::string& message) {
  if (!window_) {
    if (std::chrono::steady_clock::now() < showAt_) return true;
    // The progress window tells the user enough; its cancel button should not show busy.
    busy_.reset();
    window_ = toolkit_.showProgress(caption_, message_);
  }
  return window_->update(fraction, message);
}

}  // namespace orvalen
