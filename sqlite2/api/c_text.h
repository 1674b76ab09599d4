#pragma once

// Texts handed across the C interface: allocated with malloc, so that sqlite_freemem (free)
// releases them.

#include <string_view>

namespace sqlite2::api {

// A malloc'd, zero-terminated copy of text; nullptr when memory runs out.
char* newCText(std::string_view text);

// Stores a malloc'd copy of message in *errmsg when errmsg is given. An empty message stores
// nullptr: the library reports some failures without a text.
void storeMessage(char** errmsg, std::string_view message);

}  // namespace sqlite2::api
