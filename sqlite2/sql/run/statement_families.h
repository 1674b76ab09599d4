#pragma once

// The statement families (select_statement.h, write_statements.h) as the statements nested in
// expressions and triggers reach them (nested_statements.h). The connection gives them to its
// session.

#include "sql/run/nested_statements.h"

namespace sqlite2 {

const NestedStatements& statementFamilies();

}  // namespace sqlite2
