#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace sqlite2 {

// A column value as the engine stores it: every value is text; std::nullopt is NULL.
using Value = std::optional<std::string>;

// The largest row record and the largest index key (row number included) a table may hold.
// Anything longer fails with SQLITE_TOOBIG.
constexpr size_t kMaxRecordSize = 1048576;

// Throws Error(SQLITE_TOOBIG) when size exceeds kMaxRecordSize.
void checkRecordSize(size_t size);

}  // namespace sqlite2
