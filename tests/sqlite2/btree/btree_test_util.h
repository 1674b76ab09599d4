#pragma once

#include <string>
#include <vector>

#include "btree/btree.h"
#include "record/value.h"

namespace orvalen::test {

// Inserts a schema row (type, name, tbl_name, rootpage, sql) as row `rowNumber` of page 2.
void insertSchemaRow(sqlite2::Btree& btree, int32_t rowNumber, const std::string& type,
                     const std::string& name, const std::string& table, sqlite2::PageNumber root,
                     const sqlite2::Value& sql);

// Every (key, data) of a tree in cursor order.
std::vector<std::pair<std::string, std::string>> treeEntries(sqlite2::Btree& btree,
                                                             sqlite2::PageNumber root);

// The integrity problems joined by newlines ("" when sound).
std::string integrityProblems(sqlite2::Btree& btree, const std::vector<sqlite2::PageNumber>& roots);

}  // namespace orvalen::test
