#include <cstdlib>
#include <new>

#include "api/c_text.h"
#include "common/text_format.h"
#include "sqlite.h"

char* sqlite_vmprintf(const char* format, va_list args) {
  try {
    return sqlite2::api::newCText(sqlite2::formatTextV(format, args));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

char* sqlite_mprintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  char* text = sqlite_vmprintf(format, args);
  va_end(args);
  return text;
}

void sqlite_freemem(void* p) {
  std::free(p);
}
