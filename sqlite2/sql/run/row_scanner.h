#pragma once

// Walks the rows an access plan selects, one at a time, checking the remaining WHERE terms.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "btree/btree.h"
#include "record/row_record.h"
#include "sql/run/access_plan.h"
#include "sql/run/expression.h"
#include "sql/run/partial_record.h"

namespace sqlite2 {

class RowScanner {
 public:
  // outer: the rows of the tables walked further out in a join, which the plan's values may
  // read (null when there are none).
  RowScanner(Btree& btree, const Table& table, const AccessPlan& plan,
             const EvalContext* outer = nullptr);

  // Moves to the next row that satisfies the WHERE clause; false when there is none.
  bool next();
  // Starts the walk again (for the next row of the tables further out).
  void restart();
  // Rows found through an index are then not read from the table: nothing reads their
  // columns (only their row numbers, which the index holds). Their columns read as NULL.
  void skipColumns() { skipsColumns_ = true; }

  int32_t rowNumber() const { return context_.rowNumber; }
  const RecordView& record() const { return *record_; }
  // The current row for evaluating expressions.
  const EvalContext& context() const { return context_; }

 private:
  enum class Place { Before, Inside, After };

  bool nextCandidate();
  bool start();
  bool nextInTable();
  bool nextInIndex();
  bool seekIndexRange();
  bool seekNextListedValue();
  std::vector<std::string> distinctLookups(std::vector<std::string> texts) const;
  bool nextListedRowNumber();
  bool loadRow(int32_t rowNumber);
  void loadCurrentTableRow();
  bool loadLocalRow();
  bool loadLeadingColumns();
  bool prepareIndexRange();
  Place placeOf(const std::string& key) const;
  bool rowNumberBounds();

  Btree& btree_;
  const AccessPlan& plan_;
  const EvalContext* outer_;
  Cursor tableCursor_;
  std::unique_ptr<Cursor> indexCursor_;
  bool skipsColumns_ = false;
  bool started_ = false;
  bool finished_ = false;
  bool positioned_ = false;  // the cursor has given a candidate: the next one is a step on

  // Index range: the key prefix of the "=" columns and the bound segments after it.
  std::string prefix_;
  std::optional<std::string> lowerSegment_, upperSegment_;
  bool lowerInclusive_ = false, upperInclusive_ = false;
  // The values of the plan's IN term, and the next of them to look up.
  std::vector<std::string> listed_;
  size_t nextListed_ = 0;
  // Row number range (inclusive), narrowed from the plan's bounds.
  int64_t firstRowNumber_ = INT32_MIN, lastRowNumber_ = INT32_MAX;
  // Whether the WHERE terms read the row number: if not, a full walk reads it only for the
  // rows that pass.
  bool filterReadsRowNumber_ = false;
  bool rowNumberPending_ = false;

  // The leading bytes of the current record, when they are all the WHERE terms need (for
  // records that continue on overflow pages; others are read where they lie).
  static constexpr size_t kPrefixBytes = 15;  // what a std::string holds without allocating
  static constexpr int kPrefixPatience = 16;
  int filterColumn_ = -1;  // the highest column the WHERE terms read on a walk
  int prefixHits_ = 0, prefixMisses_ = 0;
  std::string prefixBytes_;
  PartialRecord partial_;

  std::string recordBytes_;  // a record copied off its pages; otherwise it is read in place,
  PageRef recordPage_;       // on this page, held so that the row outlives the cursor's place
  // The entry's key beside a record read in place, for a row number read after the filter.
  std::optional<std::string_view> localKey_;
  std::optional<RecordView> record_;
  EvalContext context_;
};

// The row number a value stands for when it is given as one: a number with no fraction in
// the 32-bit range ("1e3", "+5", "007", "9.0"). Nothing otherwise.
std::optional<int32_t> exactRowNumber(std::string_view text);

}  // namespace sqlite2
