#pragma once

#include <stdexcept>
#include <string>

namespace sqlite2 {

// The one exception of the engine's inner layers. It carries a result code of the C
// interface (SQLITE_BUSY, SQLITE_CORRUPT, ...) and the message the C interface reports.
// The C interface catches it at its edge; nothing escapes to callers of sqlite.h.
class Error : public std::runtime_error {
 public:
  Error(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  // The standard text of the code (what sqlite_error_string gives).
  explicit Error(int code);

  int code() const { return code_; }

 private:
  int code_;
};

// The standard text of a result code, as sqlite_error_string reports it.
const char* resultCodeText(int code);

}  // namespace sqlite2
