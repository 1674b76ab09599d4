// The pager's state machine: which steps between states are allowed, what holds in each
// state, and how the pager enters and leaves its error states.

#include "common/error.h"
#include "common/invariant.h"
#include "pager/pager_core.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

bool stepAllowed(PagerState from, PagerState to) {
  switch (from) {
    case PagerState::kUnlocked:
      return to == PagerState::kReading;
    case PagerState::kReading:
      return to == PagerState::kUnlocked || to == PagerState::kWriting || to == PagerState::kError;
    case PagerState::kWriting:
      return to == PagerState::kReading || to == PagerState::kWriteFailed ||
             to == PagerState::kError;
    case PagerState::kWriteFailed:
      return to == PagerState::kReading || to == PagerState::kError;
    case PagerState::kError:
      return to == PagerState::kUnlocked;
  }
  return false;
}

}  // namespace

void PagerCore::setState(PagerState next) {
  ENGINE_INVARIANT(stepAllowed(state_, next));
  state_ = next;
  checkStateInvariants();
}

// The lock and the transaction's parts that each state implies.
void PagerCore::checkStateInvariants() const {
  const bool transaction = journal_.has_value() || !dirty_.empty() || statement_.active();
  switch (state_) {
    case PagerState::kUnlocked:
      ENGINE_INVARIANT(database_.level() == LockLevel::kNone);
      ENGINE_INVARIANT(cache_.size() == 0 && references_ == 0);
      ENGINE_INVARIANT(!transaction);
      break;
    case PagerState::kReading:
      ENGINE_INVARIANT(database_.level() != LockLevel::kNone);
      ENGINE_INVARIANT(!transaction);
      break;
    case PagerState::kWriting:
    case PagerState::kWriteFailed:
      ENGINE_INVARIANT(database_.level() ==
                       (readOnly_ ? LockLevel::kShared : LockLevel::kExclusive));
      ENGINE_INVARIANT(journal_.has_value() == !readOnly_);
      break;
    case PagerState::kError:
      ENGINE_INVARIANT(!transaction);
      ENGINE_INVARIANT(errorCode_ != SQLITE_OK);
      break;
  }
}

void PagerCore::refuseWhenFailed() const {
  if (state_ == PagerState::kWriteFailed || state_ == PagerState::kError) {
    throw Error(errorCode_);
  }
}

// The pages handed out for changing may not be changed any more: the stamp moves on.
void PagerCore::failWrite(int code) {
  if (state_ != PagerState::kWriting) return;
  errorCode_ = code;
  ++writableStamp_;
  setState(PagerState::kWriteFailed);
}

// Gives the transaction up without touching the files: its journal is closed and stays on
// disk, so whoever takes the lock next plays it back.
void PagerCore::enterError(int code) {
  errorCode_ = code;
  forgetTransaction();
  setState(PagerState::kError);
  resetIfIdle();
}

// Nothing read before the error can be trusted: the cache goes with the lock.
void PagerCore::resetIfIdle() {
  if (state_ != PagerState::kError || references_ != 0) return;
  cache_.clear();
  database_.unlock();
  setState(PagerState::kUnlocked);
}

// Back from the exclusive to the shared lock. When the lock cannot be changed the pager no
// longer knows what it holds; it gives the lock up as soon as no page is referenced.
void PagerCore::leaveExclusiveLock() {
  try {
    database_.downgrade();
  } catch (const Error& error) {
    enterError(error.code());
  }
}

}  // namespace sqlite2
