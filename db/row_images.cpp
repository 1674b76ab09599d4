#include "db/row_images.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "db/catalogue_statements.h"
#include "db/database.h"
#include "db/statement_text.h"
#include "db/transaction.h"

namespace {

// Ids per query: the statement stays short, and each query still replaces hundreds of lookups.
constexpr std::size_t kIdsPerQuery = 500;

const char* tableName(CatalogueTable table) {
  return table == CatalogueTable::kCategories ? kCategoriesTable : kVideosTable;
}

std::string withTable(const char* pattern, CatalogueTable table) {
  std::string statement = pattern;
  const std::size_t at = statement.find("%t");
  return statement.replace(at, 2, tableName(table));
}

std::string quotedName(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

std::string valueText(const std::optional<std::string>& value) {
  return value ? quotedText(*value) : "NULL";
}

std::shared_ptr<const std::vector<std::string>> columnNames(const CppSQLiteTable& table) {
  auto names = std::make_shared<std::vector<std::string>>();
  for (int column = 0; column < table.columnCount(); ++column) {
    names->push_back(table.fieldName(column));
  }
  return names;
}

// Each row of a "select *" result with its id.
std::vector<std::pair<int, RowImage>> imagesOf(CppSQLiteTable& result) {
  std::vector<std::pair<int, RowImage>> images;
  if (result.rowCount() == 0) return images;
  const auto names = columnNames(result);
  for (int row = 0; row < result.rowCount(); ++row) {
    result.selectRow(row);
    RowImage image{names, {}};
    for (int column = 0; column < result.columnCount(); ++column) {
      const char* value = result.fieldText(column);
      image.values.push_back(value ? std::optional<std::string>(value) : std::nullopt);
    }
    images.emplace_back(result.fieldInt(0), std::move(image));
  }
  return images;
}

void readChunk(CppSQLiteDB& db, CatalogueTable table, const std::vector<int>& ids, std::size_t from,
               std::map<int, RowImage>& rows) {
  std::string statement = withTable(kSelectRowsWithIdsStart, table);
  const std::size_t end = std::min(ids.size(), from + kIdsPerQuery);
  for (std::size_t i = from; i < end; ++i) {
    if (i > from) statement += ',';
    statement += std::to_string(ids[i]);
  }
  statement += ");";
  CppSQLiteTable result = db.queryTable(statement.c_str());
  for (auto& [id, image] : imagesOf(result)) rows[id] = std::move(image);
}

[[noreturn]] void refuseChangedRows() {
  throw CppSQLiteException(FailureKind::kRowsChangedElsewhere,
                           "the rows are no longer as this window left them");
}

void checkRowsAre(CppSQLiteDB& db, const std::vector<RowChange>& changes, ChangeSide side) {
  for (CatalogueTable table : {CatalogueTable::kCategories, CatalogueTable::kVideos}) {
    std::vector<int> ids;
    for (const RowChange& change : changes) {
      if (change.table == table) ids.push_back(change.id);
    }
    if (ids.empty()) continue;
    const std::map<int, RowImage> current = ReadRowImages(db, table, ids);
    for (const RowChange& change : changes) {
      if (change.table != table) continue;
      const auto found = current.find(change.id);
      const std::optional<RowImage>& expected = imageOn(change, side);
      const bool present = found != current.end();
      if (present != expected.has_value() || (present && found->second != *expected)) {
        refuseChangedRows();
      }
    }
  }
}

std::string insertStatement(CatalogueTable table, const RowImage& row) {
  std::string names;
  std::string values;
  for (std::size_t column = 0; column < row.values.size(); ++column) {
    if (column > 0) {
      names += ", ";
      values += ", ";
    }
    names += quotedName(row.columns->at(column));
    values += valueText(row.values[column]);
  }
  return withTable(kInsertWholeRowStart, table) + names + ") values(" + values + ");";
}

std::string updateStatement(CatalogueTable table, int id, const RowImage& row) {
  std::string statement = withTable(kUpdateWholeRowStart, table);
  for (std::size_t column = 1; column < row.values.size(); ++column) {
    if (column > 1) statement += ", ";
    statement += quotedName(row.columns->at(column)) + "=" + valueText(row.values[column]);
  }
  return statement + " where id=" + std::to_string(id) + ";";
}

void writeRow(CppSQLiteDB& db, const RowChange& change, ChangeSide side) {
  const std::optional<RowImage>& target = imageOn(change, side);
  const std::optional<RowImage>& current =
      imageOn(change, side == ChangeSide::kBefore ? ChangeSide::kAfter : ChangeSide::kBefore);
  std::string statement;
  if (!target) {
    statement = formatStatement(withTable(kDeleteRowStatement, change.table), {change.id});
  } else if (!current) {
    statement = insertStatement(change.table, *target);
  } else {
    statement = updateStatement(change.table, change.id, *target);
  }
  db.runStatement(statement.c_str());
}

}  // namespace

std::optional<int> RowImage::parentId() const {
  if (values.size() < 2 || !values[1]) return std::nullopt;
  const char* text = values[1]->c_str();
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno == ERANGE || value < INT_MIN || value > INT_MAX) {
    return std::nullopt;
  }
  return static_cast<int>(value);
}

std::string RowImage::bytes(std::size_t column) const {
  return column < values.size() && values[column] ? *values[column] : std::string();
}

bool operator==(const RowImage& a, const RowImage& b) {
  if (a.values != b.values) return false;
  if (a.columns == b.columns) return true;
  return a.columns && b.columns && *a.columns == *b.columns;
}

std::map<int, RowImage> ReadRowImages(CppSQLiteDB& db, CatalogueTable table,
                                      const std::vector<int>& ids) {
  std::map<int, RowImage> rows;
  for (std::size_t from = 0; from < ids.size(); from += kIdsPerQuery) {
    readChunk(db, table, ids, from, rows);
  }
  return rows;
}

void RestoreRows(CppSQLiteDB& db, const std::vector<RowChange>& changes, ChangeSide side) {
  ScopedTransaction transaction(db);
  checkRowsAre(db, changes, side == ChangeSide::kBefore ? ChangeSide::kAfter : ChangeSide::kBefore);
  // Rows come back parents first: the changes hold them in the order the edit named them.
  for (const RowChange& change : changes) writeRow(db, change, side);
  transaction.commit();
}

void RowChangeRecorder::add(CatalogueTable table, int id, std::optional<RowImage> before) {
  changes_.push_back(RowChange{table, id, std::move(before), std::nullopt});
}

void RowChangeRecorder::existingRows(CatalogueTable table, const std::vector<int>& ids) {
  std::map<int, RowImage> rows = ReadRowImages(db_, table, ids);
  for (int id : ids) {
    const auto found = rows.find(id);
    add(table, id, found == rows.end() ? std::nullopt : std::optional<RowImage>(found->second));
  }
}

void RowChangeRecorder::videosOfCategory(int typeId) {
  CppSQLiteTable result = db_.queryTable(formatStatement(kSelectVideosStatement, {typeId}).c_str());
  for (auto& [id, image] : imagesOf(result)) add(CatalogueTable::kVideos, id, std::move(image));
}

void RowChangeRecorder::insertedRow(CatalogueTable table, int id) {
  add(table, id, std::nullopt);
}

std::vector<RowChange> RowChangeRecorder::finish() {
  for (CatalogueTable table : {CatalogueTable::kCategories, CatalogueTable::kVideos}) {
    std::vector<int> ids;
    for (const RowChange& change : changes_) {
      if (change.table == table) ids.push_back(change.id);
    }
    if (ids.empty()) continue;
    std::map<int, RowImage> after = ReadRowImages(db_, table, ids);
    for (RowChange& change : changes_) {
      if (change.table != table) continue;
      const auto found = after.find(change.id);
      if (found != after.end()) change.after = found->second;
    }
  }
  std::vector<RowChange> changed;
  for (RowChange& change : changes_) {
    if (change.before != change.after) changed.push_back(std::move(change));
  }
  changes_.clear();
  return changed;
}
