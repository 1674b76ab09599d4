#pragma once

// What the user sees while a statement waits for a lock that another program holds (up to the
// busy time-out of a minute): a busy cursor at once. The program takes no input meanwhile, so
// what the user typed or clicked is dropped when the wait ends, before anything else runs:
// a name typed during the wait must not land in a control the user did not mean, and an Esc
// or Enter must not close the editor.

#include "db/database.h"
#include "editor/toolkit.h"

namespace orvalen {

class LockWaitFeedback : public CppSQLiteBusyObserver {
 public:
  explicit LockWaitFeedback(Toolkit& toolkit) : m_toolkit(toolkit) {}

  void waitBegins() override;
  void waitEnds() override;

 private:
  Toolkit& m_toolkit;
};

}  // namespace orvalen
