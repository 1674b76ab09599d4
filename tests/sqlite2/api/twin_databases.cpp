#include "twin_databases.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "database_dump.h"
#include "support/environment.h"

namespace orvalen::test {

namespace {

void* openOrThrow(const EngineCalls& engine, const std::string& path) {
  char* message = nullptr;
  void* db = engine.open(path.c_str(), 0, &message);
  if (!db) {
    std::string text = message ? message : "no message";
    engine.freemem(message);
    throw std::runtime_error("cannot open " + path + ": " + text);
  }
  return db;
}

// The first line where two dumps part, with a little context, long lines shortened.
std::string firstDifference(const std::string& tested, const std::string& reference) {
  size_t line = 1;
  size_t start = 0;
  while (start < tested.size() && start < reference.size()) {
    const size_t testedEnd = tested.find('\n', start);
    const size_t referenceEnd = reference.find('\n', start);
    const std::string testedLine = tested.substr(start, testedEnd - start);
    const std::string referenceLine = reference.substr(start, referenceEnd - start);
    if (testedLine != referenceLine || testedEnd == std::string::npos) {
      auto clip = [](const std::string& text) {
        return text.size() > 300 ? text.substr(0, 300) + "..." : text;
      };
      return "dumps differ at line " + std::to_string(line) +
             ":\n  tested:    " + clip(testedLine) + "\n  reference: " + clip(referenceLine) + "\n";
    }
    start = testedEnd + 1;
    ++line;
  }
  return "dumps differ in length (" + std::to_string(tested.size()) + " and " +
         std::to_string(reference.size()) + " bytes)\n";
}

}  // namespace

void preferMemoryBackedTemporaryFiles() {
  const char* given = std::getenv("TMPDIR");
  struct stat info {};
  if ((!given || !*given) && stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) &&
      access("/dev/shm", W_OK) == 0) {
    orvalen::test::setEnvironmentVariable("TMPDIR", "/dev/shm");
  }
}

TwinDatabases::TwinDatabases(const EngineCalls& tested, const EngineCalls& reference,
                             const std::string& initialBytes)
    : tested_(tested),
      reference_(reference),
      testedPath_(testedDir_.file("twin.db")),
      referencePath_(referenceDir_.file("twin.db")) {
  if (!initialBytes.empty()) {
    writeFile(testedPath_, initialBytes);
    writeFile(referencePath_, initialBytes);
  }
  testedDb_ = openOrThrow(tested_, testedPath_);
  try {
    referenceDb_ = openOrThrow(reference_, referencePath_);
  } catch (...) {
    tested_.close(testedDb_);
    throw;
  }
}

TwinDatabases::~TwinDatabases() {
  tested_.close(testedDb_);
  reference_.close(referenceDb_);
}

TwinDatabases::Outcomes TwinDatabases::exec(const std::string& sql) {
  return {execOutcome(tested_, testedDb_, sql), execOutcome(reference_, referenceDb_, sql)};
}

TwinDatabases::Outcomes TwinDatabases::getTable(const std::string& sql) {
  return {getTableOutcome(tested_, testedDb_, sql), getTableOutcome(reference_, referenceDb_, sql)};
}

std::string TwinDatabases::compareFiles() const {
  const FileInspection tested = inspectFile(reference_, testedPath_);
  const FileInspection reference = inspectFile(reference_, referencePath_);
  std::string problems;
  if (tested.integrity != "ok")
    problems += "integrity check of the tested file: " + tested.integrity + "\n";
  if (reference.integrity != "ok") {
    problems += "integrity check of the reference file: " + reference.integrity + "\n";
  }
  if (tested.dump != reference.dump) problems += firstDifference(tested.dump, reference.dump);
  return problems;
}

}  // namespace orvalen::test
