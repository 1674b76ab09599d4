#include "os/local_time.h"

namespace sqlite2 {

bool localCalendarTime(int64_t unixSeconds, std::tm* local) {
  std::time_t time = static_cast<std::time_t>(unixSeconds);
  return localtime_s(local, &time) == 0;
}

}  // namespace sqlite2
