#pragma once

// The groups of an aggregate query while its rows are read: found by their keys (group_key.h)
// through an open-addressing hash table, with their aggregate states and the values captured
// from their first row kept in chunks that never move, and their keys in blocks that never
// move, so that a group costs no allocation of its own beyond its captured texts.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "sql/run/aggregator.h"
#include "sql/values/sql_value.h"

namespace sqlite2 {

class GroupTable {
 public:
  GroupTable(size_t aggregateCount, size_t captureCount);

  // The group of the key, made when there is none yet (isNew then says so).
  uint32_t find(std::string_view key, bool& isNew);
  size_t size() const { return keys_.size(); }
  AggregateState* states(uint32_t group) {
    return stateChunks_[group / kChunkGroups].get() + group % kChunkGroups * aggregateCount_;
  }
  SqlValue* captured(uint32_t group) {
    return capturedChunks_[group / kChunkGroups].get() + group % kChunkGroups * captureCount_;
  }
  // The groups in the order of their keys.
  std::vector<uint32_t> inKeyOrder() const;
  // The given groups (each at most once) in the order of their keys.
  std::vector<uint32_t> inKeyOrder(const std::vector<uint32_t>& chosen) const;
  // Asks the processor to bring a group's states and captured values near, ahead of their
  // use: read in the order of their keys, groups lie scattered in memory.
  void prefetch(uint32_t group);

 private:
  // Groups whose states (and captured values) share one allocation.
  static constexpr uint32_t kChunkGroups = 256;
  // A place in the hash table: a group and its key's hash, which spares most key comparisons.
  struct Slot {
    uint32_t hash = 0;
    uint32_t group = kNoGroup;
  };
  static constexpr uint32_t kNoGroup = UINT32_MAX;

  std::string_view keep(std::string_view key);
  uint32_t add(std::string_view key);
  void growSlots();

  size_t aggregateCount_, captureCount_;
  std::vector<Slot> slots_;             // a power of two in size, at most half full
  std::vector<std::string_view> keys_;  // by group, into blocks_
  std::vector<std::unique_ptr<char[]>> blocks_;
  size_t blockUsed_ = 0, blockSize_ = 0;
  std::vector<std::unique_ptr<AggregateState[]>> stateChunks_;
  std::vector<std::unique_ptr<SqlValue[]>> capturedChunks_;
};

}  // namespace sqlite2
