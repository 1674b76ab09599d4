#pragma once

// Stands in for the reference engine's loader when the build found none (see
// cmake/OrvalenReference.cmake). It has the loader's interface, so the tests and benchmarks
// that compare with the reference compile as usual, and its loading always fails with the
// reason, which those tests print when they skip.

#include <cstddef>
#include <cstdio>

using sqlite2_reference_callback = int (*)(void*, int, char**, char**);

// One engine's C interface as function pointers, in the loader's shape.
struct sqlite2_reference {
  const char* version;
  void* (*open)(const char* path, int mode, char** errmsg);
  void (*close)(void* db);
  int (*exec)(void* db, const char* sql, sqlite2_reference_callback cb, void* arg, char** errmsg);
  int (*get_table)(void* db, const char* sql, char*** result, int* nrow, int* ncolumn,
                   char** errmsg);
  void (*free_table)(char** result);
  int (*changes)(void* db);
  int (*last_insert_rowid)(void* db);
  void (*busy_timeout)(void* db, int ms);
  char* (*mprintf)(const char* fmt, ...);
  void (*freemem)(void* p);
  const char* (*error_string)(int code);
};

// Fills nothing and returns -1 with the reason in why.
static inline int sqlite2_reference_load(sqlite2_reference* ref, const char* /*home*/, char* why,
                                         std::size_t why_size) {
  *ref = sqlite2_reference{};
  std::snprintf(why, why_size,
                "the build found no reference loader sqlite2_reference.h in %s; configure "
                "with -DORVALEN_REFERENCE_DIR=<folder of the shared sqlite2-reference>",
                ORVALEN_REFERENCE_DIR_SEARCHED);
  return -1;
}
