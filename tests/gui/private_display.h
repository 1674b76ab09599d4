#pragma once

#include <string>

#include <sys/types.h>

namespace orvalen::test {

// An X server of this process's own (Xvfb), so that tests which pop up menus or send keys
// never meet another test's windows. DISPLAY points at it while the object lives.
class PrivateDisplay {
 public:
  PrivateDisplay();
  ~PrivateDisplay();
  PrivateDisplay(const PrivateDisplay&) = delete;
  PrivateDisplay& operator=(const PrivateDisplay&) = delete;

  // ":N", or empty when Xvfb could not be started (why() tells why).
  const std::string& name() const { return name_; }
  const std::string& why() const { return why_; }

 private:
  pid_t server_ = -1;
  std::string name_;
  std::string why_;
};

}  // namespace orvalen::test
