#pragma once

// The one error type of the plugin file access layer: every failure of the wrapper, of the
// SQLite 2 library under it, or of the text conversion is thrown as a CppSQLiteException.
// Besides its code and message it tells the kind of failure (db/failure_kind.h), so callers
// never need to read result codes.

#include "db/failure_kind.h"

// The layer's own code, for failures that are not the library's.
constexpr int CPPSQLITE_ERROR = 1000;

class CppSQLiteException {
 public:
  // Formats the message "<code name>[<code>]: <text>" with sqlite_mprintf. A null text is
  // formatted as the empty string, so the message then ends in ": ". When textFromLibrary is
  // true the text was handed back by the library and is released here, exactly once.
  // The kind follows from the code (failureKindOfCode) unless it is given.
  CppSQLiteException(int code, const char* text, bool textFromLibrary);
  CppSQLiteException(int code, const char* text, bool textFromLibrary, FailureKind kind);
  // A failure of the layer's own (code CPPSQLITE_ERROR) of a known kind.
  CppSQLiteException(FailureKind kind, const char* text);

  // A copy owns a fresh copy of the message (or none when the source has none).
  CppSQLiteException(const CppSQLiteException& other);
  CppSQLiteException& operator=(const CppSQLiteException& other);
  virtual ~CppSQLiteException();

  int code() const { return code_; }
  FailureKind kind() const { return kind_; }
  // The formatted message, or null when there is none (formatting ran out of memory).
  const char* message() const { return message_; }

  // The symbolic name of a result code: "SQLITE_OK" ... "SQLITE_RANGE", "SQLITE_ROW",
  // "SQLITE_DONE", "CPPSQLITE_ERROR" for 1000, and "UNKNOWN_ERROR" for anything else.
  static const char* codeName(int code);

 private:
  int code_;
  FailureKind kind_;
  char* message_;
};
