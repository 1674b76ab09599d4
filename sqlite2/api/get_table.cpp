#include <cstdlib>

#include "api/c_text.h"
#include "api/connection.h"
#include "api/edge.h"
#include "api/result_table.h"
#include "common/error.h"

namespace {

constexpr const char* kIncompatibleQueries =
    "sqlite_get_table() called with two or more incompatible queries";

void clearOutputs(char*** result, int* rowCount, int* columnCount) {
  if (result) *result = nullptr;
  if (rowCount) *rowCount = 0;
  if (columnCount) *columnCount = 0;
}

}  // namespace

int sqlite_get_table(sqlite* db, const char* sql, char*** result, int* rowCount, int* columnCount,
                     char** errmsg) {
  if (errmsg) *errmsg = nullptr;
  clearOutputs(result, rowCount, columnCount);
  if (!sqlite2::api::isUsable(db) || !sql || !result) return sqlite2::api::reportMisuse(errmsg);
  sqlite2::api::ActiveCall call(db);
  sqlite2::api::ResultTable table;
  bool incompatible = false;
  int rc = sqlite2::api::runAtEdge(errmsg, [&] {
    db->database->execute(sql,
                          [&](int columns, const char* const* values, const char* const* names) {
                            incompatible = !table.addRow(columns, values, names);
                            return !incompatible;
                          });
  });
  if (incompatible) {
    // The stop was ours, not the caller's: report it as the library does.
    std::free(errmsg ? *errmsg : nullptr);
    sqlite2::api::storeMessage(errmsg, kIncompatibleQueries);
    return SQLITE_ERROR;
  }
  if (rc != SQLITE_OK) return rc;
  char** cells = table.release();
  if (!cells) {
    sqlite2::api::storeMessage(errmsg, sqlite2::resultCodeText(SQLITE_NOMEM));
    return SQLITE_NOMEM;
  }
  *result = cells;
  if (rowCount) *rowCount = table.rowCount();
  if (columnCount) *columnCount = table.columnCount() < 0 ? 0 : table.columnCount();
  return SQLITE_OK;
}

void sqlite_free_table(char** result) {
  sqlite2::api::freeResultArray(result);
}
