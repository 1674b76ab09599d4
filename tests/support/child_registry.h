#pragma once

// Inside the child process support: the bodies registered by name.

#include <string>

#include "support/child_process.h"

namespace orvalen::test {

// nullptr when no child of that name is registered.
ChildBody registeredChild(const std::string& name);

// The option that names the child on a test program's command line.
inline constexpr char kChildOption[] = "--orvalen-child=";

}  // namespace orvalen::test
