#include "sql/run/pragma_statements.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "common/ascii_case.h"
#include "common/error.h"
#include "sql/run/session.h"
#include "sql/run/source_columns.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

// The file's default cache size when PRAGMA default_cache_size never set one.
constexpr int kDefaultCachePages = 2000;

// Header meta values (see the file format): default cache size, default synchronous, default
// temp store.
constexpr size_t kMetaCacheSize = 3;
constexpr size_t kMetaSynchronous = 4;
constexpr size_t kMetaTempStore = 6;

bool is(const std::string& name, const char* expected) {
  return sameName(name, expected);
}

// yes, on, true or a non-zero number.
bool booleanValue(const std::string& value) {
  if (!value.empty() && (value[0] == '-' || (value[0] >= '0' && value[0] <= '9'))) {
    return std::atoi(value.c_str()) != 0;
  }
  return is(value, "yes") || is(value, "on") || is(value, "true");
}

// off/no/false 0, normal 1, full 2, or the number; anything else NORMAL.
int safetyLevel(const std::string& value) {
  if (!value.empty() && value[0] >= '0' && value[0] <= '9') return std::atoi(value.c_str());
  if (is(value, "off") || is(value, "no") || is(value, "false")) return 0;
  if (is(value, "full")) return 2;
  return 1;
}

// default 0, file 1, memory 2, or the number; anything else the default.
int tempStoreValue(const std::string& value) {
  if (!value.empty() && value[0] >= '0' && value[0] <= '9') return std::atoi(value.c_str());
  if (is(value, "file")) return 1;
  if (is(value, "memory")) return 2;
  return 0;
}

class PragmaRows {
 public:
  PragmaRows(const ResultRowCallback& onRow, std::vector<std::string> names)
      : onRow_(onRow), names_(std::move(names)) {
    for (const std::string& name : names_) namePointers_.push_back(name.c_str());
  }
  void add(const std::vector<std::optional<std::string>>& row) {
    if (!onRow_) return;
    std::vector<const char*> values;
    for (const auto& value : row) values.push_back(value ? value->c_str() : nullptr);
    if (!onRow_(static_cast<int>(values.size()), values.data(), namePointers_.data())) {
      throw Error(SQLITE_ABORT, "");
    }
  }

 private:
  const ResultRowCallback& onRow_;
  std::vector<std::string> names_;
  std::vector<const char*> namePointers_;
};

void reportNumber(Session& session, const ResultRowCallback& onRow, const char* name, int value) {
  session.resultNames = {name};
  PragmaRows(onRow, {name}).add({std::to_string(value)});
}

// What notnull shows for a NOT NULL column, as in SQLite 2.8: the number of its ON CONFLICT
// choice, 99 for none.
const char* notNullCode(ConflictAction conflict) {
  switch (conflict) {
    case ConflictAction::Rollback:
      return "1";
    case ConflictAction::Abort:
      return "2";
    case ConflictAction::Fail:
      return "3";
    case ConflictAction::Ignore:
      return "4";
    case ConflictAction::Replace:
      return "5";
    default:
      return "99";
  }
}

// cid, name, declared type (numeric when none), notnull (the code of its conflict choice, 0
// for a column without NOT NULL), default, pk.
void tableInfo(Session& session, const std::string& name, const ResultRowCallback& onRow) {
  std::shared_ptr<Table> table = session.findTable(name);
  if (!table) return;
  std::vector<std::string> names{"cid", "name", "type", "notnull", "dflt_value", "pk"};
  if (table->isView) {
    // A view's columns have no type or constraint of their own.
    ExpandingView expanding(session, *table);
    std::vector<std::string> columns = sourceColumnNames(session, *table->viewSelect);
    session.resultNames = names;
    PragmaRows rows(onRow, names);
    for (size_t i = 0; i < columns.size(); ++i) {
      rows.add({std::to_string(i), columns[i], "numeric", "0", std::nullopt, "0"});
    }
    return;
  }
  session.resultNames = names;
  PragmaRows rows(onRow, names);
  for (size_t i = 0; i < table->columns.size(); ++i) {
    const Column& column = table->columns[i];
    bool primaryKey = static_cast<int>(i) == table->rowNumberColumn || column.primaryKey;
    rows.add({std::to_string(i), column.name, column.type.empty() ? "numeric" : column.type,
              column.notNull ? notNullCode(column.notNullConflict) : "0", column.defaultValue,
              primaryKey ? "1" : "0"});
  }
}

void indexList(Session& session, const std::string& name, const ResultRowCallback& onRow) {
  std::shared_ptr<Table> table = session.findTable(name);
  if (!table) return;
  std::vector<std::string> names{"seq", "name", "unique"};
  // A table without indexes gives no columns, as in SQLite 2.8.
  if (table->indexes.empty()) return;
  session.resultNames = names;
  PragmaRows rows(onRow, names);
  for (size_t i = 0; i < table->indexes.size(); ++i) {
    const Index& index = *table->indexes[i];
    rows.add({std::to_string(i), index.name, index.unique ? "1" : "0"});
  }
}

void indexInfo(Session& session, const std::string& name, const ResultRowCallback& onRow) {
  if (!session.findIndex(name)) return;
  auto [index, schema] = session.index("", name);
  std::shared_ptr<Table> table = schema->findTable(index->tableName);
  if (!table) return;
  std::vector<std::string> names{"seqno", "cid", "name"};
  session.resultNames = names;
  PragmaRows rows(onRow, names);
  for (size_t i = 0; i < index->columns.size(); ++i) {
    int column = index->columns[i];
    rows.add({std::to_string(i), std::to_string(column),
              table->columns[static_cast<size_t>(column)].name});
  }
}

void databaseList(Session& session, const ResultRowCallback& onRow) {
  std::vector<std::string> names{"seq", "name", "file"};
  session.resultNames = names;
  PragmaRows rows(onRow, names);
  rows.add({"0", "main", session.databasePath});
  // The temporary database has no file until something is stored there.
  std::optional<std::string> temporaryFile;
  if (session.temporary.btree()) temporaryFile = session.temporary.path();
  rows.add({"1", "temp", temporaryFile});
  int sequence = 2;
  for (const auto& attached : session.attached.all()) {
    std::optional<std::string> file;  // none for ':memory:'
    if (!attached->path.empty()) file = attached->path;
    rows.add({std::to_string(sequence++), attached->name, file});
  }
}

int defaultCacheSize(const MetaValues& meta) {
  int size = std::abs(meta[kMetaCacheSize]);
  return size == 0 ? kDefaultCachePages : size;
}

// The file's default safety level (stored plus one; 0 when never set: NORMAL).
int defaultSafetyLevel(const MetaValues& meta) {
  const int stored = meta[kMetaSynchronous];
  return stored == 0 ? 1 : stored - 1;
}

// The default_ settings live in the file's header; setting one writes it there.
bool headerSetting(Session& session, const Pragma& pragma, const ResultRowCallback& onRow) {
  MetaValues meta = session.btree->readMeta();
  if (is(pragma.name, "default_cache_size")) {
    if (!pragma.value) {
      reportNumber(session, onRow, "cache_size", defaultCacheSize(meta));
      return true;
    }
    int size = std::abs(std::atoi(pragma.value->c_str()));
    meta[kMetaCacheSize] = meta[kMetaCacheSize] < 0 ? -size : size;
    session.settings.cacheSize = size;
  } else if (is(pragma.name, "default_synchronous")) {
    if (!pragma.value) {
      reportNumber(session, onRow, "synchronous", defaultSafetyLevel(meta));
      return true;
    }
    int level = safetyLevel(*pragma.value);
    meta[kMetaSynchronous] = level + 1;
    int size = std::abs(meta[kMetaCacheSize]);
    if (size == 0) size = kDefaultCachePages;
    meta[kMetaCacheSize] = level == 0 ? -size : size;
    session.settings.synchronous = level;
  } else if (is(pragma.name, "default_temp_store")) {
    if (!pragma.value) {
      reportNumber(session, onRow, "temp_store", meta[kMetaTempStore]);
      return true;
    }
    meta[kMetaTempStore] = tempStoreValue(*pragma.value);
  } else {
    return false;
  }
  session.btree->writeMeta(meta);
  return true;
}

// The flags that are reported under their own names.
bool* flagNamed(SessionSettings& settings, const std::string& name) {
  if (is(name, "count_changes")) return &settings.countChanges;
  if (is(name, "full_column_names")) return &settings.fullColumnNames;
  if (is(name, "short_column_names")) return &settings.shortColumnNames;
  if (is(name, "empty_result_callbacks")) return &settings.emptyResultCallbacks;
  if (is(name, "show_datatypes")) return &settings.showDatatypes;
  if (is(name, "vdbe_trace")) return &settings.vdbeTrace;
  return nullptr;
}

bool connectionSetting(Session& session, const Pragma& pragma, const ResultRowCallback& onRow) {
  SessionSettings& settings = session.settings;
  if (bool* flag = flagNamed(settings, pragma.name)) {
    if (pragma.value) {
      *flag = booleanValue(*pragma.value);
    } else {
      reportNumber(session, onRow, lowerAsciiName(pragma.name).c_str(), *flag ? 1 : 0);
    }
  } else if (is(pragma.name, "cache_size")) {
    if (pragma.value) {
      settings.cacheSize = std::abs(std::atoi(pragma.value->c_str()));
    } else {
      int size =
          settings.cacheSize ? *settings.cacheSize : defaultCacheSize(session.btree->readMeta());
      reportNumber(session, onRow, "cache_size", size);
    }
  } else if (is(pragma.name, "synchronous")) {
    if (pragma.value) {
      settings.synchronous = safetyLevel(*pragma.value);
    } else {
      reportNumber(session, onRow, "synchronous", settings.synchronous);
    }
  } else if (is(pragma.name, "temp_store")) {
    if (pragma.value) {
      settings.tempStore = tempStoreValue(*pragma.value);
    } else {
      reportNumber(session, onRow, "temp_store", settings.tempStore);
    }
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool pragmaWritesHeader(const Pragma& pragma) {
  return pragma.value &&
         (is(pragma.name, "default_cache_size") || is(pragma.name, "default_synchronous") ||
          is(pragma.name, "default_temp_store"));
}

void runPragma(Session& session, const Pragma& pragma, const ResultRowCallback& onRow) {
  session.statementStarted = true;
  session.resultNames.clear();
  if (is(pragma.name, "integrity_check")) {
    if (pragma.value) throw Error(SQLITE_ERROR, "near \"" + *pragma.value + "\": syntax error");
    session.resultNames = {"integrity_check"};
    runIntegrityCheck(session, onRow);
    return;
  }
  if (headerSetting(session, pragma, onRow) || connectionSetting(session, pragma, onRow)) return;
  if (is(pragma.name, "database_list")) {
    databaseList(session, onRow);
    return;
  }
  if (!pragma.value) return;
  if (is(pragma.name, "table_info")) tableInfo(session, *pragma.value, onRow);
  if (is(pragma.name, "index_list")) indexList(session, *pragma.value, onRow);
  if (is(pragma.name, "index_info")) indexInfo(session, *pragma.value, onRow);
}

void restoreFileDefaults(Session& session) {
  session.settings.cacheSize.reset();
  session.settings.synchronous = defaultSafetyLevel(session.btree->readMeta());
}

}  // namespace sqlite2
