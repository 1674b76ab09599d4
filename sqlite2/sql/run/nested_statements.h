#pragma once

// The statements that run inside others: the sub-selects of expressions and the steps of
// triggers. Expressions and triggers sit below the statement families, which use them; they
// reach the families through this interface, which the session holds (Session::nested) and
// the connection fills with the families themselves (statement_families.h).

#include <cstddef>

#include "sql/run/query_rows.h"
#include "sql/text/ast.h"

namespace sqlite2 {

struct Session;

class NestedStatements {
 public:
  // A sub-select's rows (compound or not), gathered.
  virtual QueryRows collectSelect(Session& session, const Select& select) const = 0;
  // A trigger's SELECT step, run for what its expressions do (RAISE): its rows go nowhere.
  virtual void runSelectWithoutRows(Session& session, const Select& select) const = 0;
  // Resolves a SELECT's names as running it would, without running it; the number of its
  // result columns.
  virtual size_t prepareSelect(Session& session, const Select& select) const = 0;
  virtual void runInsert(Session& session, const Insert& insert) const = 0;
  virtual void runUpdate(Session& session, const Update& update) const = 0;
  virtual void runDelete(Session& session, const Delete& del) const = 0;

 protected:
  ~NestedStatements() = default;
};

}  // namespace sqlite2
