#pragma once

// Row records, the data part of a table entry: a header of little-endian field offsets
// followed by the fields. A non-NULL field is its text and a 0x00 terminator; a NULL field is
// empty. The offset width (1, 2 or 3 bytes) follows from the record's length.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record/value.h"

namespace sqlite2 {

// Encodes values as a row record into out (replacing its content). Throws
// Error(SQLITE_TOOBIG) when the record would exceed kMaxRecordSize.
void encodeRecord(const std::vector<Value>& values, std::string& out);
std::string encodeRecord(const std::vector<Value>& values);

// The width of each header offset in a record of the given length.
size_t recordOffsetWidth(size_t recordLength);

// Where one field lies inside a record; size 0 means NULL, otherwise the field ends with its
// terminator.
struct FieldLocation {
  size_t offset = 0;
  size_t size = 0;
  bool isNull() const { return size == 0; }
};

// For reading one column of a large record without fetching the rest: how many leading bytes
// of the record locateField needs for that column (never more than the record).
size_t recordPrefixNeeded(size_t recordLength, size_t column);
// Locates a column from the record's leading bytes (at least recordPrefixNeeded of them).
// A record of length 0 is NULL in every column. Throws Error(SQLITE_CORRUPT) when the column
// is not in the record or its offsets are inconsistent.
FieldLocation locateField(std::string_view recordPrefix, size_t recordLength, size_t column);

// The value held by a field's bytes (text before the terminator). Throws Error(SQLITE_CORRUPT)
// when a non-empty field has no terminator.
std::optional<std::string_view> fieldValue(std::string_view fieldBytes);

// Read access to a whole record held in memory; nothing is copied.
class RecordView {
 public:
  // Throws Error(SQLITE_CORRUPT) when the header does not fit the record.
  explicit RecordView(std::string_view record);

  size_t fieldCount() const { return fieldCount_; }
  // The column's value. An empty record reads as NULL in every column; otherwise a column
  // past the header is corruption.
  std::optional<std::string_view> field(size_t column) const;
  // The same as a C string (null for NULL), for handing on without measuring it.
  const char* fieldText(size_t column) const;
  std::vector<Value> values() const;

 private:
  // Where the column's bytes lie; checks only the column's own offsets.
  std::string_view fieldBytes(size_t column) const;

  std::string_view record_;
  size_t width_ = 0;
  size_t fieldCount_ = 0;
};

}  // namespace sqlite2
