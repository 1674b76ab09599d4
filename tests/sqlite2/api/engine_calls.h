#pragma once

// One engine's C interface as a table of functions, so that a test can drive the reference
// library and Orvalen's engine through the same code. The shape is the reference loader's.

#include "sqlite2_reference.h"

namespace orvalen::test {

using EngineCalls = sqlite2_reference;

// Orvalen's engine (sqlite.h) in that shape.
const EngineCalls& ourEngineCalls();

}  // namespace orvalen::test
