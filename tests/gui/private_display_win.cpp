#include "private_display.h"

namespace orvalen::test {

// Windows has one desktop per session; scripts/build-windows runs the tests under Wine on an
// X server of their own.
PrivateDisplay::PrivateDisplay() : name_("the Windows desktop") {}

PrivateDisplay::~PrivateDisplay() = default;

}  // namespace orvalen::test
