#pragma once

// The tables and indexes of a database as the CREATE statements in sqlite_master define them.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/ascii_case.h"
#include "pager/pager.h"
#include "sql/schema/trigger.h"
#include "sql/text/ast.h"

namespace sqlite2 {

class Btree;
struct AttachedDatabase;

struct Column {
  std::string name;
  std::string type;
  bool text = false;  // compares, sorts and indexes its values as text
  // A text column that ORDER BY sorts as numbers all the same.
  bool numericOrder = false;
  // A column of a sub-select merged into the query reading it whose expression always gives an
  // integer (or NULL): read as an integer there, as 2.8 computes the expression in its place.
  bool integer = false;
  bool notNull = false;
  bool primaryKey = false;  // part of the PRIMARY KEY
  ConflictAction notNullConflict = ConflictAction::Default;
  std::optional<std::string> defaultValue;
};

struct Index {
  std::string name;
  std::string tableName;  // as the table was declared
  PageNumber root = 0;
  std::vector<int> columns;  // positions in the table
  std::vector<bool> textColumns;
  bool unique = false;
  bool automatic = false;   // made by a UNIQUE or PRIMARY KEY constraint: no CREATE text
  int automaticNumber = 0;  // N of "(table autoindex N)": its constraint's place
  ConflictAction conflict = ConflictAction::Default;
};

struct Table {
  std::string name;
  PageNumber root = 0;
  std::vector<Column> columns;
  int rowNumberColumn = -1;  // the INTEGER PRIMARY KEY column, which is the row number
  // Newest first, those whose constraint says REPLACE after the others: the order in which
  // uniqueness is checked and indexes are considered.
  std::vector<std::shared_ptr<Index>> indexes;
  // The ON CONFLICT choice of the INTEGER PRIMARY KEY (a row number already taken).
  ConflictAction rowNumberConflict = ConflictAction::Default;
  bool isView = false;
  // Lives in the connection's temporary database (and sqlite_temp_master), not in the file.
  bool temporary = false;
  // The attached database it lives in; null for the main and temporary databases.
  const AttachedDatabase* attached = nullptr;
  // A view's query, parsed from the CREATE VIEW text it keeps (its names point into it).
  std::shared_ptr<const std::string> viewText;
  std::shared_ptr<const Select> viewSelect;
  // A TEMP view's column names as last worked out (viewColumnNamesKept, source_columns.h).
  std::optional<std::vector<std::string>> keptColumnNames;
  // Newest first, the order in which they fire: those of the file, then (made later) those
  // of the connection's temporary database.
  std::vector<std::shared_ptr<Trigger>> triggers;

  // The column of that name (any case), or -1.
  int findColumn(std::string_view name) const;
  // The indexes its constraints made, in the order the constraints appear.
  std::vector<Index*> automaticIndexes() const;
};

// Whether a name stands for the row number when no column has it (ROWID, OID, _ROWID_).
bool isRowNumberName(std::string_view name);

class Schema {
 public:
  Schema();

  // Reads sqlite_master as the reference library does when it opens a file: rows in row
  // number order, each CREATE text applied with rootpage as its root; a row that cannot be
  // applied is left out silently. Throws Error for a row without type or rootpage
  // ("malformed database schema") or with an unknown type (no message), and for a file
  // format this engine cannot handle.
  static std::unique_ptr<Schema> load(Btree& btree);
  // Adds the temporary objects that sqlite_temp_master of the connection's temporary
  // database defines, applied as load() applies rows.
  void loadTemporary(Btree& temporary);
  // Reads the schema of an attached database from its b-tree, as load() does: its objects
  // know they live in that database, and its views read its own tables (named by the name
  // it was attached under).
  static std::unique_ptr<Schema> loadAttached(Btree& btree, const AttachedDatabase& database,
                                              const std::string& name);

  int32_t cookie() const { return cookie_; }
  void setCookie(int32_t cookie) { cookie_ = cookie; }

  // The table or view of that name, sqlite_master included; null when there is none.
  std::shared_ptr<Table> findTable(std::string_view name) const;
  std::shared_ptr<Index> findIndex(std::string_view name) const;
  const std::shared_ptr<Table>& schemaTable() const { return schemaTable_; }
  const std::shared_ptr<Table>& temporarySchemaTable() const { return temporarySchemaTable_; }
  // sqlite_master or sqlite_temp_master, for an object of the file or a temporary one.
  const std::shared_ptr<Table>& schemaTableFor(bool temporary) const {
    return temporary ? temporarySchemaTable_ : schemaTable_;
  }
  // The tables of the file (no views, no temporary tables).
  std::vector<std::shared_ptr<Table>> tables() const;

  // Makes a table from its definition with its automatic indexes (roots still 0). Throws
  // Error for a definition that cannot stand (two primary keys are found by the parser).
  static std::shared_ptr<Table> buildTable(const CreateTable& definition);
  // Makes an index of table from its definition. Throws Error(SQLITE_ERROR) for an unknown
  // column.
  static std::shared_ptr<Index> buildIndex(const CreateIndex& definition, const Table& table);

  void addTable(std::shared_ptr<Table> table);
  void addIndex(std::shared_ptr<Index> index);  // to its table, as the newest
  // A view from its CREATE VIEW text; null when the text is no view definition.
  // A view of a file reads that file's tables (database: its name).
  static std::shared_ptr<Table> buildView(std::string_view createText,
                                          std::string_view database = "main");
  // The trigger of that name, the temporary one first; null when there is none.
  std::shared_ptr<Trigger> findTrigger(std::string_view name) const;
  std::shared_ptr<Trigger> findTrigger(std::string_view name, bool temporary) const;
  // To its table, as the newest; ignored when the table is missing or a schema table.
  void addTrigger(std::shared_ptr<Trigger> trigger);
  void removeTrigger(const std::shared_ptr<Trigger>& trigger);
  // With its indexes and triggers. A temporary one makes the TEMP views forget the column
  // names they kept.
  void removeTable(std::string_view name);
  void removeIndex(std::string_view name);

 private:
  void readRows(Btree& btree, bool temporary);
  void applyRow(const std::optional<std::string_view>* fields, bool temporary);
  void applyCreateText(std::string_view sql, PageNumber root, bool temporary);

  int32_t cookie_ = 0;
  const AttachedDatabase* attached_ = nullptr;  // the database of an attached schema
  std::string attachedName_;                    // and the name it was attached under
  std::shared_ptr<Table> schemaTable_;
  std::shared_ptr<Table> temporarySchemaTable_;
  std::map<std::string, std::shared_ptr<Table>> tables_;   // by lower-case name
  std::map<std::string, std::shared_ptr<Index>> indexes_;  // by lower-case name
  // By lower-case name: those of the file, and the temporary ones (a name may be in both).
  std::map<std::string, std::shared_ptr<Trigger>> triggers_;
  std::map<std::string, std::shared_ptr<Trigger>> temporaryTriggers_;
};

}  // namespace sqlite2
