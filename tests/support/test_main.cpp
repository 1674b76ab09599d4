// The main() of every test program: a child process started by the tests runs its body
// (support/child_process.h); otherwise GoogleTest runs the tests.

#include <gtest/gtest.h>

#include "support/child_process.h"

int main(int argc, char** argv) {
  if (std::optional<int> childExit = orvalen::test::runChildIfAsked(argc, argv)) return *childExit;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
