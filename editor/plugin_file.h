#pragma once

// Opening a plugin file for the editor.

#include <string>

#include "db/database.h"

namespace orvalen {

// Opens path on db and makes sure it is a plugin file: a database holding the tables
// tb_type_list and tb_item_list. On failure it raises CppSQLiteException with db closed. A
// path that names no file is refused before opening, so a wrong path leaves nothing behind.
void OpenPluginFile(CppSQLiteDB& db, const std::string& path);

}  // namespace orvalen
