#pragma once

// The groups of an aggregate query while its rows are read: found by their keys (group_key.h)
// through a hash table, with their aggregate states and the values captured from their first
// row kept in flat arrays, and their keys in blocks that never move, so that a group costs no
// allocation of its own beyond its captured texts.

#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sql/aggregator.h"
#include "sql/sql_value.h"

namespace sqlite2 {

class GroupTable {
 public:
  GroupTable(size_t aggregateCount, size_t captureCount);

  // The group of the key, made when there is none yet (isNew then says so).
  uint32_t find(std::string_view key, bool& isNew);
  size_t size() const { return keys_.size(); }
  // (data() + offset: a query may have no aggregates or nothing to capture.)
  AggregateState* states(uint32_t group) { return states_.data() + group * aggregateCount_; }
  SqlValue* captured(uint32_t group) { return captured_.data() + group * captureCount_; }
  // The groups in the order of their keys.
  std::vector<uint32_t> inKeyOrder() const;

 private:
  std::string_view keep(std::string_view key);

  size_t aggregateCount_, captureCount_;
  std::unordered_map<std::string_view, uint32_t> groupOf_;
  std::vector<std::string_view> keys_;  // by group, into blocks_
  std::vector<std::unique_ptr<char[]>> blocks_;
  size_t blockUsed_ = 0, blockSize_ = 0;
  std::vector<AggregateState> states_;
  std::vector<SqlValue> captured_;
};

}  // namespace sqlite2
