#include "random_exclusions.h"

#include <cstdlib>
#include <sstream>

namespace orvalen::test {

Exclusions Exclusions::fromEnvironment() {
  Exclusions exclusions;
  const char* named = std::getenv("ORVALEN_RANDOM_UNEXCLUDE");
  if (!named) return exclusions;
  std::istringstream list(named);
  for (std::string name; std::getline(list, name, ',');) {
    for (const ExclusionInfo& info : kExclusions) {
      if (name == "all" || name == info.name) {
        exclusions.avoided_ &= ~(uint64_t{1} << static_cast<int>(info.kind));
      }
    }
  }
  return exclusions;
}

bool Exclusions::tolerates(const StatementOutcome& ours, const StatementOutcome& reference) const {
  StatementOutcome mine = ours;
  if (avoid(Exclusion::FirstErrorOrder) && ours.rc != 0 && ours.rc == reference.rc) {
    mine.error = reference.error;
  }
  return mine == reference;
}

}  // namespace orvalen::test
