#pragma once

// Shared by the tests of the engine's layers: what an action throws, as a result code.

#include <functional>
#include <string>

#include "common/error.h"
#include "sqlite.h"

namespace orvalen::test {

// The result code of the sqlite2::Error that action throws, with its message in *message when
// given; SQLITE_OK when it throws none.
inline int errorCodeOf(const std::function<void()>& action, std::string* message = nullptr) {
  try {
    action();
  } catch (const sqlite2::Error& error) {
    if (message) *message = error.what();
    return error.code();
  }
  return SQLITE_OK;
}

}  // namespace orvalen::test
