#pragma once

#include <string>

namespace sqlite2 {

// Appends the text form of r whose byte order equals numeric order (used for numbers in index
// keys): a sign character, a two-symbol base-64 exponent and up to ten base-64 digits.
void appendSortableNumber(std::string& out, double r);

}  // namespace sqlite2
