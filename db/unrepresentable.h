#pragma once

// Finding what keeps a text out of a plugin file, so the user can be told before anything is
// stored.

#include <optional>
#include <string>
#include <string_view>

#include "db/code_page.h"

// The first character of a UTF-8 text that the code page cannot hold (its UTF-8 bytes; a byte
// that does not start a well-formed UTF-8 character counts as one), or nothing when it can
// hold the whole text. An unusable code page raises CppSQLiteException as encode() does.
std::optional<std::string> firstUnrepresentableCharacter(const CodePage& codePage,
                                                         std::string_view utf8);
