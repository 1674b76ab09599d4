// The pager's state machine: which steps between states are allowed, what holds in each
// state, and how the pager enters and leaves its error states; and the invariants of a write
// transaction's parts.

#include <algorithm>
#include <unordered_set>

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

bool PagerCore::dirtyListIsSound() const {
  std::unordered_set<const CachedPage*> listed;
  for (const CachedPage* page : dirty_) {
    if (!page->dirty || cache_.find(page->number) != page || !listed.insert(page).second) {
      return false;
    }
  }
  const std::vector<CachedPage*> cached = cache_.pages();
  return std::count_if(cached.begin(), cached.end(), [](const CachedPage* page) {
           return page->dirty;
         }) == static_cast<std::ptrdiff_t>(dirty_.size());
}

bool PagerCore::journalCountsTheJournaledPages() const {
  if (!journal_) return true;
  return std::count(journaled_.begin(), journaled_.end(), true) ==
         static_cast<std::ptrdiff_t>(journal_->recordCount());
}

// (4) of pager.h: the original of every page written is in the synced journal, and the
// journal's header (the size to cut back to) is on disk before even an appended page is.
bool PagerCore::mayReachTheDatabase(const std::vector<CachedPage*>& pages) const {
  if (journal_ && !journal_->everSynced()) return false;
  return std::none_of(pages.begin(), pages.end(),
                      [](const CachedPage* page) { return page->needsSync; });
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
