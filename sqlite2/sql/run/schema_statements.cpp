#include "sql/run/schema_statements.h"

#include <string>
#include <vector>

#include "btree/btree.h"
#include "common/error.h"
#include "record/index_key.h"
#include "record/row_record.h"
#include "record/table_key.h"
#include "sql/run/session.h"
#include "sql/run/source_columns.h"
#include "sql/run/table_writer.h"
#include "sql/schema/view_query.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

// Adds a row to sqlite_master (or, for a temporary object, sqlite_temp_master): type, name,
// tbl_name, rootpage, sql.
void addSchemaRow(Session& session, bool temporary, const std::string& type,
                  const std::string& name, const std::string& tableName, PageNumber root,
                  const Value& sql) {
  TableWriter writer(session, *session.schema->schemaTableFor(temporary));
  std::vector<Value> row = {type, name, tableName, std::to_string(root), sql};
  writer.insertRow(writer.chooseRowNumber(), row);
}

// Deletes the sqlite_master (or sqlite_temp_master) rows that match.
template <typename Predicate>
void removeSchemaRows(Session& session, bool temporary, Predicate matches) {
  Cursor cursor(session.treeOf(*session.schema->schemaTableFor(temporary)), kSchemaRoot, true);
  bool more = cursor.first();
  while (more) {
    std::string data = cursor.data();
    RecordView record(data);
    if (matches(record)) {
      cursor.remove();
      more = cursor.next();
    } else {
      more = cursor.next();
    }
  }
}

bool fieldIs(const RecordView& record, size_t column, std::string_view expected) {
  std::optional<std::string_view> field = record.field(column);
  return field && sameName(*field, expected);
}

// A new table or view takes a name no table, view or index of any database has.
void requireNameFree(const Session& session, const std::string& name) {
  if (session.findTable(name)) throw Error(SQLITE_ERROR, "table " + name + " already exists");
  if (session.findIndex(name)) {
    throw Error(SQLITE_ERROR, "there is already an index named " + name);
  }
}

// A table of the file may have temporary triggers: they go with it from sqlite_temp_master.
// (Rows are matched by the trigger's name, whatever case its ON clause wrote the table's.)
void removeTemporaryTriggerRows(Session& session, const Table& table) {
  if (table.temporary) return;
  for (const std::shared_ptr<Trigger>& trigger : table.triggers) {
    if (!trigger->temporary) continue;
    const std::string& name = trigger->name;
    removeSchemaRows(session, true, [&name](const RecordView& row) {
      return fieldIs(row, 0, "trigger") && fieldIs(row, 1, name);
    });
  }
}

// Checks what CREATE VIEW checks before it stores the view: a view of the file reads the
// file's tables only ("view v cannot reference objects in database d"), and its column names
// can be worked out: every table of FROM (also in sub-selects of FROM, of a compound only in
// its last SELECT) exists, and every "t.*" names one of its query's tables. Throws Error
// with the reference library's text otherwise. Expressions are not resolved: a view of an
// unknown column is stored and fails when it is read.
void checkViewSources(Session& session, Table& view, const Select& select) {
  // A view of the file may only read that file: the other databases come and go with the
  // connection. This holds for every part of the query.
  if (!view.temporary) {
    forEachTableRead(select, [&](const FromItem& item) {
      if (!sameName(item.database, "main")) {
        throw Error(SQLITE_ERROR,
                    "view " + view.name + " cannot reference objects in database " + item.database);
      }
    });
  }
  // The tables are looked up as the view's column names are worked out: of a compound, only
  // those of its last SELECT.
  std::vector<std::string> names = sourceColumnNames(session, select);
  if (view.temporary) view.keptColumnNames = std::move(names);
}

}  // namespace

// The table a trigger is made on, checked as the reference library checks it.
std::shared_ptr<Table> triggerTable(Session& session, const CreateTrigger& create) {
  if (session.attached.find(create.database)) {
    // Attached files come and go with the connection; their schema is not changed. (SQLite
    // 2.8 lets a temporary trigger watch an attached table; this engine does not.)
    if (!create.temporary) {
      throw Error(SQLITE_ERROR,
                  "triggers may not be added to auxiliary database " + create.database);
    }
    throw Error(SQLITE_ERROR,
                "temporary triggers on tables of attached databases are not supported");
  }
  std::shared_ptr<Table> table = session.schema->findTable(create.table);
  bool wrongDatabase = table && ((sameName(create.database, "temp") && !table->temporary) ||
                                 (sameName(create.database, "main") && table->temporary));
  if (!table || wrongDatabase) {
    std::string prefix = create.database.empty() ? "" : create.database + ".";
    throw Error(SQLITE_ERROR, "no such table: " + prefix + create.table);
  }
  // A trigger on a temporary table is temporary, whether or not it says so.
  bool temporary = create.temporary || table->temporary;
  if (session.schema->findTrigger(create.name, temporary)) {
    throw Error(SQLITE_ERROR, "trigger " + create.name + " already exists");
  }
  if (table->name.size() >= 7 && sameName(table->name.substr(0, 7), "sqlite_")) {
    throw Error(SQLITE_ERROR, "cannot create trigger on system table");
  }
  if (table->isView && create.timing != TriggerTiming::InsteadOf) {
    const char* timing = create.timing == TriggerTiming::Before ? "BEFORE" : "AFTER";
    throw Error(SQLITE_ERROR,
                std::string("cannot create ") + timing + " trigger on view: " + create.table);
  }
  if (!table->isView && create.timing == TriggerTiming::InsteadOf) {
    throw Error(SQLITE_ERROR, "cannot create INSTEAD OF trigger on table: " + create.table);
  }
  return table;
}

void runCreateTrigger(Session& session, const CreateTrigger& create, std::string_view text) {
  Schema& schema = *session.schema;
  std::shared_ptr<Table> table = triggerTable(session, create);
  bool temporary = create.temporary || table->temporary;
  // The stored text is parsed again, so that the trigger runs what the file will hold.
  std::string otherDatabase;
  std::shared_ptr<Trigger> trigger = buildTrigger(text, temporary, &otherDatabase);
  if (!trigger) throw Error(SQLITE_INTERNAL, "trigger definition not understood");
  // As a view of the file, a trigger of the file reads the file's tables only.
  if (!otherDatabase.empty()) {
    throw Error(SQLITE_ERROR, "trigger " + create.name + " cannot reference objects in database " +
                                  otherDatabase);
  }
  session.statementStarted = true;
  addSchemaRow(session, temporary, "trigger", create.name, create.table, 0, std::string(text));
  session.noteSchemaChange(temporary);
  schema.addTrigger(trigger);
}

void runDropTrigger(Session& session, const DropTrigger& drop) {
  Schema& schema = *session.schema;
  std::shared_ptr<Trigger> trigger;
  if (drop.database.empty()) {
    trigger = schema.findTrigger(drop.name);
  } else if (sameName(drop.database, "main") || sameName(drop.database, "temp")) {
    trigger = schema.findTrigger(drop.name, sameName(drop.database, "temp"));
  }
  if (!trigger) {
    std::string prefix = drop.database.empty() ? "" : drop.database + ".";
    throw Error(SQLITE_ERROR, "no such trigger: " + prefix + drop.name);
  }
  session.statementStarted = true;
  const std::string& name = trigger->name;
  removeSchemaRows(session, trigger->temporary, [&name](const RecordView& row) {
    return fieldIs(row, 0, "trigger") && fieldIs(row, 1, name);
  });
  session.noteSchemaChange(trigger->temporary);
  schema.removeTrigger(trigger);
}

void runCreateTable(Session& session, const CreateTable& create, std::string_view text) {
  Schema& schema = *session.schema;
  requireNameFree(session, create.name);
  if (create.select) {
    runCreateTableAs(session, create);
    return;
  }
  std::shared_ptr<Table> table = Schema::buildTable(create);
  table->temporary = create.temporary;
  session.statementStarted = true;
  Btree& tree = session.treeOf(*table);
  // The automatic indexes get their roots first, in the order the constraints appear; the
  // table's row in sqlite_master comes before theirs.
  const std::vector<Index*> automatic = table->automaticIndexes();
  for (Index* index : automatic) index->root = tree.createTree();
  table->root = tree.createTree();
  bool temporary = table->temporary;
  addSchemaRow(session, temporary, "table", table->name, table->name, table->root,
               std::string(text));
  for (const Index* index : automatic) {
    addSchemaRow(session, temporary, "index", index->name, table->name, index->root, Value());
  }
  session.noteSchemaChange(temporary);
  schema.addTable(table);
}

void runCreateIndex(Session& session, const CreateIndex& create, std::string_view text) {
  Schema& schema = *session.schema;
  std::shared_ptr<Table> table = session.table(create.database, create.table);
  if (table == schema.schemaTable() || table == schema.temporarySchemaTable()) {
    throw Error(SQLITE_ERROR, "table " + table->name + " may not be indexed");
  }
  if (table->attached) {
    throw Error(SQLITE_ERROR, "table " + table->name + " may not have indices added");
  }
  if (table->isView) throw Error(SQLITE_ERROR, "views may not be indexed");
  if (session.findIndex(create.name)) {
    throw Error(SQLITE_ERROR, "index " + create.name + " already exists");
  }
  if (session.findTable(create.name)) {
    throw Error(SQLITE_ERROR, "there is already a table named " + create.name);
  }
  std::shared_ptr<Index> index = Schema::buildIndex(create, *table);
  session.statementStarted = true;
  index->root = session.treeOf(*table).createTree();
  addSchemaRow(session, table->temporary, "index", index->name, table->name, index->root,
               std::string(text));
  Btree& tree = session.treeOf(*table);
  fillIndex(tree, table->root, *table, *index, index->root);
  session.noteSchemaChange(table->temporary);
  schema.addIndex(index);
}

void runDropTable(Session& session, const DropTable& drop) {
  Schema& schema = *session.schema;
  std::shared_ptr<Table> table = schema.findTable(drop.name);
  if (!table) throw Error(SQLITE_ERROR, "no such table: " + drop.spelled);
  if (table == schema.schemaTable() || table == schema.temporarySchemaTable()) {
    throw Error(SQLITE_ERROR, "table " + table->name + " may not be dropped");
  }
  if (table->isView) throw Error(SQLITE_ERROR, "use DROP VIEW to delete view " + table->name);
  session.requireNotBeingRead(*table);
  session.statementStarted = true;
  // The table's pages are freed first, then its indexes', newest first.
  Btree& tree = session.treeOf(*table);
  tree.dropTree(table->root);
  for (const std::shared_ptr<Index>& index : table->indexes) {
    if (index->root != 0) tree.dropTree(index->root);
  }
  std::string name = table->name;
  removeSchemaRows(session, table->temporary,
                   [&name](const RecordView& row) { return fieldIs(row, 2, name); });
  removeTemporaryTriggerRows(session, *table);
  session.noteSchemaChange(table->temporary);
  schema.removeTable(name);
}

void runCreateView(Session& session, const CreateView& create, std::string_view text) {
  Schema& schema = *session.schema;
  requireNameFree(session, create.name);
  // The stored text is parsed again, so that the schema's view reads exactly what another
  // connection (and the reference library) will read from the file.
  std::shared_ptr<Table> view = Schema::buildView(text);
  if (!view) throw Error(SQLITE_INTERNAL, "view definition not understood");
  checkViewSources(session, *view, *view->viewSelect);
  session.statementStarted = true;
  addSchemaRow(session, view->temporary, "view", view->name, view->name, 0, std::string(text));
  session.noteSchemaChange(view->temporary);
  schema.addTable(view);
}

void runDropView(Session& session, const DropView& drop) {
  Schema& schema = *session.schema;
  std::shared_ptr<Table> view = schema.findTable(drop.name);
  if (!view) throw Error(SQLITE_ERROR, "no such table: " + drop.name);
  if (!view->isView) throw Error(SQLITE_ERROR, "use DROP TABLE to delete table " + view->name);
  session.statementStarted = true;
  std::string name = view->name;
  removeSchemaRows(session, view->temporary,
                   [&name](const RecordView& row) { return fieldIs(row, 2, name); });
  removeTemporaryTriggerRows(session, *view);
  session.noteSchemaChange(view->temporary);
  schema.removeTable(name);
}

void runDropIndex(Session& session, const DropIndex& drop) {
  auto [index, indexSchema] = session.index(drop.database, drop.name);
  if (indexSchema != session.schema.get()) {
    throw Error(SQLITE_ERROR, "cannot alter schema of attached databases");
  }
  Schema& schema = *session.schema;
  if (index->automatic) {
    throw Error(SQLITE_ERROR,
                "index associated with UNIQUE or PRIMARY KEY constraint cannot be dropped");
  }
  std::shared_ptr<Table> table = schema.findTable(index->tableName);
  if (!table) throw Error(SQLITE_INTERNAL, "index without its table: " + drop.name);
  session.requireNotBeingRead(*table);
  session.statementStarted = true;
  session.treeOf(*table).dropTree(index->root);
  std::string name = index->name;
  removeSchemaRows(session, table->temporary, [&name](const RecordView& row) {
    return fieldIs(row, 0, "index") && fieldIs(row, 1, name);
  });
  session.noteSchemaChange(table->temporary);
  schema.removeIndex(name);
}

}  // namespace sqlite2
