#include "editor/lock_wait_feedback.h"

namespace orvalen {

void LockWaitFeedback::waitBegins() {
  m_toolkit.beginBusyCursor();
}

void LockWaitFeedback::waitEnds() {
  m_toolkit.discardPendingInput();
  m_toolkit.endBusyCursor();
}

}  // namespace orvalen
