// ENGINE_INVARIANT stops a build without NDEBUG at a broken invariant and costs nothing with
// NDEBUG, where the condition is not even evaluated.

#include "common/invariant.h"

#include <gtest/gtest.h>

namespace sqlite2 {
namespace {

bool countCall(int* calls, bool result) {
  ++*calls;
  return result;
}

TEST(EngineInvariant, ABrokenInvariantStopsTheProcessOnlyWithoutNdebug) {
  int calls = 0;
  ENGINE_INVARIANT(countCall(&calls, true));
#ifdef NDEBUG
  EXPECT_EQ(calls, 0);
  ENGINE_INVARIANT(countCall(&calls, false));
  EXPECT_EQ(calls, 0);
#else
  EXPECT_EQ(calls, 1);
  EXPECT_DEATH(ENGINE_INVARIANT(countCall(&calls, false)), "engine invariant broken: countCall");
#endif
}

}  // namespace
}  // namespace sqlite2
