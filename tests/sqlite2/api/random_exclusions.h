#pragma once

// The kinds of statement the random differential steers clear of, each with its reason: where
// SQLite 2.8.15 goes plainly wrong (and this engine does not follow it), crashes, or leaves
// its own file damaged. Every other statement the generators can make must give the same
// outcome in both engines.
//
// ORVALEN_RANDOM_UNEXCLUDE=name,name (or "all") lets the generators make the named kinds too,
// to count how often a long run meets them.

#include <string>

namespace orvalen::test {

enum class Exclusion {
  WideIntegers,
  RowNumberLimits,
  RowNumberNullBound,
  UniqueIndexInTransaction,
  FailingWriteInTransaction,
  GroupOrder,
  UsingWithAlias,
  LeftJoinOuterTerms,
  SubqueryColumnOfSource,
  OffsetWithoutFrom,
  DuplicateColumnNames,
  TriggerWritesOwnTable,
  NullInList,
  RoundOfHugeNumber,
  DateQuirks,
  CopyShortLine,
};

struct ExclusionInfo {
  Exclusion kind;
  const char* name;
  const char* reason;
};

inline constexpr ExclusionInfo kExclusions[] = {
    {Exclusion::WideIntegers, "wide-integers",
     "integers stay within 2^30 of zero and products are not compared: 2.8 compares two "
     "integers by subtracting them in 32 bits, so that 2147483647 < -6 holds there"},
    {Exclusion::RowNumberLimits, "row-number-limits",
     "no row number near the 32-bit limits: after the largest, 2.8 picks new row numbers at "
     "random, and its range searches near the smallest miss rows"},
    {Exclusion::RowNumberNullBound, "row-number-null-bound",
     "no NULL or beyond-32-bit bound on the row number: 2.8's search on the row number then "
     "takes nearly every row"},
    {Exclusion::UniqueIndexInTransaction, "unique-index-in-transaction",
     "no CREATE UNIQUE INDEX inside BEGIN: when it fails on duplicates, 2.8 keeps the index "
     "half built and commits it"},
    {Exclusion::FailingWriteInTransaction, "failing-write-in-transaction",
     "inside BEGIN, no write that can fail after its first row: 2.8 then loses track of the "
     "pages the statement added, which stay allocated but unused"},
    {Exclusion::GroupOrder, "group-order",
     "GROUP BY without ORDER BY gives 2.8's groups in the order of its hash table and ours in "
     "key order: such rows are compared as sets and never written to a table"},
    {Exclusion::UsingWithAlias, "using-with-alias",
     "USING and NATURAL join only tables under their own names: 2.8 builds their terms from "
     "the table's name and refuses an alias with \"no such column\""},
    {Exclusion::LeftJoinOuterTerms, "left-join-outer-terms",
     "the ON terms of a LEFT JOIN read its own table: 2.8 takes a term that reads only the "
     "tables before it, or none, as a WHERE term and drops the left rows it fails"},
    {Exclusion::SubqueryColumnOfSource, "subquery-column-of-source",
     "no sub-select among the result columns of a view or of a sub-select in FROM: 2.8 "
     "crashes when it merges such a query into the one reading it"},
    {Exclusion::OffsetWithoutFrom, "offset-without-from",
     "no OFFSET on a SELECT without FROM: 2.8 loops over it for ever"},
    {Exclusion::DuplicateColumnNames, "duplicate-column-names",
     "no two columns of one name in a view, a sub-select in FROM or CREATE TABLE ... AS: 2.8 "
     "reads every such column as the first of them"},
    {Exclusion::TriggerWritesOwnTable, "trigger-writes-own-table",
     "no trigger step writes its own trigger's table: 2.8 then fires none of that table's "
     "triggers while its newest one runs"},
    {Exclusion::NullInList, "null-in-list",
     "no NULL in an IN list: 2.8 takes it for an empty text, so that '' IN (NULL) is true"},
    {Exclusion::RoundOfHugeNumber, "round-of-huge-number",
     "round() of small numbers only: 2.8 prints its answer into a 100-byte buffer and crashes "
     "on 1e308"},
    {Exclusion::DateQuirks, "date-quirks",
     "the date and time functions read written dates only, and no bare date without a "
     "modifier or with 'weekday' goes to time() or datetime(): 2.8 shows such a date at "
     "12:00:00, garbles times before Julian day 0 and moves times past 24:00 a day too far"},
    {Exclusion::CopyShortLine, "copy-short-line",
     "COPY's file has no line of too few fields but the empty one: 2.8 fills the missing "
     "fields with leftovers of earlier lines (a lone quote, or the values of a line that "
     "starts with \\N) where they should be NULL"},
};

// Which kinds the generators avoid in this run.
class Exclusions {
 public:
  // All of them, but for those ORVALEN_RANDOM_UNEXCLUDE names.
  static Exclusions fromEnvironment();
  bool avoid(Exclusion kind) const { return (avoided_ >> static_cast<int>(kind)) & 1u; }

 private:
  unsigned avoided_ = ~0u;
};

}  // namespace orvalen::test
