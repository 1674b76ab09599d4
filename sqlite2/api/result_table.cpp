#include "api/result_table.h"

#include <cstdlib>
#include <cstring>

namespace sqlite2::api {

void ResultTable::addCell(const char* text) {
  if (!text) {
    offsets_.push_back(kNull);
    return;
  }
  offsets_.push_back(texts_.size());
  texts_.append(text);
  texts_.push_back('\0');
}

bool ResultTable::addRow(int columnCount, const char* const* values, const char* const* names) {
  if (columnCount_ < 0) {
    columnCount_ = columnCount;
    for (int i = 0; i < columnCount; ++i) addCell(names[i]);
  } else if (columnCount != columnCount_) {
    return false;
  }
  for (int i = 0; i < columnCount; ++i) addCell(values[i]);
  ++rowCount_;
  return true;
}

char** ResultTable::release() const {
  const size_t pointerBytes = (offsets_.empty() ? 1 : offsets_.size()) * sizeof(char*);
  void* block = std::malloc(pointerBytes + texts_.size());
  if (!block) return nullptr;
  char** cells = static_cast<char**>(block);
  char* textArea = static_cast<char*>(block) + pointerBytes;
  if (!texts_.empty()) std::memcpy(textArea, texts_.data(), texts_.size());
  for (size_t i = 0; i < offsets_.size(); ++i) {
    cells[i] = offsets_[i] == kNull ? nullptr : textArea + offsets_[i];
  }
  if (offsets_.empty()) cells[0] = nullptr;
  return cells;
}

}  // namespace sqlite2::api
