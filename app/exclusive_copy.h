#pragma once

#include <string>

namespace orvalen::app {

enum class CopyOutcome {
  kCopied,
  kTargetExists,      // the target was there already and has not been touched
  kSourceUnreadable,  // nothing was written
  kTargetUnwritable,  // nothing was left behind
};

// Copies source to a new file target. The bytes go into a temporary file beside the target
// first, which is then linked under the target's name only if that name is free, so an
// existing file is never touched and a failed copy never leaves a partial target.
CopyOutcome copyToNewFile(const std::string& source, const std::string& target);

}  // namespace orvalen::app
