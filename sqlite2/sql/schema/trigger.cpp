#include "sql/schema/trigger.h"

#include "common/ascii_case.h"
#include "sql/schema/view_query.h"
#include "sql/text/parser.h"

namespace sqlite2 {

bool Trigger::firesOnUpdateOf(const std::vector<std::string>& assignedColumns) const {
  const std::vector<std::string>& watched = definition->updateColumns;
  if (watched.empty()) return true;
  for (const std::string& assigned : assignedColumns) {
    for (const std::string& column : watched) {
      if (sameName(assigned, column)) return true;
    }
  }
  return false;
}

namespace {

void fixToMainDatabase(TriggerStep& step, std::string* other) {
  auto fixOptional = [other](ExprPtr& expr) {
    if (expr) fixToDatabase(*expr, "main", other);
  };
  if (auto* insert = std::get_if<Insert>(&step)) {
    for (ExprPtr& value : insert->values) fixOptional(value);
    if (insert->select) fixToDatabase(*insert->select, "main", other);
  } else if (auto* update = std::get_if<Update>(&step)) {
    for (Assignment& assignment : update->assignments) fixOptional(assignment.value);
    fixOptional(update->where);
  } else if (auto* del = std::get_if<Delete>(&step)) {
    fixOptional(del->where);
  } else {
    fixToDatabase(std::get<Select>(step), "main", other);
  }
}

}  // namespace

std::shared_ptr<Trigger> buildTrigger(std::string_view createText, bool temporary,
                                      std::string* otherDatabase) {
  auto text = std::make_shared<const std::string>(createText);
  Parser parser(*text, Parser::Mode::LoadSchema);
  Statement statement;
  if (!parser.next(statement)) return nullptr;
  auto* definition = std::get_if<CreateTrigger>(&statement.body);
  if (!definition) return nullptr;
  auto trigger = std::make_shared<Trigger>();
  trigger->name = definition->name;
  trigger->tableName = definition->table;
  trigger->temporary = temporary;
  // A trigger of the file reads the file's tables only, as a view of the file does.
  if (!temporary) {
    // (As in SQLite 2.8, another database named in WHEN is no error here; it fails the
    // statements the trigger would run for.)
    if (definition->when) fixToDatabase(*definition->when, "main");
    for (TriggerStep& step : definition->steps) fixToMainDatabase(step, otherDatabase);
  }
  trigger->definition = std::make_shared<const CreateTrigger>(std::move(*definition));
  trigger->text = std::move(text);
  return trigger;
}

}  // namespace sqlite2
