#include "private_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace orvalen::test {
namespace {

// Reads the display number Xvfb writes to the descriptor once it accepts connections.
std::string readDisplayNumber(int fd, int timeoutMs) {
  std::string number;
  pollfd ready{fd, POLLIN, 0};
  while (::poll(&ready, 1, timeoutMs) > 0) {
    char c = 0;
    if (::read(fd, &c, 1) != 1 || c == '\n') break;
    number.push_back(c);
  }
  return number;
}

}  // namespace

PrivateDisplay::PrivateDisplay() {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) {
    why_ = "no pipe for Xvfb";
    return;
  }
  server_ = ::fork();
  if (server_ == 0) {
    ::close(pipeFds[0]);
    const int devNull = ::open("/dev/null", O_WRONLY);
    ::dup2(devNull, STDOUT_FILENO);
    ::dup2(devNull, STDERR_FILENO);
    const std::string fd = std::to_string(pipeFds[1]);
    ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten",
             "tcp", "-noreset", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  const std::string number = server_ > 0 ? readDisplayNumber(pipeFds[0], 20000) : "";
  ::close(pipeFds[0]);
  if (number.empty()) {
    why_ = "Xvfb could not be started (is the xvfb package installed?)";
    return;
  }
  name_ = ":" + number;
  ::setenv("DISPLAY", name_.c_str(), 1);
  ::setenv("GDK_BACKEND", "x11", 1);
  ::unsetenv("WAYLAND_DISPLAY");
}

PrivateDisplay::~PrivateDisplay() {
  if (server_ <= 0) return;
  ::kill(static_cast<pid_t>(server_), SIGTERM);
  ::waitpid(static_cast<pid_t>(server_), nullptr, 0);
}

}  // namespace orvalen::test
