#include "os/fault_injection.h"

namespace sqlite2 {

namespace fault_injection_detail {
std::atomic<FaultHook*> installedHook{nullptr};
}

FaultHook* installFaultHook(FaultHook* hook) {
  return fault_injection_detail::installedHook.exchange(hook);
}

}  // namespace sqlite2
