#pragma once

// Texts that a plugin file's code page cannot hold are refused where the user typed them,
// before anything is stored, with a message that names the character and the code page.

#include <optional>
#include <string>

#include "db/code_page.h"
#include "editor/user_texts.h"

namespace orvalen {

// The message refusing text for field, or nothing when the code page can hold it.
std::optional<std::string> RefusalOfText(const CodePage& codePage, const char* field,
                                         const std::string& text);

}  // namespace orvalen
