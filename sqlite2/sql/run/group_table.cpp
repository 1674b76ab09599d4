#include "sql/run/group_table.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "sql/values/group_key.h"

namespace sqlite2 {

namespace {

// Keys are kept in blocks of this size (a longer key gets a block of its own).
constexpr size_t kKeyBlockSize = 64 * 1024;
constexpr size_t kFirstSlotCount = 64;

uint32_t hashOf(std::string_view key) {
  const size_t hash = std::hash<std::string_view>()(key);
  return static_cast<uint32_t>(hash ^ (static_cast<uint64_t>(hash) >> 32));
}

}  // namespace

GroupTable::GroupTable(size_t aggregateCount, size_t captureCount)
    : aggregateCount_(aggregateCount), captureCount_(captureCount), slots_(kFirstSlotCount) {}

std::string_view GroupTable::keep(std::string_view key) {
  if (blocks_.empty() || blockUsed_ + key.size() > blockSize_) {
    blockSize_ = std::max(kKeyBlockSize, key.size());
    blocks_.push_back(std::make_unique<char[]>(blockSize_));
    blockUsed_ = 0;
  }
  char* place = blocks_.back().get() + blockUsed_;
  if (!key.empty()) std::memcpy(place, key.data(), key.size());
  blockUsed_ += key.size();
  return std::string_view(place, key.size());
}

uint32_t GroupTable::find(std::string_view key, bool& isNew) {
  const uint32_t hash = hashOf(key);
  const size_t mask = slots_.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    Slot& slot = slots_[at];
    if (slot.group == kNoGroup) {
      isNew = true;
      const uint32_t group = add(key);
      slot = Slot{hash, group};
      if (keys_.size() * 2 > slots_.size()) growSlots();
      return group;
    }
    if (slot.hash == hash && keys_[slot.group] == key) {
      isNew = false;
      return slot.group;
    }
  }
}

uint32_t GroupTable::add(std::string_view key) {
  const auto group = static_cast<uint32_t>(keys_.size());
  keys_.push_back(keep(key));
  if (group % kChunkGroups == 0) {
    stateChunks_.push_back(std::make_unique<AggregateState[]>(kChunkGroups * aggregateCount_));
    capturedChunks_.push_back(std::make_unique<SqlValue[]>(kChunkGroups * captureCount_));
  }
  return group;
}

void GroupTable::growSlots() {
  std::vector<Slot> old(slots_.size() * 2);
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.group == kNoGroup) continue;
    size_t at = slot.hash & mask;
    while (slots_[at].group != kNoGroup) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

void GroupTable::prefetch(uint32_t group) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(states(group));
  __builtin_prefetch(captured(group));
#else
  (void)group;
#endif
}

std::vector<uint32_t> GroupTable::inKeyOrder() const {
  std::vector<uint32_t> all(keys_.size());
  for (uint32_t i = 0; i < all.size(); ++i) all[i] = i;
  return inKeyOrder(all);
}

std::vector<uint32_t> GroupTable::inKeyOrder(const std::vector<uint32_t>& chosen) const {
  // Most keys differ in their leading bytes: ordering by an order-keeping summary of those
  // first spares most full comparisons, and the keys' scattered memory.
  // The entries are kept small, the key left where it is, as sorting moves them many times.
  struct Entry {
    GroupKeyPrefix prefix;
    uint32_t group;
  };
  std::vector<Entry> entries(chosen.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    entries[i] = Entry{groupKeyOrderPrefix(keys_[chosen[i]]), chosen[i]};
  }
  std::sort(entries.begin(), entries.end(), [this](const Entry& a, const Entry& b) {
    if (!(a.prefix == b.prefix)) return a.prefix < b.prefix;
    return compareGroupKeys(keys_[a.group], keys_[b.group]) < 0;
  });
  std::vector<uint32_t> order(entries.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = entries[i].group;
  return order;
}

}  // namespace sqlite2
