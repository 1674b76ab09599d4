#include "db/catalogue.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "db/catalogue_statements.h"
#include "db/statement_text.h"
#include "db/transaction.h"

namespace {

// A text column's bytes; NULL reads as the empty text.
std::string columnBytes(const CppSQLiteTable& table, int column) {
  const char* value = table.fieldText(column);
  return value ? value : "";
}

void readText(std::string bytes, const CodePage& codePage, std::string& text) {
  text = codePage.decodesUnchanged(bytes) ? std::move(bytes) : codePage.decode(bytes);
}

void readText(std::string bytes, const CodePage& codePage, FileText& text) {
  text = FileText::fromFile(std::move(bytes), codePage);
}

void readId(const CppSQLiteTable& table, int column, int& id) {
  id = table.fieldInt(column);
}

// A whole number in int's range, blanks around it allowed; anything else is no id.
void readId(const CppSQLiteTable& table, int column, std::optional<int>& id) {
  id.reset();
  const char* text = table.fieldText(column);
  if (!text) return;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (end == text || errno == ERANGE || value < INT_MIN || value > INT_MAX) return;
  while (std::isspace(static_cast<unsigned char>(*end))) ++end;
  if (*end == '\0') id = static_cast<int>(value);
}

// A table with rows and fewer columns than its reader takes is not a plugin file's table. The
// read of the first missing column would fail with the same text.
void requireColumns(const CppSQLiteTable& table, int columns) {
  if (table.rowCount() > 0 && table.columnCount() < columns) {
    throw CppSQLiteException(CPPSQLITE_ERROR, "Invalid field index requested", false,
                             FailureKind::kNotPluginFile);
  }
}

// Room for `rows` more entries in each list, so that a large load moves nothing around.
template <typename... Lists>
void reserveMore(int rows, Lists&... lists) {
  (lists.reserve(lists.size() + static_cast<std::size_t>(rows)), ...);
}

template <typename ParentId, typename Text>
void loadTypeRows(CppSQLiteDB& db, std::vector<int>& ids, std::vector<ParentId>& parentIds,
                  std::vector<Text>& names, const CodePage& codePage) {
  CppSQLiteTable table = db.queryTable(kSelectCategoriesStatement);
  requireColumns(table, 3);
  reserveMore(table.rowCount(), ids, parentIds, names);
  for (int row = 0; row < table.rowCount(); ++row) {
    table.selectRow(row);
    int id = table.fieldInt(0);
    ParentId parentId;
    readId(table, 1, parentId);
    Text name;
    readText(columnBytes(table, 2), codePage, name);
    ids.push_back(id);
    parentIds.push_back(parentId);
    names.push_back(std::move(name));
  }
}

template <typename Text>
void loadItemRows(CppSQLiteDB& db, int typeId, std::vector<int>& ids, std::vector<Text>& names,
                  std::vector<Text>& urls, std::vector<Text>& imageUrls, const CodePage& codePage) {
  CppSQLiteTable table = db.queryTable(formatStatement(kSelectVideosStatement, {typeId}).c_str());
  requireColumns(table, 5);
  reserveMore(table.rowCount(), ids, names, urls, imageUrls);
  for (int row = 0; row < table.rowCount(); ++row) {
    table.selectRow(row);
    int id = table.fieldInt(0);
    Text name, url, imageUrl;
    readText(columnBytes(table, 2), codePage, name);
    readText(columnBytes(table, 3), codePage, url);
    readText(columnBytes(table, 4), codePage, imageUrl);
    ids.push_back(id);
    names.push_back(std::move(name));
    urls.push_back(std::move(url));
    imageUrls.push_back(std::move(imageUrl));
  }
}

void run(CppSQLiteDB& db, const std::string& statement) {
  db.runStatement(statement.c_str());
}

}  // namespace

void DeleteTypeRows(CppSQLiteDB& db, int typeId) {
  ScopedTransaction transaction(db);
  run(db, formatStatement(kDeleteCategoryVideosStatement, {typeId}));
  run(db, formatStatement(kDeleteCategoryStatement, {typeId}));
  transaction.commit();
}

void LoadTypeRows(CppSQLiteDB& db, std::vector<int>& ids, std::vector<int>& parentIds,
                  std::vector<std::string>& names, const CodePage& codePage) {
  loadTypeRows(db, ids, parentIds, names, codePage);
}

void LoadTypeRows(CppSQLiteDB& db, std::vector<int>& ids, std::vector<int>& parentIds,
                  std::vector<FileText>& names, const CodePage& codePage) {
  loadTypeRows(db, ids, parentIds, names, codePage);
}

void LoadTypeRows(CppSQLiteDB& db, std::vector<int>& ids,
                  std::vector<std::optional<int>>& parentIds, std::vector<FileText>& names,
                  const CodePage& codePage) {
  loadTypeRows(db, ids, parentIds, names, codePage);
}

void LoadItemRows(CppSQLiteDB& db, int typeId, std::vector<int>& ids,
                  std::vector<std::string>& names, std::vector<std::string>& urls,
                  std::vector<std::string>& imageUrls, const CodePage& codePage) {
  loadItemRows(db, typeId, ids, names, urls, imageUrls, codePage);
}

void LoadItemRows(CppSQLiteDB& db, int typeId, std::vector<int>& ids, std::vector<FileText>& names,
                  std::vector<FileText>& urls, std::vector<FileText>& imageUrls,
                  const CodePage& codePage) {
  loadItemRows(db, typeId, ids, names, urls, imageUrls, codePage);
}

int InsertTypeRow(CppSQLiteDB& db, int parentId, const std::string& name,
                  const CodePage& codePage) {
  std::string nameBytes = codePage.encode(name);
  run(db, formatStatement(kInsertCategoryStatement, {parentId, nameBytes}));
  return db.lastInsertRowId();
}

void UpdateTypeRow(CppSQLiteDB& db, int id, const std::string& name, const CodePage& codePage) {
  UpdateTypeRow(db, id, FileText(name), codePage);
}

void UpdateTypeRow(CppSQLiteDB& db, int id, const FileText& name, const CodePage& codePage) {
  std::string nameBytes = name.fileBytes(codePage);
  run(db, formatStatement(kUpdateCategoryStatement, {nameBytes, id}));
}

int InsertItemRow(CppSQLiteDB& db, int typeId, const std::string& name, const std::string& url,
                  const std::string& imageUrl, const CodePage& codePage) {
  std::string nameBytes = codePage.encode(name);
  std::string urlBytes = codePage.encode(url);
  std::string imageUrlBytes = codePage.encode(imageUrl);
  run(db, formatStatement(kInsertVideoStatement, {typeId, nameBytes, urlBytes, imageUrlBytes}));
  return db.lastInsertRowId();
}

void UpdateItemRow(CppSQLiteDB& db, int id, const std::string& name, const std::string& url,
                   const std::string& imageUrl, const CodePage& codePage) {
  UpdateItemRow(db, id, FileText(name), FileText(url), FileText(imageUrl), codePage);
}

void UpdateItemRow(CppSQLiteDB& db, int id, const FileText& name, const FileText& url,
                   const FileText& imageUrl, const CodePage& codePage) {
  std::string nameBytes = name.fileBytes(codePage);
  std::string urlBytes = url.fileBytes(codePage);
  std::string imageUrlBytes = imageUrl.fileBytes(codePage);
  run(db, formatStatement(kUpdateVideoStatement, {nameBytes, urlBytes, imageUrlBytes, id}));
}

void DeleteItemRow(CppSQLiteDB& db, int id) {
  run(db, formatStatement(kDeleteVideoStatement, {id}));
}

void MoveTypeRow(CppSQLiteDB& db, int id, int parentId) {
  run(db, formatStatement(kMoveCategoryStatement, {parentId, id}));
}

void MoveItemRow(CppSQLiteDB& db, int id, int typeId) {
  run(db, formatStatement(kMoveVideoStatement, {typeId, id}));
}

void LoadAllItemRows(CppSQLiteDB& db, std::vector<StoredVideo>& videos) {
  CppSQLiteTable table = db.queryTable(kSelectAllVideosStatement);
  requireColumns(table, 5);
  reserveMore(table.rowCount(), videos);
  for (int row = 0; row < table.rowCount(); ++row) {
    table.selectRow(row);
    StoredVideo video;
    video.id = table.fieldInt(0);
    readId(table, 1, video.parentId);
    video.name = columnBytes(table, 2);
    video.url = columnBytes(table, 3);
    video.imageUrl = columnBytes(table, 4);
    videos.push_back(std::move(video));
  }
}
