#include "common/error.h"
#include "sqlite.h"

const char* sqlite_libversion(void) {
  return SQLITE_VERSION;
}

const char* sqlite_libencoding(void) {
  return SQLITE_ENCODING;
}

const char* sqlite_error_string(int code) {
  return sqlite2::resultCodeText(code);
}
