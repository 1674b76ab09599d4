#pragma once

// The statements that change the schema: CREATE and DROP of tables, indexes, views and triggers.
// Each statement runs inside the transaction the caller opened (a write statement) or with the file
// at least share-locked (a read).

#include <memory>
#include <string_view>

#include "sql/text/ast.h"

namespace sqlite2 {

struct Session;
struct Table;

void runCreateTable(Session& session, const CreateTable& create, std::string_view text);
// CREATE TABLE ... AS SELECT, its name checked: the table made from the query and filled.
void runCreateTableAs(Session& session, const CreateTable& create);
void runCreateIndex(Session& session, const CreateIndex& create, std::string_view text);
void runDropTable(Session& session, const DropTable& drop);
void runDropIndex(Session& session, const DropIndex& drop);
void runCreateView(Session& session, const CreateView& create, std::string_view text);
void runDropView(Session& session, const DropView& drop);
void runCreateTrigger(Session& session, const CreateTrigger& create, std::string_view text);
// The table CREATE TRIGGER names, as its header (before BEGIN) asks for it; the mistake
// otherwise (no such table, a system table, a view for BEFORE, ...).
std::shared_ptr<Table> triggerTable(Session& session, const CreateTrigger& create);
void runDropTrigger(Session& session, const DropTrigger& drop);

}  // namespace sqlite2
