#include "sql/run/table_writer.h"

#include "common/error.h"
#include "record/index_key.h"
#include "record/row_record.h"
#include "record/table_key.h"
#include "sql/run/row_scanner.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

constexpr int kRandomRowNumberTries = 1000;

std::string uniquenessMessage(const Table& table, const Index& index) {
  std::string names;
  for (size_t i = 0; i < index.columns.size(); ++i) {
    if (i) names += ", ";
    names += table.columns[index.columns[i]].name;
  }
  if (index.columns.size() == 1) return "column " + names + " is not unique";
  return "columns " + names + " are not unique";
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::string indexKeyOfRow(const Table& table, const Index& index, int32_t rowNumber,
                          const RecordView& record) {
  std::vector<Value> values;
  values.reserve(index.columns.size());
  for (int column : index.columns) {
    if (column == table.rowNumberColumn) {
      values.push_back(std::to_string(rowNumber));
    } else {
      std::optional<std::string_view> field = record.field(static_cast<size_t>(column));
      values.push_back(field ? Value(std::string(*field)) : Value());
    }
  }
  return encodeIndexKey(values, index.textColumns, rowNumber);
}

int32_t requireRowNumber(std::string_view text) {
  std::optional<int32_t> rowNumber = exactRowNumber(text);
  if (!rowNumber) throw Error(SQLITE_MISMATCH);
  return *rowNumber;
}

TableWriter::TableWriter(Session& session, const Table& table, ConflictAction onConflict)
    : session_(session),
      table_(table),
      onConflict_(onConflict),
      tableCursor_(session.takeWriteCursor(session.treeOf(table), table.root)) {
  indexCursors_.resize(table.indexes.size());
}

TableWriter::~TableWriter() {
  session_.keepWriteCursor(session_.treeOf(table_), table_.root, std::move(tableCursor_));
}

Cursor& TableWriter::indexCursor(size_t position) {
  if (!indexCursors_[position]) {
    const Index& index = *table_.indexes[position];
    if (index.root == 0) throw Error(SQLITE_CORRUPT, "malformed database schema");
    indexCursors_[position] = std::make_unique<Cursor>(session_.treeOf(table_), index.root, true);
  }
  return *indexCursors_[position];
}

int32_t TableWriter::chooseRowNumber() {
  if (nextRowNumber_) {
    auto chosen = static_cast<int32_t>(*nextRowNumber_);
    // The count goes on past rows this statement numbered itself, as in SQLite 2.8; where it
    // reaches such a row, 2.8 fails the insert as not unique, and here it looks again.
    const bool taken = passedByGivenNumber_ && tableCursor_->seek(encodeTableKey(chosen)) == 0;
    if (!taken) {
      nextRowNumber_ =
          chosen < INT32_MAX ? std::optional<int64_t>(chosen + int64_t{1}) : std::nullopt;
      return chosen;
    }
    nextRowNumber_.reset();
    passedByGivenNumber_ = false;
  }
  int32_t largest = tableCursor_->last() ? decodeTableKey(tableCursor_->key()) : 0;
  if (largest < INT32_MAX) {
    nextRowNumber_ = largest + int64_t{2};
    return largest + 1;
  }
  // Every number above is taken: try random ones, small at first, then stepping up.
  std::uniform_int_distribution<int32_t> start(1, 0xffffff);
  std::uniform_int_distribution<int32_t> step(1, 256);
  int32_t candidate = start(session_.random);
  for (int attempt = 0; attempt < kRandomRowNumberTries; ++attempt) {
    if (tableCursor_->seek(encodeTableKey(candidate)) != 0) return candidate;
    candidate += step(session_.random);
  }
  throw Error(SQLITE_FULL);
}

ConflictAction TableWriter::resolve(ConflictAction constraint) const {
  if (onConflict_ != ConflictAction::Default) return onConflict_;
  return constraint == ConflictAction::Default ? ConflictAction::Abort : constraint;
}

void TableWriter::fail(ConflictAction action, int code, const std::string& message) const {
  session_.conflictFailure = action;
  throw Error(code, message);
}

bool TableWriter::checkNotNull(std::vector<Value>& values) {
  for (size_t i = 0; i < table_.columns.size(); ++i) {
    const Column& column = table_.columns[i];
    if (!column.notNull || values[i] || static_cast<int>(i) == table_.rowNumberColumn) continue;
    ConflictAction action = resolve(column.notNullConflict);
    if (action == ConflictAction::Ignore) return false;
    if (action == ConflictAction::Replace && column.defaultValue) {
      values[i] = column.defaultValue;
      continue;
    }
    if (action == ConflictAction::Replace) action = ConflictAction::Abort;
    fail(action, SQLITE_CONSTRAINT, table_.name + "." + column.name + " may not be NULL");
  }
  return true;
}

bool TableWriter::checkRowNumberFree(int32_t rowNumber) {
  if (tableCursor_->seek(encodeTableKey(rowNumber)) != 0 || !tableCursor_->valid()) return true;
  ConflictAction action = resolve(table_.rowNumberConflict);
  if (action == ConflictAction::Ignore) return false;
  if (action == ConflictAction::Replace) {
    replaced_.push_back(rowNumber);
    return true;
  }
  fail(action, SQLITE_CONSTRAINT, "PRIMARY KEY must be unique");
}

// Rows in the way of REPLACE constraints go only once every constraint has been checked: a
// later IGNORE leaves them, a later failure too.
bool TableWriter::checkUnique(int32_t rowNumber, const std::vector<Value>& values,
                              std::optional<int32_t> self) {
  for (size_t position = 0; position < table_.indexes.size(); ++position) {
    const Index& index = *table_.indexes[position];
    if (!index.unique) continue;
    std::string key = indexKey(index, rowNumber, values);
    if (indexKeyHasNull(key)) continue;  // NULL never conflicts
    std::vector<int32_t> others = conflictingRows(position, key, self);
    if (others.empty()) continue;
    ConflictAction action = resolve(index.conflict);
    if (action == ConflictAction::Ignore) {
      replaced_.clear();
      return false;
    }
    if (action != ConflictAction::Replace) {
      replaced_.clear();
      fail(action, SQLITE_CONSTRAINT, uniquenessMessage(table_, index));
    }
    replaced_.insert(replaced_.end(), others.begin(), others.end());
  }
  for (int32_t other : replaced_) deleteRow(other);
  replaced_.clear();
  return true;
}

std::vector<int32_t> TableWriter::conflictingRows(size_t position, const std::string& key,
                                                  std::optional<int32_t> self) {
  std::vector<int32_t> rows;
  std::string_view columnsPart(key.data(), key.size() - kTableKeySize);
  Cursor& cursor = indexCursor(position);
  int order = cursor.seek(columnsPart);
  if (!cursor.valid()) return rows;
  if (order < 0 && !cursor.next()) return rows;
  for (; cursor.valid(); cursor.next()) {
    std::string existing = cursor.key();
    if (!startsWith(existing, columnsPart)) break;
    if (existing.size() != key.size()) continue;  // a longer entry: not the same values
    if (self && trailingRowNumber(existing) == *self) continue;
    rows.push_back(trailingRowNumber(existing));
  }
  return rows;
}

// REPLACE removes a row in the way of the new one, with its index entries (once: two
// constraints may name the same row).
void TableWriter::deleteRow(int32_t rowNumber) {
  std::optional<std::vector<Value>> values = readRow(rowNumber);
  if (values) removeRow(rowNumber, *values);
}

std::optional<std::vector<Value>> TableWriter::readRow(int32_t rowNumber, std::string* recordOut) {
  if (tableCursor_->seek(encodeTableKey(rowNumber)) != 0 || !tableCursor_->valid()) {
    return std::nullopt;
  }
  std::string local;
  std::string& data = recordOut ? *recordOut : local;
  data = tableCursor_->data();
  RecordView record(data);
  std::vector<Value> values;
  values.reserve(table_.columns.size());
  for (size_t i = 0; i < table_.columns.size(); ++i) {
    std::optional<std::string_view> field = record.field(i);
    values.push_back(field ? Value(std::string(*field)) : Value());
  }
  return values;
}

void TableWriter::insertRow(int32_t rowNumber, const std::vector<Value>& values) {
  if (nextRowNumber_ && rowNumber >= *nextRowNumber_) passedByGivenNumber_ = true;
  std::string record = encodeRecord(values);
  std::vector<std::string> keys;
  for (const std::shared_ptr<Index>& index : table_.indexes) {
    keys.push_back(indexKey(*index, rowNumber, values));
  }
  tableCursor_->insert(encodeTableKey(rowNumber), record);
  for (size_t position = 0; position < keys.size(); ++position) {
    indexCursor(position).insert(keys[position], std::string_view());
  }
}

void TableWriter::removeIndexEntries(int32_t rowNumber, const std::vector<Value>& values) {
  for (size_t position = 0; position < table_.indexes.size(); ++position) {
    std::string key = indexKey(*table_.indexes[position], rowNumber, values);
    Cursor& cursor = indexCursor(position);
    if (cursor.seek(key) == 0 && cursor.valid()) cursor.remove();
  }
}

void TableWriter::removeRow(int32_t rowNumber, const std::vector<Value>& values) {
  removeIndexEntries(rowNumber, values);
  if (tableCursor_->seek(encodeTableKey(rowNumber)) == 0 && tableCursor_->valid()) {
    tableCursor_->remove();
  }
}

// The values an index holds for a row: the INTEGER PRIMARY KEY column holds the row number.
std::vector<Value> TableWriter::indexedValues(const Index& index, int32_t rowNumber,
                                              const std::vector<Value>& values) const {
  std::vector<Value> indexed;
  indexed.reserve(index.columns.size());
  for (int column : index.columns) {
    if (column == table_.rowNumberColumn) {
      indexed.push_back(std::to_string(rowNumber));
    } else {
      indexed.push_back(values[column]);
    }
  }
  return indexed;
}

std::string TableWriter::indexKey(const Index& index, int32_t rowNumber,
                                  const std::vector<Value>& values) const {
  return encodeIndexKey(indexedValues(index, rowNumber, values), index.textColumns, rowNumber);
}

void fillIndex(Btree& tree, PageNumber tableRoot, const Table& table, const Index& index,
               PageNumber indexRoot) {
  Cursor rows(tree, tableRoot, false);
  Cursor entries(tree, indexRoot, true);
  for (bool more = rows.first(); more; more = rows.next()) {
    int32_t rowNumber = decodeTableKey(rows.key());
    std::string data = rows.data();
    RecordView record(data);
    std::string key = indexKeyOfRow(table, index, rowNumber, record);
    if (index.unique) {
      std::string_view columnsPart(key.data(), key.size() - kTableKeySize);
      int order = entries.seek(columnsPart);
      if (entries.valid() && (order >= 0 || entries.next())) {
        std::string existing = entries.key();
        if (existing.size() == key.size() &&
            existing.compare(0, columnsPart.size(), columnsPart) == 0) {
          throw Error(SQLITE_CONSTRAINT, "indexed columns are not unique");
        }
      }
    }
    entries.insert(key, std::string_view());
  }
}

}  // namespace sqlite2
