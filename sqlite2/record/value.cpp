#include "record/value.h"

#include "common/error.h"
#include "sqlite.h"

namespace sqlite2 {

void checkRecordSize(size_t size) {
  if (size > kMaxRecordSize) throw Error(SQLITE_TOOBIG);
}

}  // namespace sqlite2
