#include "support/reference_engine.h"

#include <stdexcept>

namespace orvalen::test {

const sqlite2_reference* referenceEngine(std::string* why) {
  static sqlite2_reference engine;
  static std::string failure;
  static const bool loaded = [] {
    char reason[512] = "";
    if (sqlite2_reference_load(&engine, nullptr, reason, sizeof reason) == 0) return true;
    failure = reason;
    return false;
  }();
  if (!loaded && why) *why = failure;
  return loaded ? &engine : nullptr;
}

namespace {

int collectRow(void* arg, int columns, char** values, char** /*names*/) {
  auto* rows = static_cast<std::vector<std::string>*>(arg);
  std::string row;
  for (int i = 0; i < columns; ++i) {
    if (i) row += '|';
    if (values[i]) row += values[i];
  }
  rows->push_back(row);
  return 0;
}

}  // namespace

std::vector<std::string> referenceQuery(const std::string& path, const std::string& sql) {
  std::string why;
  const sqlite2_reference* ref = referenceEngine(&why);
  if (!ref) throw std::runtime_error("reference engine unavailable: " + why);
  char* error = nullptr;
  void* db = ref->open(path.c_str(), 0, &error);
  if (!db) {
    std::string message = error ? error : "open failed";
    if (error) ref->freemem(error);
    throw std::runtime_error("reference open: " + message);
  }
  ref->busy_timeout(db, 10000);
  std::vector<std::string> rows;
  int rc = ref->exec(db, sql.c_str(), collectRow, &rows, &error);
  std::string message = error ? error : "";
  if (error) ref->freemem(error);
  ref->close(db);
  if (rc != 0) throw std::runtime_error("reference exec rc " + std::to_string(rc) + ": " + message);
  return rows;
}

std::string referenceIntegrity(const std::string& path) {
  std::vector<std::string> rows = referenceQuery(path, "PRAGMA integrity_check;");
  std::string joined;
  for (const std::string& row : rows) joined += (joined.empty() ? "" : "\n") + row;
  return joined;
}

}  // namespace orvalen::test
