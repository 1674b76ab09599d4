#include "sql/schema/schema.h"

#include <algorithm>
#include <cstdlib>

#include "btree/btree.h"
#include "common/error.h"
#include "record/index_key.h"
#include "record/row_record.h"
#include "sql/schema/view_query.h"
#include "sql/text/parser.h"
#include "sql/values/sql_value.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

constexpr int32_t kCurrentFileFormat = 4;

// Whether a column of this declaration compares as text: by its collation when it names TEXT
// or NUMERIC, otherwise by its declared type.
bool isTextColumn(const ColumnDefinition& definition) {
  if (definition.collation) {
    if (sameName(*definition.collation, "text")) return true;
    if (sameName(*definition.collation, "numeric")) return false;
  }
  return isTextColumnType(definition.type);
}

bool replacesOnConflict(const std::shared_ptr<Index>& index) {
  return index->conflict == ConflictAction::Replace;
}

// A new index goes first, but one whose constraint says REPLACE goes after all the others
// (first among those that say REPLACE), as in SQLite 2.8: rows in the way of the new one are
// then deleted only once every other constraint has let it pass.
void addInCheckingOrder(std::vector<std::shared_ptr<Index>>& indexes,
                        std::shared_ptr<Index> index) {
  auto place = indexes.begin();
  if (replacesOnConflict(index) && !indexes.empty() && !replacesOnConflict(indexes.front())) {
    place = std::find_if(indexes.begin(), indexes.end(), replacesOnConflict);
  }
  indexes.insert(place, std::move(index));
}

}  // namespace

bool isRowNumberName(std::string_view name) {
  return sameName(name, "rowid") || sameName(name, "oid") || sameName(name, "_rowid_");
}

std::vector<Index*> Table::automaticIndexes() const {
  std::vector<Index*> automatic;
  for (const std::shared_ptr<Index>& index : indexes) {
    if (index->automatic) automatic.push_back(index.get());
  }
  std::sort(automatic.begin(), automatic.end(), [](const Index* left, const Index* right) {
    return left->automaticNumber < right->automaticNumber;
  });
  return automatic;
}

int Table::findColumn(std::string_view name) const {
  for (size_t i = 0; i < columns.size(); ++i) {
    if (sameName(columns[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

namespace {

std::shared_ptr<Table> makeSchemaTable(const char* name, bool temporary) {
  auto table = std::make_shared<Table>();
  table->name = name;
  table->root = kSchemaRoot;
  table->temporary = temporary;
  for (const char* columnName : {"type", "name", "tbl_name", "rootpage", "sql"}) {
    Column column;
    column.name = columnName;
    column.type = column.name == "rootpage" ? "integer" : "text";
    column.text = column.name != "rootpage";
    table->columns.push_back(column);
  }
  return table;
}

}  // namespace

Schema::Schema()
    : schemaTable_(makeSchemaTable("sqlite_master", false)),
      temporarySchemaTable_(makeSchemaTable("sqlite_temp_master", true)) {}

std::unique_ptr<Schema> Schema::load(Btree& btree) {
  MetaValues meta = btree.readMeta();
  // Files of 2.6 and older keep index keys and comparisons another way; 0 means no table
  // was ever created.
  int32_t format = meta[2];
  if (format != 0 && format != kCurrentFileFormat) {
    throw Error(SQLITE_FORMAT, "unsupported file format");
  }
  auto schema = std::make_unique<Schema>();
  schema->cookie_ = meta[1];
  schema->readRows(btree, false);
  return schema;
}

std::unique_ptr<Schema> Schema::loadAttached(Btree& btree, const AttachedDatabase& database,
                                             const std::string& name) {
  auto schema = std::make_unique<Schema>();
  schema->attached_ = &database;
  schema->attachedName_ = name;
  schema->schemaTable_->attached = &database;
  schema->temporarySchemaTable_->attached = &database;
  std::unique_ptr<Schema> loaded = load(btree);
  schema->cookie_ = loaded->cookie_;
  schema->readRows(btree, false);
  return schema;
}

void Schema::loadTemporary(Btree& temporary) {
  readRows(temporary, true);
}

void Schema::readRows(Btree& btree, bool temporary) {
  Cursor cursor(btree, kSchemaRoot, false);
  for (bool more = cursor.first(); more; more = cursor.next()) {
    std::string data = cursor.data();
    RecordView record(data);
    std::optional<std::string_view> fields[5];
    for (size_t i = 0; i < 5; ++i) fields[i] = record.field(i);
    applyRow(fields, temporary);
  }
}

// One sqlite_master row: type, name, tbl_name, rootpage, sql.
void Schema::applyRow(const std::optional<std::string_view>* fields, bool temporary) {
  const std::optional<std::string_view>& type = fields[0];
  const std::optional<std::string_view>& rootText = fields[3];
  if (!type || !rootText) throw Error(SQLITE_CORRUPT, "malformed database schema");
  char kind = type->empty() ? '\0' : (*type)[0];
  if (kind != 't' && kind != 'i' && kind != 'v') throw Error(SQLITE_ERROR, "");
  PageNumber root = static_cast<PageNumber>(leadingInteger(*rootText));
  const std::optional<std::string_view>& sql = fields[4];
  if (sql && !sql->empty()) {
    try {
      applyCreateText(*sql, root, temporary);
    } catch (const Error&) {
      // The reference library leaves out an object whose text it cannot take.
    }
    return;
  }
  // No text: the row gives the root of an automatic index its table's CREATE TABLE made.
  if (!fields[1]) return;
  std::shared_ptr<Index> index = findIndex(*fields[1]);
  if (index && index->automatic && index->root == 0) index->root = root;
}

// A temporary object's text names it TEMP, and only such a text is taken from
// sqlite_temp_master (an index's text does not say: it goes with its table).
void Schema::applyCreateText(std::string_view sql, PageNumber root, bool temporary) {
  Parser parser(sql, Parser::Mode::LoadSchema);
  Statement statement;
  if (!parser.next(statement)) return;
  if (auto* table = std::get_if<CreateTable>(&statement.body)) {
    if (table->temporary != temporary || findTable(table->name) || findIndex(table->name)) {
      return;
    }
    std::shared_ptr<Table> built = buildTable(*table);
    built->root = root;
    built->temporary = temporary;
    addTable(built);
  } else if (auto* index = std::get_if<CreateIndex>(&statement.body)) {
    std::shared_ptr<Table> table = findTable(index->table);
    if (!table || table->isView || table->temporary != temporary || findIndex(index->name) ||
        findTable(index->name)) {
      return;
    }
    std::shared_ptr<Index> built = buildIndex(*index, *table);
    built->root = root;
    addIndex(built);
  } else if (auto* view = std::get_if<CreateView>(&statement.body)) {
    if (view->temporary != temporary || findTable(view->name) || findIndex(view->name)) return;
    std::string_view database = attached_ ? std::string_view(attachedName_) : "main";
    if (std::shared_ptr<Table> built = buildView(sql, database)) addTable(built);
  } else if (auto* trigger = std::get_if<CreateTrigger>(&statement.body)) {
    // sqlite_temp_master also keeps the triggers of temporary tables, whose text need not
    // say TEMP.
    if (trigger->temporary && !temporary) return;
    if (findTrigger(trigger->name, temporary)) return;
    if (std::shared_ptr<Trigger> built = buildTrigger(sql, temporary)) addTrigger(built);
  }
}

std::shared_ptr<Table> Schema::buildTable(const CreateTable& definition) {
  auto table = std::make_shared<Table>();
  table->name = definition.name;
  for (const ColumnDefinition& columnDefinition : definition.columns) {
    Column column;
    column.name = columnDefinition.name;
    column.type = columnDefinition.type;
    column.text = isTextColumn(columnDefinition);
    column.notNull = columnDefinition.notNull;
    column.notNullConflict = columnDefinition.notNullConflict;
    column.defaultValue = columnDefinition.defaultValue;
    table->columns.push_back(std::move(column));
  }
  int automaticCount = 0;
  for (const UniqueConstraint& constraint : definition.uniqueConstraints) {
    std::vector<int> columns;
    for (const std::string& name : constraint.columns) {
      int position = table->findColumn(name);
      if (position < 0) {
        throw Error(SQLITE_ERROR, "table " + table->name + " has no column named " + name);
      }
      columns.push_back(position);
      if (constraint.primaryKey) table->columns[static_cast<size_t>(position)].primaryKey = true;
    }
    // A primary key on one column declared exactly INTEGER is the row number itself.
    if (constraint.primaryKey && columns.size() == 1 &&
        sameName(table->columns[columns[0]].type, "integer")) {
      table->rowNumberColumn = columns[0];
      table->rowNumberConflict = constraint.conflict;
      continue;
    }
    auto index = std::make_shared<Index>();
    index->name = "(" + table->name + " autoindex " + std::to_string(++automaticCount) + ")";
    index->tableName = table->name;
    index->columns = columns;
    for (int position : columns) index->textColumns.push_back(table->columns[position].text);
    index->unique = true;
    index->automatic = true;
    index->automaticNumber = automaticCount;
    index->conflict = constraint.conflict;
    addInCheckingOrder(table->indexes, index);
  }
  return table;
}

std::shared_ptr<Index> Schema::buildIndex(const CreateIndex& definition, const Table& table) {
  auto index = std::make_shared<Index>();
  index->name = definition.name;
  index->tableName = table.name;
  index->unique = definition.unique;
  index->conflict = definition.conflict;
  for (const std::string& name : definition.columns) {
    int position = table.findColumn(name);
    if (position < 0) {
      throw Error(SQLITE_ERROR, "table " + table.name + " has no column named " + name);
    }
    index->columns.push_back(position);
    index->textColumns.push_back(table.columns[position].text);
  }
  return index;
}

std::shared_ptr<Table> Schema::findTable(std::string_view name) const {
  if (sameName(name, schemaTable_->name)) return schemaTable_;
  if (sameName(name, temporarySchemaTable_->name)) return temporarySchemaTable_;
  auto found = tables_.find(lowerAsciiName(name));
  return found == tables_.end() ? nullptr : found->second;
}

std::shared_ptr<Index> Schema::findIndex(std::string_view name) const {
  auto found = indexes_.find(lowerAsciiName(name));
  return found == indexes_.end() ? nullptr : found->second;
}

std::vector<std::shared_ptr<Table>> Schema::tables() const {
  std::vector<std::shared_ptr<Table>> all;
  for (const auto& entry : tables_) {
    if (!entry.second->isView && !entry.second->temporary) all.push_back(entry.second);
  }
  return all;
}

void Schema::addTable(std::shared_ptr<Table> table) {
  table->attached = attached_;
  for (const std::shared_ptr<Index>& index : table->indexes) {
    indexes_[lowerAsciiName(index->name)] = index;
  }
  tables_[lowerAsciiName(table->name)] = std::move(table);
}

void Schema::addIndex(std::shared_ptr<Index> index) {
  std::shared_ptr<Table> table = findTable(index->tableName);
  if (!table) return;
  addInCheckingOrder(table->indexes, index);
  indexes_[lowerAsciiName(index->name)] = std::move(index);
}

std::shared_ptr<Table> Schema::buildView(std::string_view createText, std::string_view database) {
  auto text = std::make_shared<const std::string>(createText);
  Parser parser(*text, Parser::Mode::LoadSchema);
  Statement statement;
  if (!parser.next(statement)) return nullptr;
  auto* definition = std::get_if<CreateView>(&statement.body);
  if (!definition) return nullptr;
  // A view of the file reads the file's tables only; a temporary one reads any.
  if (!definition->temporary) fixToDatabase(*definition->select, database);
  auto view = std::make_shared<Table>();
  view->name = definition->name;
  view->isView = true;
  view->temporary = definition->temporary;
  view->viewText = std::move(text);
  view->viewSelect = definition->select;
  return view;
}

std::shared_ptr<Trigger> Schema::findTrigger(std::string_view name) const {
  if (std::shared_ptr<Trigger> found = findTrigger(name, true)) return found;
  return findTrigger(name, false);
}

std::shared_ptr<Trigger> Schema::findTrigger(std::string_view name, bool temporary) const {
  const auto& triggers = temporary ? temporaryTriggers_ : triggers_;
  auto found = triggers.find(lowerAsciiName(name));
  return found == triggers.end() ? nullptr : found->second;
}

void Schema::addTrigger(std::shared_ptr<Trigger> trigger) {
  std::shared_ptr<Table> table = findTable(trigger->tableName);
  if (!table || table == schemaTable_ || table == temporarySchemaTable_) return;
  table->triggers.insert(table->triggers.begin(), trigger);
  auto& triggers = trigger->temporary ? temporaryTriggers_ : triggers_;
  triggers[lowerAsciiName(trigger->name)] = std::move(trigger);
}

void Schema::removeTrigger(const std::shared_ptr<Trigger>& trigger) {
  if (std::shared_ptr<Table> table = findTable(trigger->tableName)) {
    auto& list = table->triggers;
    list.erase(std::remove(list.begin(), list.end(), trigger), list.end());
  }
  auto& triggers = trigger->temporary ? temporaryTriggers_ : triggers_;
  triggers.erase(lowerAsciiName(trigger->name));
}

void Schema::removeTable(std::string_view name) {
  std::shared_ptr<Table> table = findTable(name);
  if (!table) return;
  for (const std::shared_ptr<Index>& index : table->indexes)
    indexes_.erase(lowerAsciiName(index->name));
  for (const std::shared_ptr<Trigger>& trigger : table->triggers) {
    auto& triggers = trigger->temporary ? temporaryTriggers_ : triggers_;
    triggers.erase(lowerAsciiName(trigger->name));
  }
  tables_.erase(lowerAsciiName(name));
  if (!table->temporary) return;
  for (auto& entry : tables_) entry.second->keptColumnNames.reset();
}

void Schema::removeIndex(std::string_view name) {
  std::shared_ptr<Index> index = findIndex(name);
  if (!index) return;
  if (std::shared_ptr<Table> table = findTable(index->tableName)) {
    auto& list = table->indexes;
    list.erase(std::remove(list.begin(), list.end(), index), list.end());
  }
  indexes_.erase(lowerAsciiName(name));
}

}  // namespace sqlite2
