#include "sql/run/statement_families.h"

#include "sql/run/select_statement.h"
#include "sql/run/write_statements.h"

namespace sqlite2 {

namespace {

class StatementFamilies final : public NestedStatements {
 public:
  QueryRows collectSelect(Session& session, const Select& select) const override {
    return sqlite2::collectSelect(session, select);
  }
  void runSelectWithoutRows(Session& session, const Select& select) const override {
    sqlite2::runSelect(session, select, ResultRowCallback());
  }
  size_t prepareSelect(Session& session, const Select& select) const override {
    return sqlite2::prepareSelect(session, select);
  }
  void runInsert(Session& session, const Insert& insert) const override {
    sqlite2::runInsert(session, insert);
  }
  void runUpdate(Session& session, const Update& update) const override {
    sqlite2::runUpdate(session, update);
  }
  void runDelete(Session& session, const Delete& del) const override {
    sqlite2::runDelete(session, del);
  }
};

}  // namespace

const NestedStatements& statementFamilies() {
  static const StatementFamilies families;
  return families;
}

}  // namespace sqlite2
