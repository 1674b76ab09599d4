#include "sql/run/partial_record.h"

#include "record/row_record.h"

namespace sqlite2 {

// Only the end of the column is read here; field() checks the header as it reads.
bool PartialRecord::covers(size_t column) const {
  if (recordLength_ == 0) return true;  // NULL in every column
  size_t width = recordOffsetWidth(recordLength_);
  if ((column + 2) * width > prefix_.size()) return false;
  size_t end = 0;
  for (size_t i = 0; i < width; ++i) {
    end |= static_cast<size_t>(static_cast<unsigned char>(prefix_[(column + 1) * width + i]))
           << (8 * i);
  }
  return end <= prefix_.size();
}

std::optional<std::string_view> PartialRecord::field(size_t column) const {
  if (recordLength_ == 0) return std::nullopt;
  FieldLocation location = locateField(prefix_, recordLength_, column);
  return fieldValue(prefix_.substr(location.offset, location.size));
}

}  // namespace sqlite2
