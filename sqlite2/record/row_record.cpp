#include "record/row_record.h"

#include <cstring>

#include "common/error.h"
#include "common/invariant.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

size_t readOffset(const char* at, size_t width) {
  const auto* b = reinterpret_cast<const unsigned char*>(at);
  size_t value = b[0];
  if (width > 1) value |= size_t{b[1]} << 8;
  if (width > 2) value |= size_t{b[2]} << 16;
  return value;
}

void writeOffset(char* at, size_t width, size_t value) {
  for (size_t i = 0; i < width; ++i) at[i] = static_cast<char>(value >> (8 * i));
}

// The writer's choice of width: the smallest whose offsets can all address the record.
size_t writerOffsetWidth(size_t dataBytes, size_t fields) {
  if (dataBytes + fields + 1 < 256) return 1;
  if (dataBytes + 2 * fields + 2 < 65536) return 2;
  return 3;
}

bool locatedAt(const FieldLocation& location, size_t start, size_t end) {
  return location.offset == start && location.size == end - start;
}

[[noreturn]] void corrupt() {
  throw Error(SQLITE_CORRUPT);
}

}  // namespace

void encodeRecord(const std::vector<Value>& values, std::string& out) {
  size_t dataBytes = 0;
  for (const Value& value : values) {
    if (value) dataBytes += value->size() + 1;
  }
  size_t fields = values.size();
  size_t width = writerOffsetWidth(dataBytes, fields);
  size_t headerBytes = width * (fields + 1);
  checkRecordSize(headerBytes + dataBytes);

  out.resize(headerBytes + dataBytes);
  char* header = out.data();
  char* field = header + headerBytes;
  size_t offset = headerBytes;
  for (size_t i = 0; i < fields; ++i) {
    writeOffset(header + i * width, width, offset);
    if (!values[i]) continue;
    const std::string& text = *values[i];
    std::memcpy(field, text.data(), text.size());
    field[text.size()] = '\0';
    field += text.size() + 1;
    offset += text.size() + 1;
  }
  writeOffset(header + fields * width, width, offset);
  // A reader takes the offsets' width from the record's length alone.
  ENGINE_INVARIANT(recordOffsetWidth(out.size()) == width && offset == out.size());
  ENGINE_INVARIANT(RecordView(out).values() == values);
}

std::string encodeRecord(const std::vector<Value>& values) {
  std::string out;
  encodeRecord(values, out);
  return out;
}

size_t recordOffsetWidth(size_t recordLength) {
  if (recordLength < 256) return 1;
  if (recordLength < 65536) return 2;
  return 3;
}

size_t recordPrefixNeeded(size_t recordLength, size_t column) {
  size_t wanted = recordOffsetWidth(recordLength) * (column + 2);
  return wanted < recordLength ? wanted : recordLength;
}

FieldLocation locateField(std::string_view recordPrefix, size_t recordLength, size_t column) {
  if (recordLength == 0) return {};
  size_t width = recordOffsetWidth(recordLength);
  if (recordPrefix.size() < width) corrupt();
  size_t headerBytes = readOffset(recordPrefix.data(), width);
  if (headerBytes > recordLength || (column + 2) * width > headerBytes) corrupt();
  if ((column + 2) * width > recordPrefix.size()) corrupt();
  size_t start = readOffset(recordPrefix.data() + column * width, width);
  size_t end = readOffset(recordPrefix.data() + (column + 1) * width, width);
  if (start < headerBytes || start > end || end > recordLength) corrupt();
  return {start, end - start};
}

std::optional<std::string_view> fieldValue(std::string_view fieldBytes) {
  if (fieldBytes.empty()) return std::nullopt;
  const void* terminator = std::memchr(fieldBytes.data(), '\0', fieldBytes.size());
  if (!terminator) corrupt();
  return fieldBytes.substr(0, static_cast<const char*>(terminator) - fieldBytes.data());
}

RecordView::RecordView(std::string_view record) : record_(record) {
  if (record.empty()) return;
  width_ = recordOffsetWidth(record.size());
  if (record.size() < width_) corrupt();
  size_t headerBytes = readOffset(record.data(), width_);
  if (headerBytes > record.size() || headerBytes % width_ != 0 || headerBytes < width_) corrupt();
  fieldCount_ = headerBytes / width_ - 1;
}

// The header was checked when the view was made; only the column's own offsets are left.
std::string_view RecordView::fieldBytes(size_t column) const {
  if (column >= fieldCount_) corrupt();
  const size_t start = readOffset(record_.data() + column * width_, width_);
  const size_t end = readOffset(record_.data() + (column + 1) * width_, width_);
  if (start < (fieldCount_ + 1) * width_ || start > end || end > record_.size()) corrupt();
  // The reader of one column from a record's first bytes finds the same place.
  ENGINE_INVARIANT(locatedAt(locateField(record_, record_.size(), column), start, end));
  return record_.substr(start, end - start);
}

std::optional<std::string_view> RecordView::field(size_t column) const {
  if (record_.empty()) return std::nullopt;
  return fieldValue(fieldBytes(column));
}

// A field that ends with its terminator, as every field written does, holds a whole C string;
// only another needs the search for one.
const char* RecordView::fieldText(size_t column) const {
  if (record_.empty()) return nullptr;
  const std::string_view bytes = fieldBytes(column);
  if (bytes.empty()) return nullptr;
  if (bytes.back() != '\0' && !std::memchr(bytes.data(), '\0', bytes.size())) corrupt();
  return bytes.data();
}

std::vector<Value> RecordView::values() const {
  std::vector<Value> result;
  result.reserve(fieldCount_);
  for (size_t column = 0; column < fieldCount_; ++column) {
    std::optional<std::string_view> value = field(column);
    result.push_back(value ? Value(std::string(*value)) : std::nullopt);
  }
  return result;
}

}  // namespace sqlite2
