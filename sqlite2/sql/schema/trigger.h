#pragma once

// A trigger as its CREATE TRIGGER text in sqlite_master (or sqlite_temp_master) defines it.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sql/text/ast.h"

namespace sqlite2 {

struct Trigger {
  std::string name;
  std::string tableName;  // as the statement names it
  // Kept in sqlite_temp_master: made TEMP, or on a temporary table. A trigger of the file
  // reads and writes the file's tables only.
  bool temporary = false;
  // The CREATE TRIGGER text the definition was parsed from (its names point into it).
  std::shared_ptr<const std::string> text;
  std::shared_ptr<const CreateTrigger> definition;

  TriggerTiming timing() const { return definition->timing; }
  TriggerEvent event() const { return definition->event; }
  // Whether an UPDATE of these column names fires it: any UPDATE without an OF list, otherwise
  // one that sets a column of the list.
  bool firesOnUpdateOf(const std::vector<std::string>& assignedColumns) const;
};

// Parses a CREATE TRIGGER text (a copy is kept) of a trigger kept in sqlite_temp_master
// (temporary) or sqlite_master; null when it is no trigger definition. Throws Error for a
// text that does not parse. A trigger of the file that names a table of another database
// keeps that name; otherDatabase, when given, receives the first such database's name.
std::shared_ptr<Trigger> buildTrigger(std::string_view createText, bool temporary,
                                      std::string* otherDatabase = nullptr);

}  // namespace sqlite2
