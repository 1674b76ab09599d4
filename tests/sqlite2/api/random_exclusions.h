#pragma once

// The kinds of statement the random differential steers clear of, each with its reason: where
// SQLite 2.8.15 goes plainly wrong (and this engine does not follow it), crashes, or leaves
// its own file damaged, and where the whole grammar still finds the engines apart. Every
// other statement the generators can make must give the same outcome in both engines. The
// last kinds are told by their outcome rather than avoided (Exclusions::tolerates), and only
// in the whole grammar's runs.
//
// ORVALEN_RANDOM_UNEXCLUDE=name,name (or "all") lets the generators make the named kinds too,
// to count how often a long run meets them.

#include <cstdint>
#include <string>

#include "statement_outcome.h"

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
  EmptyColumnName,
  DerivedColumnTypes,
  SubqueryBesideSources,
  SubqueryInCompound,
  CompoundOrderOverJoin,
  LimitInSource,
  GroupByNumber,
  BeforeInsertKey,
  FirstErrorOrder,
  IgnoredDeleteCount,
  SortedSubqueryNull,
  DistinctSourceMerged,
  InnerJoinOuterTerms,
  RepeatedLookup,
  GroupWithoutAggregate,
  QuotedColumnName,
  LeftJoinMergedValues,
  ChangeCountsLive,
  UpdatedKeyInTrigger,
  LongRealInIndex,
  IndexEndWhileWriting,
  TempTableTriggerWhen,
  TempWriteFailingInTransaction,
  ViewInStoredSubquery,
  UsingInView,
  OtherDatabaseBeforeWrittenTable,
  LookupOrderInTriggers,
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
     "key order, and so does DISTINCT over groups choose which of equal rows it keeps (and "
     "then sorts by its keys): such rows are compared as sets and never written to a table"},
    {Exclusion::UsingWithAlias, "using-with-alias",
     "USING and NATURAL join only tables under their own names: 2.8 builds their terms from "
     "the table's name and refuses an alias with \"no such column\""},
    {Exclusion::LeftJoinOuterTerms, "left-join-outer-terms",
     "the ON terms of a LEFT JOIN read its own table: 2.8 takes a term that reads only the "
     "tables before it, or none, as a WHERE term and drops the left rows it fails (this "
     "engine keeps them)"},
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
     "12:00:00, garbles times before Julian day 0, moves times past 24:00 a day too far and "
     "counts the seconds ('%s') of a time before 1970 one too high"},
    {Exclusion::CopyShortLine, "copy-short-line",
     "COPY's file has no line of too few fields but the empty one: 2.8 fills the missing "
     "fields with leftovers of earlier lines (a lone quote, or the values of a line that "
     "starts with \\N) where they should be NULL"},
    {Exclusion::EmptyColumnName, "empty-column-name",
     "no column named by an empty text ('', or '' || x) in a stored query: 2.8 writes "
     "CREATE TABLE d(,x) for CREATE TABLE ... AS, a text it cannot read back"},
    {Exclusion::DerivedColumnTypes, "derived-column-types",
     "CREATE TABLE ... AS is followed by VACUUM, which makes 2.8 read its schema again: until "
     "then 2.8 compares and sorts every column of the new table as text, and once the file is "
     "opened again as the CREATE text written for it says"},
    {Exclusion::SubqueryBesideSources, "subquery-beside-sources",
     "a sub-select in FROM beside other sources is compared as a set of rows and has no LIMIT "
     "of its own, as 2.8 may nest its loop in another place; let through, they met 2.8 running "
     "for ever (a view joining a compound sub-select, read in a scalar sub-select) and "
     "crashing in VACUUM as it freed a view's query"},
    {Exclusion::SubqueryInCompound, "subquery-in-compound",
     "no sub-select in FROM of a compound's part, nor a view that reads one or sorts: 2.8 "
     "crashes in sqliteExprType, or loops, over some such compounds"},
    {Exclusion::CompoundOrderOverJoin, "compound-order-over-join",
     "no ORDER BY on a compound of which a part joins several sources: 2.8 crashes in "
     "sqliteExprType over some of them (a NATURAL LEFT JOIN in a part of a compound in FROM)"},
    {Exclusion::LimitInSource, "limit-in-source",
     "no LIMIT in a view or a sub-select in FROM: 2.8 merges such a query into the one "
     "reading it, whose WHERE then picks the rows before the LIMIT counts them"},
    {Exclusion::GroupByNumber, "group-by-number",
     "no GROUP BY term that is a bare number: it names a result column, and where that is an "
     "aggregate 2.8 groups by it and gives meaningless rows (this engine refuses it)"},
    {Exclusion::BeforeInsertKey, "before-insert-key",
     "a BEFORE INSERT trigger reads neither NEW.rowid nor the INTEGER PRIMARY KEY: under "
     "INSERT ... SELECT 2.8 gives there numbers unrelated to the row, which vary with its "
     "memory"},
    {Exclusion::FirstErrorOrder, "first-error-order",
     "a statement with several mistakes must fail in both with the same result code, but 2.8 "
     "may name another of them first: of two missing tables in views read after tables were "
     "dropped and views made again, or a missing table against a compound's misplaced ORDER BY; "
     "and where 2.8 refuses \"*\" over a column named by a text starting with a quote (a name "
     "read past its end, which this engine answers) before a constant ORDER BY term"},
    {Exclusion::IgnoredDeleteCount, "ignored-delete-count",
     "no RAISE(IGNORE) in a BEFORE DELETE trigger: under count_changes 2.8 then reports a row "
     "number for the rows deleted"},
    {Exclusion::SortedSubqueryNull, "sorted-subquery-null",
     "a sub-select read as a value over a view that sorts wraps its value in coalesce(): 2.8 "
     "gives an empty text for NULL where the rows of such a sub-select are sorted (its own "
     "ORDER BY, or one of a view or sub-select it reads), and this engine keeps the NULL"},
    {Exclusion::DistinctSourceMerged, "distinct-source-merged",
     "a SELECT whose one source is a view or sub-select that is a SELECT DISTINCT is a SELECT "
     "DISTINCT too: 2.8 merges such a source into the query reading it and makes that query's "
     "rows distinct (SELECT a + 0 FROM (SELECT DISTINCT a, b FROM t) drops a row), and this "
     "engine keeps every row"},
    {Exclusion::InnerJoinOuterTerms, "inner-join-outer-terms",
     "the ON terms of an inner join read its own table: 2.8 takes a term that reads only the "
     "right table of an earlier LEFT JOIN as a term of that LEFT JOIN, and keeps the left "
     "rows it fails with NULLs (this engine drops them); over a view or sub-select they go to "
     "the WHERE clause, as 2.8 merges it and may then take them as a LEFT JOIN's (its own, or "
     "an earlier one where the source's column is a constant)"},
    {Exclusion::RepeatedLookup, "repeated-lookup",
     "no IN list holds two values equal as numbers but written apart (7 and 7.0, 7 and '007'): "
     "on an index or the row number 2.8 looks both up and gives the row twice, and its UPDATE "
     "changes it twice (this engine gives it once)"},
    {Exclusion::GroupWithoutAggregate, "group-without-aggregate",
     "a query that groups but calls no aggregate function reads no view or sub-select in FROM "
     "and is read as none: 2.8 then gives meaningless rows (one row, whose HAVING reads NULL, "
     "or the rows ungrouped); such a query takes a HAVING count(*) > 0"},
    {Exclusion::QuotedColumnName, "quoted-column-name",
     "no column of a view, a sub-select in FROM or CREATE TABLE ... AS is named by a text that "
     "starts with a quote (''' X'): 2.8 reads such a name past its end when \"*\" or a name "
     "reads the column, and refuses with \"no such column\" (this engine answers), VACUUM of "
     "such a table included"},
    {Exclusion::LeftJoinMergedValues, "left-join-merged-values",
     "no LEFT JOIN of a view or sub-select of one source without WHERE whose columns are not "
     "all bare columns of it (it is joined as an inner join): 2.8 merges it into the query "
     "and gives such a column's value (59 AS r, coalesce(a, 5), a IS NULL) where no row "
     "matches, and takes an ON term that reads a constant one as a WHERE term (this engine "
     "gives NULL and keeps the left rows)"},
    {Exclusion::ChangeCountsLive, "change-counts-live",
     "change_count() and last_insert_rowid() are not read by INSERT ... SELECT or UPDATE, nor "
     "last_statement_change_count() after a COPY: 2.8 counts each row as it writes it, where "
     "this engine reads all its rows first; and 2.8's COPY leaves the last statement's count as it "
     "was and adds its rows to "
     "the next write's (this engine counts a COPY as the last statement)"},
    {Exclusion::LongRealInIndex, "long-real-in-index",
     "no division, avg() nor sum() in the values INSERT and UPDATE write, no arithmetic on "
     "123456789012345678 there, nor that number in the result columns of a stored query "
     "(written as 12345678): 2.8 makes the index entry of "
     "a real number of more than 15 digits from the whole number but stores 15 digits in the "
     "row, which integrity_check then reports missing from the index (this engine makes the "
     "entry from the row's text)"},
    {Exclusion::UpdatedKeyInTrigger, "updated-key-in-trigger",
     "an UPDATE trigger reads neither NEW.rowid nor the INTEGER PRIMARY KEY of NEW: where the "
     "UPDATE gives the key a value computed from the row (SET id = abs(id) + 1), 2.8 shows the "
     "old number there, or another (this engine shows the new one)"},
    {Exclusion::IndexEndWhileWriting, "index-end-while-writing",
     "no sub-select of INSERT or UPDATE reads an aggregate of a table without WHERE, nor is a "
     "stored query min() or max() alone of one table without WHERE (such queries take WHERE "
     "1): reading min() or max() from the end of an index, 2.8's INSERT ... SELECT writes no "
     "row, fails with \"may not be NULL\" although no row is written (the index of a TEMP "
     "table, or of the table written), or writes other rows than its SELECT gives"},
    {Exclusion::TempTableTriggerWhen, "temp-table-trigger-when",
     "no WHEN on a trigger of a TEMP table: where such a trigger that its WHEN skips writes a "
     "table of the file and another trigger of the table writes one before it, 2.8 fails the "
     "statement with \"SQL logic error or missing database\" and writes nothing"},
    {Exclusion::TempWriteFailingInTransaction, "temp-write-failing-in-transaction",
     "inside BEGIN, an INSERT into a TEMP table that has triggers is an INSERT OR IGNORE: where "
     "it fails, 2.8 undoes its row but keeps what its triggers wrote to the tables of the file "
     "(this engine undoes the whole statement)"},
    {Exclusion::ViewInStoredSubquery, "view-in-stored-subquery",
     "a sub-select inside a view's query reads no view: once that view is dropped, 2.8 keeps a "
     "pointer to it in the first view's query and crashes when it frees its schema (VACUUM, a "
     "COPY after DROP TABLE), as seen with a TEMP view reading, in a sub-select of its FROM, "
     "a view dropped since"},
    {Exclusion::UsingInView, "using-in-view",
     "a view joins no tables by USING or NATURAL: 2.8 writes their terms into the view's query "
     "with the tables' names, which stay there after the schema is read again and then name "
     "freed memory (\"no such column: `N.c0\")"},
    {Exclusion::OtherDatabaseBeforeWrittenTable, "other-database-before-written-table",
     "an INSERT ... SELECT reads the tables of the written table's database only (TEMP or the "
     "file): where its FROM reads one of the other before the table written, 2.8 fails with "
     "\"database table is locked\" once it has written a row (this engine writes them all)"},
    {Exclusion::LookupOrderInTriggers, "lookup-order-in-triggers",
     "the IN lists of DELETE and UPDATE on a table with triggers hold one value: 2.8 looks an "
     "IN list's values up on an index in the order of its hash table, which the triggers' "
     "rows show (this engine looks them up in the list's order)"},
};

// Which kinds the generators avoid in this run.
class Exclusions {
 public:
  // All of them, but for those ORVALEN_RANDOM_UNEXCLUDE names.
  static Exclusions fromEnvironment();
  bool avoid(Exclusion kind) const { return (avoided_ >> static_cast<int>(kind)) & 1u; }
  // Whether the two outcomes differ only in a way an excluded kind allows.
  bool tolerates(const StatementOutcome& ours, const StatementOutcome& reference) const;

 private:
  uint64_t avoided_ = ~uint64_t{0};
};

}  // namespace orvalen::test
