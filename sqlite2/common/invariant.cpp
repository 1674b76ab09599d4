#include "common/invariant.h"

#include <cstdio>
#include <cstdlib>

namespace sqlite2 {

void invariantBroken(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: engine invariant broken: %s\n", file, line, condition);
  std::abort();
}

}  // namespace sqlite2
