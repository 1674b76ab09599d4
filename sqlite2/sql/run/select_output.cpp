#include "sql/run/select_output.h"

#include <algorithm>
#include <optional>

#include "common/error.h"
#include "common/text_format.h"
#include "record/numeric_text.h"
#include "sql/values/comparison.h"
#include "sql/values/group_key.h"
#include "sqlite.h"

namespace sqlite2 {

SelectOutput::SelectOutput(const OutputShape& shape, const ResultRowCallback& onRow)
    : shape_(shape), columns_(*shape.columns), orderBy_(*shape.orderBy), onRow_(onRow) {}

// The reference library turns the numbers of numeric columns into its own spelling of them
// on the way through DISTINCT ('05' and '5.0' come out as 5, '1e3' as 1000); a real it
// computed keeps the spelling it has (spelling it again could change its last digit).
bool SelectOutput::isNewDistinctRow(std::vector<OutputValue>& row) {
  keyScratch_.clear();
  for (size_t i = 0; i < row.size(); ++i) {
    if (row[i] && !columns_[i]->isText() && !computedReals_[i] && looksLikeNumber(*row[i])) {
      row[i] = formatReal(numericValue(*row[i]));
    }
    appendGroupKey(keyScratch_, row[i] ? std::optional<std::string_view>(*row[i]) : std::nullopt,
                   columns_[i]->isText());
  }
  return distinctKeys_.insert(keyScratch_).second;
}

bool SelectOutput::add(const EvalContext& context) {
  std::vector<OutputValue> values = outputRow(context);
  if (shape_.distinct && !isNewDistinctRow(values)) return true;
  if (orderBy_.empty() || (shape_.rowsInOrder && !shape_.sorting)) return emit(values);
  SortedRow row;
  for (const SortTerm& term : orderBy_) row.keys.push_back(sortKey(term, context));
  row.values = std::move(values);
  row.found = found_++;
  if (shape_.rowsInOrder) return emitSorted(row);
  sorted_.push_back(std::move(row));
  return true;
}

void SelectOutput::finish() {
  if (orderBy_.empty()) return;
  if (shape_.sorting) {
    for (const SortTerm& term : orderBy_) {
      shape_.sorting->descending.push_back(term.descending);
      shape_.sorting->asText.push_back(term.asText);
    }
  }
  if (shape_.rowsInOrder) return;
  // Rows that sort equal come out in the reverse of the order they were found, as from the
  // reference library's sorter.
  std::reverse(sorted_.begin(), sorted_.end());
  std::stable_sort(sorted_.begin(), sorted_.end(), [this](const SortedRow& a, const SortedRow& b) {
    for (size_t i = 0; i < orderBy_.size(); ++i) {
      const OutputValue& x = a.keys[i];
      const OutputValue& y = b.keys[i];
      int order;
      if (!x || !y) {
        order = (x ? 1 : 0) - (y ? 1 : 0);  // NULL first
      } else {
        order = compareValues(*x, *y, orderBy_[i].asText);
      }
      if (order != 0) return orderBy_[i].descending ? order > 0 : order < 0;
    }
    return false;
  });
  for (const SortedRow& row : sorted_) {
    if (!emitSorted(row)) return;
  }
}

bool SelectOutput::emitSorted(const SortedRow& row) {
  const int before = emitted_;
  const bool more = emit(row.values);
  if (emitted_ > before) noteSorted(row);
  return more;
}

OutputValue SelectOutput::sortKey(const SortTerm& term, const EvalContext& context) const {
  SqlValue key = term.expr->evaluate(context);
  if (key.isNull()) return OutputValue();
  if (!term.keysByRow) return OutputValue(std::string(key.text()));
  // A row number; none where a LEFT JOIN found no row.
  const int32_t row = key.toInteger();
  if (row < 1 || static_cast<size_t>(row) > term.keysByRow->size()) return OutputValue();
  return (*term.keysByRow)[static_cast<size_t>(row) - 1][term.keyIndex];
}

void SelectOutput::noteSorted(const SortedRow& row) {
  if (!shape_.sorting) return;
  shape_.sorting->found.push_back(row.found);
  shape_.sorting->keys.push_back(row.keys);
}

std::vector<OutputValue> SelectOutput::outputRow(const EvalContext& context) {
  std::vector<OutputValue> row;
  row.reserve(columns_.size());
  if (shape_.distinct) computedReals_.assign(columns_.size(), false);
  for (const CompiledExprPtr& column : columns_) {
    // Where the value's kind matters (under DISTINCT, and for the first value a sub-select
    // hands on) it is computed whole; otherwise its text is read where it is kept.
    if (shape_.distinct || (row.empty() && tellsFirstKind())) {
      SqlValue value = column->evaluate(context);
      if (shape_.distinct) computedReals_[row.size()] = value.kind() == SqlValue::Kind::Real;
      if (row.empty()) rowBeginsWithInteger_ = value.kind() == SqlValue::Kind::Integer;
      row.push_back(value.isNull() ? OutputValue() : OutputValue(std::string(value.text())));
      continue;
    }
    SqlValue scratch;
    std::optional<std::string_view> text = column->textOf(context, scratch);
    row.push_back(text ? OutputValue(std::string(*text)) : OutputValue());
  }
  return row;
}

SelectOutput::Admission SelectOutput::admitRow() {
  if (shape_.limit >= 0 && emitted_ >= shape_.limit) return Admission::Stop;
  if (skipped_ < shape_.offset) {
    ++skipped_;
    return Admission::Skip;
  }
  ++emitted_;
  return Admission::Pass;
}

// Calls the callback with the row (one value per result column); false once LIMIT is reached.
bool SelectOutput::deliver(const char* const* values) {
  if (onRow_) {
    if (rowNames_.empty()) {
      for (const std::string& name : *shape_.names) rowNames_.push_back(name.c_str());
      // PRAGMA show_datatypes: the names are followed by each column's type.
      if (shape_.showDatatypes) {
        for (const CompiledExprPtr& column : columns_) {
          rowNames_.push_back(column->isText() ? "TEXT" : "NUMERIC");
        }
      }
    }
    if (!onRow_(static_cast<int>(columns_.size()), values, rowNames_.data())) {
      throw Error(SQLITE_ABORT, "");
    }
  }
  return shape_.limit < 0 || emitted_ < shape_.limit;
}

bool SelectOutput::emit(const std::vector<OutputValue>& row) {
  if (tellsFirstKind()) *shape_.firstIsInteger = rowBeginsWithInteger_;
  Admission admission = admitRow();
  if (admission != Admission::Pass) return admission == Admission::Skip;
  rowValues_.clear();
  for (const OutputValue& value : row) rowValues_.push_back(value ? value->c_str() : nullptr);
  return deliver(rowValues_.data());
}

bool SelectOutput::addCurrent(const EvalContext& context) {
  Admission admission = admitRow();
  if (admission != Admission::Pass) return admission == Admission::Skip;
  rowTexts_.resize(columns_.size());
  rowValues_.resize(columns_.size());
  for (size_t i = 0; i < columns_.size(); ++i) {
    const CompiledExpr& column = *columns_[i];
    const bool tellsKind = i == 0 && emitted_ == 1 && shape_.firstIsInteger;
    if (column.op() == CompiledExpr::Op::Column && !tellsKind) {
      // A stored field ends with its terminator inside the row, which outlives the call.
      rowValues_[i] = column.columnText(context);
      continue;
    }
    SqlValue value = column.evaluate(context);
    if (tellsKind) *shape_.firstIsInteger = value.kind() == SqlValue::Kind::Integer;
    if (value.isNull()) {
      rowValues_[i] = nullptr;
    } else {
      rowTexts_[i].assign(value.text());
      rowValues_[i] = rowTexts_[i].c_str();
    }
  }
  return deliver(rowValues_.data());
}

}  // namespace sqlite2
