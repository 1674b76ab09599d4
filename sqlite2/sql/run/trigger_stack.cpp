#include "sql/run/trigger_stack.h"

#include <algorithm>

namespace sqlite2 {

bool TriggerStack::isRunning(const Trigger& trigger) const {
  return std::any_of(frames_.begin(), frames_.end(),
                     [&](const TriggerFrame* frame) { return frame->trigger == &trigger; });
}

ConflictAction TriggerStack::effectiveConflict(ConflictAction own) const {
  if (frames_.empty()) return own;
  ConflictAction inherited = frames_.back()->conflict;
  return inherited != ConflictAction::Default ? inherited : own;
}

bool TriggerStack::insideFileTrigger() const {
  return !frames_.empty() && !frames_.back()->trigger->temporary;
}

std::optional<TriggerValue> TriggerStack::rowValue(std::string_view qualifier,
                                                   std::string_view column) const {
  if (frames_.empty()) return std::nullopt;
  const TriggerFrame& frame = *frames_.back();
  const TriggerRow* row = nullptr;
  if (sameName(qualifier, "new")) row = frame.newRow;
  if (sameName(qualifier, "old")) row = frame.oldRow;
  if (!row) return std::nullopt;
  const Table& table = *frame.table;
  int position = table.findColumn(column);
  if (position < 0 && !isRowNumberName(column)) return std::nullopt;
  TriggerValue found;
  if (position < 0 || position == table.rowNumberColumn) {
    found.value = SqlValue::integer(row->rowNumber);
    return found;
  }
  const Value& value = row->values[static_cast<size_t>(position)];
  found.value = value ? SqlValue::ownedText(*value) : SqlValue::null();
  found.text = table.isView || table.columns[static_cast<size_t>(position)].text;
  return found;
}

}  // namespace sqlite2
