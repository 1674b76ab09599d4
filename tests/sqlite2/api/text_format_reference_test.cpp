// Compares the engine's printf with the reference library's sqlite_mprintf on many random
// formats and values.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "common/text_format.h"
#include "support/reference_engine.h"

namespace sqlite2 {
namespace {

class ReferenceText {
 public:
  explicit ReferenceText(const sqlite2_reference* ref) : ref_(ref) {}

  template <typename... Args>
  std::string operator()(const std::string& format, Args... args) const {
    char* text = ref_->mprintf(format.c_str(), args...);
    std::string copy = text ? text : "<null>";
    ref_->freemem(text);
    return copy;
  }

 private:
  const sqlite2_reference* ref_;
};

uint64_t testSeed() {
  const char* given = std::getenv("ORVALEN_FORMAT_SEED");
  return given ? std::strtoull(given, nullptr, 10) : std::random_device{}();
}

// A random directive: flags, width and precision (each often absent), then conversion.
std::string randomDirective(std::mt19937_64& rng, char conversion, bool allowLong) {
  std::string directive = "%";
  for (char flag : std::string("-+ #0")) {
    if (rng() % 4 == 0) directive += flag;
  }
  if (rng() % 3 == 0) directive += std::to_string(rng() % 30);
  if (rng() % 2 == 0) directive += "." + std::to_string(rng() % 25);
  if (allowLong && rng() % 2 == 0) directive += 'l';
  return directive + conversion;
}

double randomReal(std::mt19937_64& rng) {
  switch (rng() % 5) {
    case 0: {  // any finite bit pattern
      uint64_t bits = rng();
      double value;
      std::memcpy(&value, &bits, sizeof value);
      return std::isfinite(value) ? value : 1.5;
    }
    case 1:  // short decimals over a wide range of scales
      return static_cast<double>(static_cast<int64_t>(rng() % 2000001) - 1000000) *
             std::pow(10.0, static_cast<int>(rng() % 40) - 20);
    case 2:  // halves at various decimal places: rounding boundaries
      return (static_cast<double>(rng() % 100000) + 0.5) /
             std::pow(10.0, static_cast<int>(rng() % 8));
    case 3:
      return std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(rng() % 200) - 100) *
             (rng() % 2 ? -1 : 1);
    default: {
      const double specials[] = {0.0,
                                 -0.0,
                                 1.0,
                                 -1.0,
                                 0.5,
                                 9.5,
                                 99.5,
                                 1e15,
                                 1e-15,
                                 1e308,
                                 5e-324,
                                 std::numeric_limits<double>::infinity(),
                                 -std::numeric_limits<double>::infinity(),
                                 std::numeric_limits<double>::quiet_NaN()};
      return specials[rng() % (sizeof specials / sizeof specials[0])];
    }
  }
}

std::string randomText(std::mt19937_64& rng) {
  const char alphabet[] = "ab'' \xe4\xb8\xad\xb0\xa1%";
  std::string text;
  const size_t length = rng() % 12 == 0 ? 200 + rng() % 2000 : rng() % 12;
  for (size_t i = 0; i < length; ++i) text += alphabet[rng() % (sizeof alphabet - 1)];
  return text;
}

TEST(TextFormatReferenceTest, RandomRealsMatchTheReference) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const ReferenceText reference(ref);
  const uint64_t seed = testSeed();
  std::mt19937_64 rng(seed);
  const char conversions[] = "feEgG";
  int mismatches = 0;
  for (int i = 0; i < 30000 && mismatches < 10; ++i) {
    const double value = randomReal(rng);
    const std::string directive = randomDirective(rng, conversions[rng() % 5], false);
    const std::string expected = reference(directive, value);
    if (formatText(directive.c_str(), value) != expected) {
      ++mismatches;
      ADD_FAILURE() << "seed " << seed << ": " << directive << " of " << value << " gives "
                    << formatText(directive.c_str(), value) << ", reference " << expected;
    }
    if (formatReal(value) != reference("%.15g", value)) {
      ++mismatches;
      ADD_FAILURE() << "seed " << seed << ": formatReal(" << value << ") gives "
                    << formatReal(value) << ", reference " << reference("%.15g", value);
    }
  }
}

TEST(TextFormatReferenceTest, RandomIntegersMatchTheReference) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const ReferenceText reference(ref);
  const uint64_t seed = testSeed();
  std::mt19937_64 rng(seed);
  const char conversions[] = "diuxXo";
  for (int i = 0; i < 10000; ++i) {
    const std::string directive = randomDirective(rng, conversions[rng() % 6], true);
    const bool isLong = directive.find('l') != std::string::npos;
    const long value = static_cast<long>(rng() >> (rng() % 64));
    const long signedValue = rng() % 2 ? value : -value;
    const std::string ours = isLong ? formatText(directive.c_str(), signedValue)
                                    : formatText(directive.c_str(), static_cast<int>(signedValue));
    const std::string expected = isLong ? reference(directive, signedValue)
                                        : reference(directive, static_cast<int>(signedValue));
    ASSERT_EQ(ours, expected) << "seed " << seed << ": " << directive << " of " << signedValue;
  }
}

TEST(TextFormatReferenceTest, RandomTextsMatchTheReference) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const ReferenceText reference(ref);
  const uint64_t seed = testSeed();
  std::mt19937_64 rng(seed);
  const char conversions[] = "sqQ";
  for (int i = 0; i < 5000; ++i) {
    const std::string directive = randomDirective(rng, conversions[rng() % 3], true);
    const std::string text = randomText(rng);
    const char* argument = rng() % 10 == 0 ? nullptr : text.c_str();
    ASSERT_EQ(formatText(directive.c_str(), argument), reference(directive, argument))
        << "seed " << seed << ": " << directive << " of \"" << text << "\"";
    const std::string charSpec = randomDirective(rng, 'c', false);
    const int character = static_cast<int>(rng() % 255) + 1;
    ASSERT_EQ(formatText(charSpec.c_str(), character), reference(charSpec, character))
        << "seed " << seed << ": " << charSpec << " of " << character;
  }
}

TEST(TextFormatReferenceTest, FormatsWithSeveralConversionsMatchTheReference) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const ReferenceText reference(ref);
  // Formats whose conversions take (int, text, text, double), or stop before using them.
  const char* formats[] = {
      "insert into t values(%d, '%q', %Q, %.15g);",
      "%5d|%-8s|%Q|%e",
      "abc%",
      "abc%7",
      "a%zb%d",
      "%d%lld%s",
  };
  for (const char* format : formats) {
    EXPECT_EQ(formatText(format, 42, "it's", nullptr, 0.1),
              reference(format, 42, "it's", nullptr, 0.1))
        << format;
  }
  EXPECT_EQ(formatText("%s|%5.2s|%-7q|%%|%x|%#o|%+.3e", "ab", "cde", "f'g", -1, 8, 2.5),
            reference("%s|%5.2s|%-7q|%%|%x|%#o|%+.3e", "ab", "cde", "f'g", -1, 8, 2.5));
  EXPECT_EQ(formatText("%-*d|%*.*f|%.*s", -6, 3, 9, 2, 3.14159, 2, "xyz"),
            reference("%-*d|%*.*f|%.*s", -6, 3, 9, 2, 3.14159, 2, "xyz"));
  EXPECT_EQ(formatText("%p|%lp", reinterpret_cast<void*>(123456), reinterpret_cast<void*>(7)),
            reference("%p|%lp", reinterpret_cast<void*>(123456), reinterpret_cast<void*>(7)));
}

}  // namespace
}  // namespace sqlite2
