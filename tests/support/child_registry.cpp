#include <map>

#include "support/child_process.h"
#include "support/child_registry.h"

namespace orvalen::test {

namespace {

std::map<std::string, ChildBody>& children() {
  static std::map<std::string, ChildBody> registered;
  return registered;
}

}  // namespace

bool registerChild(const std::string& name, ChildBody body) {
  children()[name] = body;
  return true;
}

ChildBody registeredChild(const std::string& name) {
  const auto found = children().find(name);
  return found == children().end() ? nullptr : found->second;
}

}  // namespace orvalen::test
