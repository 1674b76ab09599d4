#pragma once

// The objects of a database as the dot commands list them: read from sqlite_master (and
// sqlite_temp_master where the engine has one), chosen by LIKE patterns and ordered as
// SQLite 2.8's shell orders them.

#include <cstdio>
#include <string>
#include <vector>

#include "sqlite.h"

namespace orvalen::tools {

struct SchemaEntry {
  std::string type;  // table, index, view or trigger
  std::string name;
  std::string tableName;  // the table an index or trigger belongs to; a table's own name
  std::string sql;
  bool hasSql = false;  // false for the indexes made for UNIQUE and PRIMARY KEY
  bool temporary = false;
};

// The entries of sqlite_master, then those of sqlite_temp_master when withTemporary; false
// with *error set when sqlite_master cannot be read.
bool readSchema(sqlite* db, bool withTemporary, std::vector<SchemaEntry>* entries,
                std::string* error);

// SQLite's LIKE: '%' matches any run of bytes, '_' any one byte, letters A-Z match either
// case; every other byte (code page texts included) only itself.
bool likeMatches(const std::string& pattern, const std::string& text);

// The number of columns that a CREATE TABLE statement declares (its table constraints not
// counted); 0 when the text is not one.
int declaredColumnCount(const std::string& createTable);

// Whether two names are the same to SQLite: letters A-Z match either case.
bool sameName(const std::string& a, const std::string& b);

// Tables first, then views, indexes and triggers, each group by name: the order in which
// every object can be created from the one before.
void sortForCreation(std::vector<SchemaEntry>* entries);

}  // namespace orvalen::tools
