#pragma once

// Literals for the random statements, chosen to reach the engine's corners: NULL, negative
// numbers, reals, texts with quotes, empty texts, texts of several kilobytes, GBK and UTF-8
// bytes, numbers as text, dates with and without a time.

#include <string>

#include "random_schema.h"
#include "random_source.h"

namespace orvalen::test {

class RandomValues {
 public:
  explicit RandomValues(RandomSource& random) : random_(random) {}

  std::string number();
  std::string text();
  // Short texts only (no kilobytes), for expressions that are not stored.
  std::string shortText();
  std::string date();
  // A value for the column (any value when column is null).
  std::string forColumn(const ColumnModel* column);
  // A value for an expression: short, with a NULL now and then.
  std::string any();

 private:
  RandomSource& random_;
};

}  // namespace orvalen::test
