#include "editor/edit_history.h"

#include <cassert>

#include "editor/user_texts.h"

namespace orvalen {

namespace {

// Characters of a name that a menu entry shows; longer names end in an ellipsis.
constexpr std::size_t kShownCharacters = 20;

std::string shortened(const std::string& utf8) {
  std::size_t characters = 0;
  for (std::size_t at = 0; at < utf8.size(); ++at) {
    const bool starts = (static_cast<unsigned char>(utf8[at]) & 0xC0) != 0x80;
    if (starts && characters++ == kShownCharacters) return utf8.substr(0, at) + text::kEllipsis;
  }
  return utf8;
}

}  // namespace

std::string StepName(const char* action, const std::string& name) {
  return std::string(action) + " " + text::kOpenQuote + shortened(name) + text::kCloseQuote;
}

std::string StepNameForVideos(const char* action, std::size_t count, const std::string& firstName) {
  if (count == 1) return StepName(action, firstName);
  return std::string(action) + " " + std::to_string(count) + text::kVideosCountSuffix;
}

void EditHistory::record(EditStep step) {
  steps_.resize(done_);
  steps_.push_back(std::move(step));
  done_ = steps_.size();
}

void EditHistory::undone() {
  assert(done_ > 0);
  --done_;
}

void EditHistory::redone() {
  assert(done_ < steps_.size());
  ++done_;
}

}  // namespace orvalen
