#pragma once

// The text of the message box that reports a failed operation on a plugin file: what failed,
// what the user can do about it, and the reason, in Chinese where the kind of failure is
// known, followed by the database layer's own message for reference.

#include <string>

#include "db/failure_kind.h"

namespace orvalen {

enum class FailedAction {
  kOpenPluginFile,    // the plugin file could not be opened or is not a plugin file
  kCreatePluginFile,  // a new plugin file could not be made from the template
  kRead,              // reading the file for the window failed; nothing was changed
  kStoreChange,       // an edit could not be written to the plugin file
  kShowStoredChange,  // an edit was written, but showing its result failed
  kUndo,              // an undo could not be written; nothing was changed
  kRedo,              // a redo could not be written; nothing was changed
};

// kind and detail are the CppSQLiteException's kind and message (detail may be null); file,
// when not empty, the path of the file concerned, shown under the first line so that a
// mistyped or unexpected path is seen.
std::string FailureMessage(FailedAction action, FailureKind kind, const char* detail,
                           const std::string& file = std::string());

}  // namespace orvalen
