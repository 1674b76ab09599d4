#pragma once

#include <string>

namespace sqlite2 {

// A name for a temporary file as SQLite 2.8 makes them: "sqlite_" and 15 random letters and
// digits, so that both engines' leftovers look alike in the temporary folder. Each call draws
// new letters; a caller that needs a free name checks it and asks again.
std::string temporaryFileName();

}  // namespace sqlite2
