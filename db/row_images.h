#pragma once

// Rows of a plugin file's catalogue exactly as the file holds them, so that an edit can be
// taken back and done again byte for byte.
//
// A RowImage is one row as "select *" gives it: every column, in the table's order, each value
// as its bytes (undecodable ones too), NULL kept apart from the empty text. An edit is
// recorded as a RowChange for each row it touched: the row's image before the edit and after
// it, nothing where the row did not exist.
//
// Invariants that the editor's undo history rests on:
//  (1) The images are read inside the edit's transaction, so "before" is exactly what the edit
//      changed and "after" exactly what it left.
//  (2) RestoreRows writes one side of a set of changes in one transaction, and only after it
//      has found every row of the set exactly as the other side says (same bytes, same NULLs,
//      same columns). Otherwise another program has changed those rows since: it writes
//      nothing and raises kRowsChangedElsewhere.
//  (3) A row is identified by its id (column 0), as every catalogue statement identifies it;
//      a restored row gets its old id back.

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CppSQLiteDB;

enum class CatalogueTable { kCategories, kVideos };

struct RowImage {
  // The table's column names as the row was read; shared by the rows of one read.
  std::shared_ptr<const std::vector<std::string>> columns;
  std::vector<std::optional<std::string>> values;

  // Column 1, parentid, as a whole number; nothing when it is NULL or no whole number.
  std::optional<int> parentId() const;
  // The value of a column as its bytes; NULL reads as the empty text.
  std::string bytes(std::size_t column) const;
  friend bool operator==(const RowImage& a, const RowImage& b);
  friend bool operator!=(const RowImage& a, const RowImage& b) { return !(a == b); }
};

struct RowChange {
  CatalogueTable table = CatalogueTable::kVideos;
  int id = 0;
  std::optional<RowImage> before;
  std::optional<RowImage> after;
};

enum class ChangeSide { kBefore, kAfter };

inline const std::optional<RowImage>& imageOn(const RowChange& change, ChangeSide side) {
  return side == ChangeSide::kBefore ? change.before : change.after;
}

// The rows of table with these ids, by id; ids that no row has are missing from the map.
std::map<int, RowImage> ReadRowImages(CppSQLiteDB& db, CatalogueTable table,
                                      const std::vector<int>& ids);

// Makes the rows of changes as `side` says, checking first that they are as the other side
// says (invariant 2). Runs in one transaction, or joins the caller's.
void RestoreRows(CppSQLiteDB& db, const std::vector<RowChange>& changes, ChangeSide side);

// Records the rows one edit touches. Inside the edit's transaction: name the rows before the
// statements change them (existing rows by id, or a category's videos; rows an insert makes by
// their new id afterwards), then finish() reads what the edit left of each.
class RowChangeRecorder {
 public:
  explicit RowChangeRecorder(CppSQLiteDB& db) : db_(db) {}

  void existingRows(CatalogueTable table, const std::vector<int>& ids);
  void existingRow(CatalogueTable table, int id) { existingRows(table, {id}); }
  // Every video that the select-videos statement gives for the category.
  void videosOfCategory(int typeId);
  void insertedRow(CatalogueTable table, int id);

  // The changes in the order the rows were named; rows the edit left as they were are left out.
  std::vector<RowChange> finish();

 private:
  void add(CatalogueTable table, int id, std::optional<RowImage> before);

  CppSQLiteDB& db_;
  std::vector<RowChange> changes_;
};
