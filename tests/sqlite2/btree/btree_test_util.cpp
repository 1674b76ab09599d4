#include "btree_test_util.h"

#include "record/row_record.h"
#include "record/table_key.h"

namespace orvalen::test {

using namespace sqlite2;

void insertSchemaRow(Btree& btree, int32_t rowNumber, const std::string& type,
                     const std::string& name, const std::string& table, PageNumber root,
                     const Value& sql) {
  Cursor schema(btree, kSchemaRoot, true);
  schema.insert(encodeTableKey(rowNumber),
                encodeRecord({type, name, table, std::to_string(root), sql}));
}

std::vector<std::pair<std::string, std::string>> treeEntries(Btree& btree, PageNumber root) {
  std::vector<std::pair<std::string, std::string>> entries;
  Cursor cursor(btree, root, false);
  for (bool on = cursor.first(); on; on = cursor.next()) {
    entries.emplace_back(cursor.key(), cursor.data());
  }
  return entries;
}

std::string integrityProblems(Btree& btree, const std::vector<PageNumber>& roots) {
  std::string joined;
  for (const std::string& problem : btree.checkIntegrity(roots)) {
    joined += (joined.empty() ? "" : "\n") + problem;
  }
  return joined;
}

}  // namespace orvalen::test
