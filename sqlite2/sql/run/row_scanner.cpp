#include "sql/run/row_scanner.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "common/error.h"
#include "record/index_key.h"
#include "record/numeric_text.h"
#include "record/table_key.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// Longer than any continuation of a key after a complete segment (the four row number
// bytes, or another segment starting with 'a', 'b' or 'c').
const std::string kAfterAnySuffix(5, '\xff');

const EvalContext kNoRow;

}  // namespace

std::optional<int32_t> exactRowNumber(std::string_view text) {
  // Up to nine digits (with a sign) are an int exactly: no need to read them as a real.
  constexpr size_t kSafeDigits = 9;
  const bool negative = !text.empty() && text[0] == '-';
  const std::string_view digits = text.substr(!text.empty() && (negative || text[0] == '+'));
  if (!digits.empty() && digits.size() <= kSafeDigits) {
    int32_t value = 0;
    size_t at = 0;
    for (; at < digits.size(); ++at) {
      const unsigned digit = static_cast<unsigned char>(digits[at]) - unsigned{'0'};
      if (digit > 9) break;
      value = value * 10 + static_cast<int32_t>(digit);
    }
    if (at == digits.size()) return negative ? -value : value;
  }
  if (!looksLikeNumber(text)) return std::nullopt;
  double value = numericValue(text);
  if (!(value >= -2147483648.0 && value <= 2147483647.0) || value != std::floor(value)) {
    return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

RowScanner::RowScanner(Btree& btree, const Table& table, const AccessPlan& plan,
                       const EvalContext* outer)
    : btree_(btree),
      plan_(plan),
      outer_(outer ? outer : &kNoRow),
      tableCursor_(btree, table.root, false) {
  int highestColumn = -1;
  for (const CompiledExpr* term : plan.residual) {
    filterReadsRowNumber_ = filterReadsRowNumber_ || term->readsRowNumber();
    highestColumn = std::max(highestColumn, term->highestColumn());
  }
  bool walksTable =
      plan.kind == AccessPlan::Kind::FullScan || plan.kind == AccessPlan::Kind::RowNumberRange;
  if (walksTable && highestColumn >= 0) filterColumn_ = highestColumn;
  if (plan.inTerm) listed_ = distinctLookups(plan.inTerm->distinctInTexts());
}

// The listed values less those that find what an earlier one finds (7 and 7.0 on a numeric
// index or on the row number): SQLite 2.8 looks up both and gives such a row twice, so that
// an UPDATE applies twice to it; here each row comes once.
std::vector<std::string> RowScanner::distinctLookups(std::vector<std::string> texts) const {
  std::set<std::string> keys;
  std::vector<std::string> kept;
  for (std::string& text : texts) {
    std::string key;
    if (plan_.kind == AccessPlan::Kind::RowNumberIn) {
      std::optional<int32_t> rowNumber = exactRowNumber(text);
      if (!rowNumber) continue;
      key = std::to_string(*rowNumber);
    } else {
      std::string_view view = text;
      appendIndexSegment(key, &view, plan_.index->textColumns[0]);
    }
    if (keys.insert(key).second) kept.push_back(std::move(text));
  }
  return kept;
}

void RowScanner::restart() {
  started_ = false;
  finished_ = false;
  positioned_ = false;
  prefix_.clear();
  lowerSegment_.reset();
  upperSegment_.reset();
  firstRowNumber_ = INT32_MIN;
  lastRowNumber_ = INT32_MAX;
  rowNumberPending_ = false;
  nextListed_ = 0;
}

bool RowScanner::next() {
  while (nextCandidate()) {
    bool accepted = true;
    for (const CompiledExpr* term : plan_.residual) {
      if (!term->isSatisfied(context_)) {
        accepted = false;
        break;
      }
    }
    if (accepted) {
      if (!context_.record) loadCurrentTableRow();
      if (rowNumberPending_) {
        context_.rowNumber = decodeTableKey(localKey_ ? *localKey_ : tableCursor_.key());
        rowNumberPending_ = false;
      }
      return true;
    }
  }
  return false;
}

bool RowScanner::nextCandidate() {
  if (finished_) return false;
  bool found;
  if (!started_) {
    started_ = true;
    found = start();
  } else {
    switch (plan_.kind) {
      case AccessPlan::Kind::RowNumberEquals:
        found = false;
        break;
      case AccessPlan::Kind::RowNumberIn:
        found = nextListedRowNumber();
        break;
      case AccessPlan::Kind::IndexScan:
        found = nextInIndex() || (plan_.inTerm && seekNextListedValue());
        break;
      default:
        found = nextInTable();
        break;
    }
  }
  if (!found) finished_ = true;
  return found;
}

bool RowScanner::start() {
  switch (plan_.kind) {
    case AccessPlan::Kind::RowNumberEquals: {
      SqlValue scratch;
      std::optional<std::string_view> value = plan_.rowNumberValue->textOf(*outer_, scratch);
      if (!value) return false;
      std::optional<int32_t> rowNumber = exactRowNumber(*value);
      return rowNumber && loadRow(*rowNumber);
    }
    case AccessPlan::Kind::RowNumberIn:
      return nextListedRowNumber();
    case AccessPlan::Kind::IndexScan:
      return plan_.inTerm ? seekNextListedValue() : seekIndexRange();
    case AccessPlan::Kind::RowNumberRange:
      if (!rowNumberBounds()) return false;
      if (!plan_.descending) {
        int order = tableCursor_.seek(encodeTableKey(static_cast<int32_t>(firstRowNumber_)));
        if (!tableCursor_.valid()) return false;
        if (order < 0 && !tableCursor_.next()) return false;
      } else {
        int order = tableCursor_.seek(encodeTableKey(static_cast<int32_t>(lastRowNumber_)));
        if (!tableCursor_.valid()) return false;
        if (order > 0 && !tableCursor_.previous()) return false;
      }
      return nextInTable();
    case AccessPlan::Kind::FullScan:
      if (!(plan_.descending ? tableCursor_.last() : tableCursor_.first())) return false;
      return nextInTable();
  }
  return false;
}

// Positions the index cursor on the first entry of the range and reads its row.
bool RowScanner::seekIndexRange() {
  if (!prepareIndexRange()) return false;
  if (!indexCursor_) indexCursor_ = std::make_unique<Cursor>(btree_, plan_.index->root, false);
  std::string from = prefix_;
  int order;
  if (!plan_.descending) {
    if (lowerSegment_) {
      from += *lowerSegment_;
    } else if (upperSegment_) {
      from += 'b';  // after the NULLs
    }
    order = indexCursor_->seek(from);
    if (!indexCursor_->valid()) return false;
    if (order < 0 && !indexCursor_->next()) return false;
  } else {
    if (upperSegment_) from += *upperSegment_;
    if (upperSegment_ || !prefix_.empty()) {
      from += kAfterAnySuffix;
      order = indexCursor_->seek(from);
      if (!indexCursor_->valid()) return false;
      if (order > 0 && !indexCursor_->previous()) return false;
    } else if (!indexCursor_->last()) {
      return false;
    }
  }
  return nextInIndex();
}

// The index entries equal to each listed value in turn, compared as the index compares
// them (on a numeric column '007' is found by 7).
bool RowScanner::seekNextListedValue() {
  while (nextListed_ < listed_.size()) {
    std::string_view text = listed_[nextListed_++];
    prefix_.clear();
    appendIndexSegment(prefix_, &text, plan_.index->textColumns[0]);
    positioned_ = false;
    if (seekIndexRange()) return true;
  }
  return false;
}

bool RowScanner::nextListedRowNumber() {
  while (nextListed_ < listed_.size()) {
    std::optional<int32_t> rowNumber = exactRowNumber(listed_[nextListed_++]);
    if (rowNumber && loadRow(*rowNumber)) return true;
  }
  return false;
}

// Called with the cursor on a candidate entry (first call) or on the previous row.
bool RowScanner::nextInTable() {
  if (positioned_) {
    // Not the first call for this walk: step on.
    if (!(plan_.descending ? tableCursor_.previous() : tableCursor_.next())) return false;
  }
  positioned_ = true;
  if (!tableCursor_.valid()) return false;
  if (plan_.kind == AccessPlan::Kind::FullScan && !filterReadsRowNumber_) {
    rowNumberPending_ = true;
  } else {
    int32_t rowNumber = decodeTableKey(tableCursor_.key());
    if (rowNumber < firstRowNumber_ || rowNumber > lastRowNumber_) return false;
    context_.rowNumber = rowNumber;
  }
  if (!loadLocalRow() && !loadLeadingColumns()) loadCurrentTableRow();
  return true;
}

// A record held whole on its page is read where it lies, which costs nothing until a column
// is asked for. Holding the page keeps it good until the next row, even when a statement run
// from a row callback fails and the cursor lets go of its place meanwhile.
bool RowScanner::loadLocalRow() {
  std::string_view bytes, key;
  localKey_.reset();
  if (!tableCursor_.localData(bytes, recordPage_, &key)) return false;
  localKey_ = key;
  record_.emplace(bytes);
  context_.record = &*record_;
  context_.partial = nullptr;
  return true;
}

// Reads only the first bytes of the record when they hold every column the WHERE terms read:
// most rows of a walk fail them and are never read further. A walk whose rows seldom fit
// stops trying.
bool RowScanner::loadLeadingColumns() {
  if (filterColumn_ < 0 || prefixMisses_ > prefixHits_ + kPrefixPatience) return false;
  size_t length = tableCursor_.dataSize();
  prefixBytes_ = tableCursor_.data(0, std::min(length, kPrefixBytes));
  partial_ = PartialRecord(prefixBytes_, length);
  if (!partial_.covers(static_cast<size_t>(filterColumn_))) {
    ++prefixMisses_;
    return false;
  }
  ++prefixHits_;
  localKey_.reset();
  context_.record = nullptr;
  context_.partial = &partial_;
  return true;
}

bool RowScanner::nextInIndex() {
  bool stepFirst = positioned_;
  positioned_ = true;
  for (;;) {
    if (stepFirst && !(plan_.descending ? indexCursor_->previous() : indexCursor_->next())) {
      return false;
    }
    stepFirst = true;
    if (!indexCursor_->valid()) return false;
    std::string key = indexCursor_->key();
    Place place = placeOf(key);
    Place ahead = plan_.descending ? Place::After : Place::Before;
    if (place == ahead) continue;  // not reached the range yet
    if (place != Place::Inside) return false;
    if (skipsColumns_) {
      context_.rowNumber = trailingRowNumber(key);
      record_.emplace(std::string_view());
      context_.record = &*record_;
      context_.partial = nullptr;
      return true;
    }
    if (loadRow(trailingRowNumber(key))) return true;
    throw Error(SQLITE_CORRUPT);  // an index entry without its row
  }
}

bool RowScanner::loadRow(int32_t rowNumber) {
  char key[kTableKeySize];
  writeTableKey(key, rowNumber);
  if (tableCursor_.seek(std::string_view(key, kTableKeySize)) != 0 || !tableCursor_.valid()) {
    return false;
  }
  context_.rowNumber = rowNumber;
  loadCurrentTableRow();
  return true;
}

void RowScanner::loadCurrentTableRow() {
  if (loadLocalRow()) return;
  tableCursor_.readData(recordBytes_);
  record_.emplace(recordBytes_);
  context_.record = &*record_;
  context_.partial = nullptr;
}

// Evaluates the constant values of the index range. False when one is NULL: nothing compares
// equal to NULL, nor above or below it.
bool RowScanner::prepareIndexRange() {
  const Index& index = *plan_.index;
  size_t position = 0;
  for (const CompiledExpr* valueExpr : plan_.equalValues) {
    SqlValue value = valueExpr->evaluate(*outer_);
    if (value.isNull()) return false;
    std::string_view text = value.text();
    appendIndexSegment(prefix_, &text, index.textColumns[position++]);
  }
  auto segment = [&](const IndexBound& bound, std::optional<std::string>& out) {
    SqlValue value = bound.value->evaluate(*outer_);
    if (value.isNull()) return false;
    std::string_view text = value.text();
    out.emplace();
    appendIndexSegment(*out, &text, index.textColumns[position]);
    return true;
  };
  if (plan_.lower) {
    if (!segment(*plan_.lower, lowerSegment_)) return false;
    lowerInclusive_ = plan_.lower->inclusive;
  }
  if (plan_.upper) {
    if (!segment(*plan_.upper, upperSegment_)) return false;
    upperInclusive_ = plan_.upper->inclusive;
  }
  return true;
}

// Where an index entry stands relative to the range the plan asks for.
RowScanner::Place RowScanner::placeOf(const std::string& key) const {
  if (!startsWith(key, prefix_)) return key < prefix_ ? Place::Before : Place::After;
  std::string_view rest = std::string_view(key).substr(prefix_.size());
  if (lowerSegment_) {
    if (startsWith(rest, *lowerSegment_)) {
      if (!lowerInclusive_) return Place::Before;
    } else if (rest < *lowerSegment_) {
      return Place::Before;
    }
  } else if (upperSegment_ && !rest.empty() && rest[0] == 'a') {
    return Place::Before;  // NULL is below no bound
  }
  if (upperSegment_) {
    if (startsWith(rest, *upperSegment_)) {
      if (!upperInclusive_) return Place::After;
    } else if (rest > *upperSegment_) {
      return Place::After;
    }
  }
  return Place::Inside;
}

// Narrows the walk to the row numbers the bounds allow. The bounds are checked again on each
// row, so only numbers narrow here; a NULL bound admits no row at all.
bool RowScanner::rowNumberBounds() {
  for (const IndexBound& bound : plan_.rowNumberLower) {
    SqlValue value = bound.value->evaluate(*outer_);
    if (value.isNull()) return false;
    if (!looksLikeNumber(value.text())) continue;
    double limit = std::floor(numericValue(value.text()));
    if (limit > static_cast<double>(firstRowNumber_)) {
      firstRowNumber_ =
          limit > INT32_MAX ? static_cast<int64_t>(INT32_MAX) + 1 : static_cast<int64_t>(limit);
    }
  }
  for (const IndexBound& bound : plan_.rowNumberUpper) {
    SqlValue value = bound.value->evaluate(*outer_);
    if (value.isNull()) return false;
    if (!looksLikeNumber(value.text())) continue;
    double limit = std::ceil(numericValue(value.text()));
    if (limit < static_cast<double>(lastRowNumber_)) {
      lastRowNumber_ =
          limit < INT32_MIN ? static_cast<int64_t>(INT32_MIN) - 1 : static_cast<int64_t>(limit);
    }
  }
  return firstRowNumber_ <= lastRowNumber_;
}

}  // namespace sqlite2
