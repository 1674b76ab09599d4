#pragma once

// Progress of a long operation, shown only once it has lasted longer than a short delay: most
// operations end before that and need no window flashing up. Until then the busy cursor shows.
//
//   ProgressFeedback progress(toolkit, caption, message, delay);
//   ... if (!progress(fraction)) stop ...   // false once the user cancelled

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "editor/toolkit.h"

namespace orvalen {

class ProgressFeedback {
 public:
  ProgressFeedback(Toolkit& toolkit, std::string caption, std::string message,
                   std::chrono::milliseconds delay);

  // Reports how far the operation has come (0 to 1), with a new message unless it is empty;
  // false once the user has cancelled.
  bool operator()(double fraction, const std::string& message = {});

 private:
  Toolkit& toolkit_;
  std::string caption_;
  std::string message_;
  std::chrono::steady_clock::time_point showAt_;
  std::optional<ScopedBusyCursor> busy_;
  std::unique_ptr<ProgressWindow> window_;
};

}  // namespace orvalen
