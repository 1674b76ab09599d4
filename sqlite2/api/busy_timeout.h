#pragma once

// The waiting schedule of the busy handler that sqlite_busy_timeout installs: short sleeps
// first, then 100 ms at a time, the same steps as SQLite 2.8 takes.

namespace sqlite2::api {

// Milliseconds to sleep before retry number attempt (1, 2, ...) under a timeout of timeoutMs;
// 0 or less means give up.
int busyTimeoutDelay(int timeoutMs, int attempt);

}  // namespace sqlite2::api
