#pragma once

// The catalogue of a plugin file: categories in tb_type_list, videos in tb_item_list.
// Every routine runs the statements of db/catalogue_statements.h through the connection.
//
// Texts in and out are UTF-8; they cross into and out of the file's code page here (the last
// parameter, by default the plugin file code page of db/code_page.h). A text the code page
// cannot hold raises CPPSQLITE_ERROR before anything is written. The loads decode bytes that
// do not fit the code page as U+FFFD; the FileText forms keep the file's bytes so that an
// unedited text is written back as it was (db/file_text.h).
//
// The lists given to the loads are only appended to, a whole row at a time: after a failure
// they hold the rows read before it.

#include <optional>
#include <string>
#include <vector>

#include "db/code_page.h"
#include "db/database.h"
#include "db/file_text.h"

// Deletes a category's own videos and its own row, together or not at all. Sub-categories are
// the caller's; it can delete a branch in one transaction by holding a ScopedTransaction
// (db/transaction.h) around its calls.
void DeleteTypeRows(CppSQLiteDB& db, int typeId);

// Every category in id order.
void LoadTypeRows(CppSQLiteDB& db, std::vector<int>& ids, std::vector<int>& parentIds,
                  std::vector<std::string>& names,
                  const CodePage& codePage = CodePage::forPluginFiles());
void LoadTypeRows(CppSQLiteDB& db, std::vector<int>& ids, std::vector<int>& parentIds,
                  std::vector<FileText>& names,
                  const CodePage& codePage = CodePage::forPluginFiles());
// The same, with nothing for a parent id that is NULL or not a whole number (a file written
// elsewhere may hold such), where the forms above read 0 or the leading digits.
void LoadTypeRows(CppSQLiteDB& db, std::vector<int>& ids,
                  std::vector<std::optional<int>>& parentIds, std::vector<FileText>& names,
                  const CodePage& codePage = CodePage::forPluginFiles());

// The videos of one category (-1: those stored under the root), in id order.
void LoadItemRows(CppSQLiteDB& db, int typeId, std::vector<int>& ids,
                  std::vector<std::string>& names, std::vector<std::string>& urls,
                  std::vector<std::string>& imageUrls,
                  const CodePage& codePage = CodePage::forPluginFiles());
void LoadItemRows(CppSQLiteDB& db, int typeId, std::vector<int>& ids, std::vector<FileText>& names,
                  std::vector<FileText>& urls, std::vector<FileText>& imageUrls,
                  const CodePage& codePage = CodePage::forPluginFiles());

// Inserts a category (parent -1: at the top level) and returns its new id.
int InsertTypeRow(CppSQLiteDB& db, int parentId, const std::string& name,
                  const CodePage& codePage = CodePage::forPluginFiles());
void UpdateTypeRow(CppSQLiteDB& db, int id, const std::string& name,
                   const CodePage& codePage = CodePage::forPluginFiles());
void UpdateTypeRow(CppSQLiteDB& db, int id, const FileText& name,
                   const CodePage& codePage = CodePage::forPluginFiles());

// Inserts a video into a category (-1: under the root) and returns its new id.
int InsertItemRow(CppSQLiteDB& db, int typeId, const std::string& name, const std::string& url,
                  const std::string& imageUrl,
                  const CodePage& codePage = CodePage::forPluginFiles());
void UpdateItemRow(CppSQLiteDB& db, int id, const std::string& name, const std::string& url,
                   const std::string& imageUrl,
                   const CodePage& codePage = CodePage::forPluginFiles());
void UpdateItemRow(CppSQLiteDB& db, int id, const FileText& name, const FileText& url,
                   const FileText& imageUrl, const CodePage& codePage = CodePage::forPluginFiles());
void DeleteItemRow(CppSQLiteDB& db, int id);

// Moves a category under another parent (-1: to the top level), with its branch.
void MoveTypeRow(CppSQLiteDB& db, int id, int parentId);
// Moves a video into another category (-1: under the root).
void MoveItemRow(CppSQLiteDB& db, int id, int typeId);

// A video with its texts as the file holds them, not decoded.
struct StoredVideo {
  int id = 0;
  std::optional<int> parentId;  // nothing for NULL or a text that is no whole number
  std::string name, url, imageUrl;
};
// Every video, in id order, for a search through the whole catalogue.
void LoadAllItemRows(CppSQLiteDB& db, std::vector<StoredVideo>& videos);
