#pragma once

// Access to the reference SQLite 2.8 library (installed by the shared set-up script) for
// tests that compare against it. Tests that need it start with
//   ORVALEN_REQUIRE_REFERENCE(ref);
// which skips the test, printing why, when the reference engine cannot be loaded.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sqlite2_reference.h"

namespace orvalen::test {

// The loaded reference engine, or nullptr with the reason in *why.
const sqlite2_reference* referenceEngine(std::string* why);

// Runs sql on the file with the reference engine and returns every row as "a|b|c" (NULL as
// empty). Throws std::runtime_error with the engine's message when it fails.
std::vector<std::string> referenceQuery(const std::string& path, const std::string& sql);

// The reference engine's PRAGMA integrity_check answer for the file ("ok" when sound).
std::string referenceIntegrity(const std::string& path);

}  // namespace orvalen::test

#define ORVALEN_REQUIRE_REFERENCE(ref)                                          \
  const sqlite2_reference* ref = nullptr;                                       \
  do {                                                                          \
    std::string orvalen_why_;                                                   \
    ref = ::orvalen::test::referenceEngine(&orvalen_why_);                      \
    if (!ref) GTEST_SKIP() << "reference engine unavailable: " << orvalen_why_; \
  } while (0)
