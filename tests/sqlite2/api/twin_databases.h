#pragma once

// Two database files driven with the same statements through two engines' C interfaces:
// the engine under test on one, the reference library on the other.

#include <memory>
#include <string>

#include "engine_calls.h"
#include "statement_outcome.h"
#include "support/temp_dir.h"

namespace orvalen::test {

// Points TMPDIR at /dev/shm when it exists and TMPDIR is not set: the twin files are synced
// after every write, which memory-backed files make cheap. Call before creating twins.
void preferMemoryBackedTemporaryFiles();

class TwinDatabases {
 public:
  // Opens a file named twin.db in a fresh directory for each engine. initialBytes, when
  // given, are written to both files first (a file made elsewhere).
  TwinDatabases(const EngineCalls& tested, const EngineCalls& reference,
                const std::string& initialBytes = std::string());
  ~TwinDatabases();
  TwinDatabases(const TwinDatabases&) = delete;
  TwinDatabases& operator=(const TwinDatabases&) = delete;

  struct Outcomes {
    StatementOutcome tested;
    StatementOutcome reference;
  };
  Outcomes exec(const std::string& sql);
  Outcomes getTable(const std::string& sql);

  // Empty when both files pass the reference's integrity check and read back the same;
  // otherwise what differs. Call only outside transactions: the check opens the files anew.
  std::string compareFiles() const;

  const std::string& testedPath() const { return testedPath_; }
  const std::string& referencePath() const { return referencePath_; }

 private:
  const EngineCalls& tested_;
  const EngineCalls& reference_;
  TempDir testedDir_;
  TempDir referenceDir_;
  std::string testedPath_;
  std::string referencePath_;
  void* testedDb_ = nullptr;
  void* referenceDb_ = nullptr;
};

}  // namespace orvalen::test
