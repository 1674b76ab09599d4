#pragma once

// The first bytes of a row record, enough to read its leading columns without fetching the
// whole record (a full walk reads only what its WHERE clause needs of most rows).

#include <cstddef>
#include <optional>
#include <string_view>

namespace sqlite2 {

class PartialRecord {
 public:
  PartialRecord() = default;
  PartialRecord(std::string_view prefix, size_t recordLength)
      : prefix_(prefix), recordLength_(recordLength) {}

  // Whether the prefix holds the column and every one before it. Throws Error(SQLITE_CORRUPT)
  // for a header that does not fit the record.
  bool covers(size_t column) const;
  // The column's value; only for columns the prefix covers.
  std::optional<std::string_view> field(size_t column) const;

 private:
  std::string_view prefix_;
  size_t recordLength_ = 0;
};

}  // namespace sqlite2
