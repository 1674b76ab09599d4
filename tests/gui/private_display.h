#pragma once

#include <cstdint>
#include <string>

namespace orvalen::test {

// An X server of this process's own (Xvfb), so that tests which pop up menus or send keys
// never meet another test's windows. DISPLAY points at it while the object lives. A Windows
// program has the desktop it is started on (under Wine, the X server Wine was given).
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
  intptr_t server_ = -1;  // the Xvfb process
  std::string name_;
  std::string why_;
};

}  // namespace orvalen::test
