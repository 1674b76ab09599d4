#include "db/exception.h"

#include "sqlite.h"

namespace {

char* copyMessage(const char* message) {
  return message ? sqlite_mprintf("%s", message) : nullptr;
}

}  // namespace

CppSQLiteException::CppSQLiteException(int code, const char* text, bool textFromLibrary)
    : CppSQLiteException(code, text, textFromLibrary, failureKindOfCode(code)) {}

CppSQLiteException::CppSQLiteException(int code, const char* text, bool textFromLibrary,
                                       FailureKind kind)
    : code_(code),
      kind_(kind),
      message_(sqlite_mprintf("%s[%d]: %s", codeName(code), code, text ? text : "")) {
  if (textFromLibrary && text) sqlite_freemem(const_cast<char*>(text));
}

CppSQLiteException::CppSQLiteException(FailureKind kind, const char* text)
    : CppSQLiteException(CPPSQLITE_ERROR, text, false, kind) {}

CppSQLiteException::CppSQLiteException(const CppSQLiteException& other)
    : code_(other.code_), kind_(other.kind_), message_(copyMessage(other.message_)) {}

CppSQLiteException& CppSQLiteException::operator=(const CppSQLiteException& other) {
  if (this == &other) return *this;
  char* copy = copyMessage(other.message_);
  if (message_) sqlite_freemem(message_);
  code_ = other.code_;
  kind_ = other.kind_;
  message_ = copy;
  return *this;
}

CppSQLiteException::~CppSQLiteException() {
  if (message_) sqlite_freemem(message_);
  message_ = nullptr;
}

const char* CppSQLiteException::codeName(int code) {
  static const char* const kLibraryCodes[] = {
      "SQLITE_OK",       "SQLITE_ERROR",     "SQLITE_INTERNAL", "SQLITE_PERM",
      "SQLITE_ABORT",    "SQLITE_BUSY",      "SQLITE_LOCKED",   "SQLITE_NOMEM",
      "SQLITE_READONLY", "SQLITE_INTERRUPT", "SQLITE_IOERR",    "SQLITE_CORRUPT",
      "SQLITE_NOTFOUND", "SQLITE_FULL",      "SQLITE_CANTOPEN", "SQLITE_PROTOCOL",
      "SQLITE_EMPTY",    "SQLITE_SCHEMA",    "SQLITE_TOOBIG",   "SQLITE_CONSTRAINT",
      "SQLITE_MISMATCH", "SQLITE_MISUSE",    "SQLITE_NOLFS",    "SQLITE_AUTH",
      "SQLITE_FORMAT",   "SQLITE_RANGE"};
  constexpr int kLibraryCodeCount = sizeof kLibraryCodes / sizeof kLibraryCodes[0];
  if (code >= 0 && code < kLibraryCodeCount) return kLibraryCodes[code];
  switch (code) {
    case SQLITE_ROW:
      return "SQLITE_ROW";
    case SQLITE_DONE:
      return "SQLITE_DONE";
    case CPPSQLITE_ERROR:
      return "CPPSQLITE_ERROR";
    default:
      return "UNKNOWN_ERROR";
  }
}
