#pragma once

// The machine's time zone, as the C library knows it (the TZ variable on POSIX systems, the
// system setting on Windows).

#include <cstdint>
#include <ctime>

namespace sqlite2 {

// The local calendar time at unixSeconds (seconds since 1970-01-01 00:00:00 UTC). False when
// the C library cannot convert that time.
bool localCalendarTime(int64_t unixSeconds, std::tm* local);

}  // namespace sqlite2
