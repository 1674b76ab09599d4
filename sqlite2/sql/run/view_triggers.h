#pragma once

// INSERT, UPDATE and DELETE on a view that has INSTEAD OF triggers for them: each row the
// statement would change is handed to the triggers instead, under NEW and OLD. Nothing is
// counted as changed; but PRAGMA count_changes reports, for INSERT and DELETE, the rows handed
// over that no RAISE(IGNORE) stopped, as SQLite 2.8 does for INSERT (its DELETE reports the
// place of the last row chosen in the view, a wrong number once WHERE skips rows). UPDATE
// reports none, as there.

#include "sql/run/trigger_firing.h"
#include "sql/schema/schema.h"
#include "sql/text/ast.h"

namespace sqlite2 {

struct Session;

void insertIntoView(Session& session, const Table& view, const Insert& insert,
                    RowTriggers& triggers);
// The rows are the view's, chosen by the WHERE clause before any trigger runs.
void updateView(Session& session, const Table& view, const Update& update, RowTriggers& triggers);
void deleteFromView(Session& session, const Table& view, const Delete& del, RowTriggers& triggers);

}  // namespace sqlite2
