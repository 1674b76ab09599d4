#pragma once

// The text of the message box that reports a failed database operation: what failed, what
// the user can do about it, and the database layer's own message for the details.

#include <string>

namespace orvalen {

enum class FailedAction {
  kOpenPluginFile,  // the plugin file could not be opened or is not a plugin file
  kStoreChange,     // an edit could not be written to the plugin file
};

// code is the CppSQLiteException's code; detail its message (may be null); file, when not
// empty, the path of the file concerned, shown under the first line so that a mistyped or
// unexpected path is seen.
std::string FailureMessage(FailedAction action, int code, const char* detail,
                           const std::string& file = std::string());

}  // namespace orvalen
