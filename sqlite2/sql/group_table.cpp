#include "sql/group_table.h"

#include <algorithm>
#include <cstring>

#include "sql/group_key.h"

namespace sqlite2 {

namespace {

// Keys are kept in blocks of this size (a longer key gets a block of its own).
constexpr size_t kKeyBlockSize = 64 * 1024;

}  // namespace

GroupTable::GroupTable(size_t aggregateCount, size_t captureCount)
    : aggregateCount_(aggregateCount), captureCount_(captureCount) {}

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
  auto found = groupOf_.find(key);
  if (found != groupOf_.end()) {
    isNew = false;
    return found->second;
  }
  isNew = true;
  auto group = static_cast<uint32_t>(keys_.size());
  std::string_view kept = keep(key);
  keys_.push_back(kept);
  groupOf_.emplace(kept, group);
  states_.resize(states_.size() + aggregateCount_);
  captured_.resize(captured_.size() + captureCount_);
  return group;
}

std::vector<uint32_t> GroupTable::inKeyOrder() const {
  std::vector<uint32_t> order(keys_.size());
  for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [this](uint32_t a, uint32_t b) { return compareGroupKeys(keys_[a], keys_[b]) < 0; });
  return order;
}

}  // namespace sqlite2
