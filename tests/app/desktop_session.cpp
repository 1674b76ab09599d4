#include "desktop_session.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace orvalen::test {
namespace {

std::string quoted(const std::string& text) {
  std::string result = "'";
  for (char c : text) {
    if (c == '\'') {
      result += "'\\''";
    } else {
      result += c;
    }
  }
  return result + "'";
}

std::string runAndRead(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  ::pclose(pipe);
  return output;
}

bool haveXdotool() {
  return std::system("command -v xdotool >/dev/null 2>&1") == 0;
}

}  // namespace

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(30ms);
  }
}

DesktopSession::DesktopSession(const std::string& workingDir, const SessionProgram& program)
    : program_(program) {
  if (display_.name().empty()) {
    unavailable_ = display_.why();
    return;
  }
  if (!haveXdotool()) {
    unavailable_ = "xdotool is not installed";
    return;
  }
  if (program_.windowManager && !startWindowManager()) {
    unavailable_ = "the window manager openbox is not installed or did not start";
    return;
  }
  std::vector<char*> argv;
  for (std::string& part : program_.command) argv.push_back(part.data());
  argv.push_back(nullptr);
  process_ = ::fork();
  if (process_ == 0) {
    if (::chdir(workingDir.c_str()) != 0) ::_exit(126);
    // No desktop services here: settings stay in memory, no accessibility bus.
    ::setenv("GSETTINGS_BACKEND", "memory", 1);
    ::setenv("NO_AT_BRIDGE", "1", 1);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
}

DesktopSession::~DesktopSession() {
  if (process_ > 0 && !exitStatus_) {
    ::kill(process_, SIGKILL);
    ::waitpid(process_, nullptr, 0);
  }
  if (windowManager_ > 0) {
    ::kill(windowManager_, SIGTERM);
    ::waitpid(windowManager_, nullptr, 0);
  }
}

// It runs once it has claimed the screen (the root window names its check window).
bool DesktopSession::startWindowManager() {
  if (std::system("command -v openbox >/dev/null 2>&1") != 0) return false;
  windowManager_ = ::fork();
  if (windowManager_ == 0) {
    ::execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return windowManager_ > 0 && waitUntil([] {
           return runAndRead("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null")
                      .find("window id") != std::string::npos;
         });
}

void DesktopSession::drag(const std::string& window, int x, int y, int toX, int toY) {
  moveTo(window, x, y);
  xdotool("mousedown 1");
  // A few small steps first, where the control recognises the start of a drag. Each waits
  // long enough for a busy program to take it: motions it takes together count as one.
  std::this_thread::sleep_for(200ms);
  constexpr int kStartSteps = 6;
  for (int step = 1; step <= kStartSteps; ++step) {
    moveTo(window, x - 3 * step, y);
    std::this_thread::sleep_for(150ms);
  }
  constexpr int kSteps = 10;
  const int fromX = x - 3 * kStartSteps;
  for (int step = 1; step <= kSteps; ++step) {
    moveTo(window, fromX + (toX - fromX) * step / kSteps, y + (toY - y) * step / kSteps);
    std::this_thread::sleep_for(150ms);
  }
  // The drop target answers a moment after the pointer arrives; a hand rests there too.
  for (int rest = 0; rest < 3; ++rest) {
    moveTo(window, toX + rest % 2, toY);
    std::this_thread::sleep_for(500ms);
  }
  xdotool("mouseup 1");
}

std::string DesktopSession::xdotool(const std::string& arguments) {
  return runAndRead("xdotool " + arguments + " 2>/dev/null");
}

std::vector<std::pair<std::string, std::string>> DesktopSession::visibleWindows() {
  std::vector<std::pair<std::string, std::string>> windows;
  std::istringstream ids(
      xdotool("search --onlyvisible --classname " + quoted(program_.windowClass)));
  for (std::string id; std::getline(ids, id);) {
    std::string name = xdotool("getwindowname " + id);
    if (!name.empty() && name.back() == '\n') name.pop_back();
    windows.emplace_back(id, name);
  }
  return windows;
}

std::optional<std::string> DesktopSession::waitForWindow(const std::string& title,
                                                         std::chrono::milliseconds limit) {
  std::optional<std::string> found;
  waitUntil(
      [&] {
        for (const auto& [id, name] : visibleWindows()) {
          if (name == title) found = id;
        }
        return found.has_value();
      },
      limit);
  return found;
}

bool DesktopSession::isWindowShown(const std::string& title) {
  for (const auto& window : visibleWindows()) {
    if (window.second == title) return true;
  }
  return false;
}

bool DesktopSession::waitForWindowGone(const std::string& title, std::chrono::milliseconds limit) {
  return waitUntil([&] { return !isWindowShown(title); }, limit);
}

std::optional<int> DesktopSession::waitForExit(std::chrono::milliseconds limit) {
  waitUntil(
      [&] {
        if (exitStatus_) return true;
        int status = 0;
        if (process_ <= 0 || ::waitpid(process_, &status, WNOHANG) != process_) return false;
        exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return true;
      },
      limit);
  return exitStatus_;
}

void DesktopSession::moveTo(const std::string& window, int x, int y) {
  xdotool("mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y));
}

void DesktopSession::click(const std::string& window, int x, int y, int button) {
  moveTo(window, x, y);
  xdotool("click " + std::to_string(button));
}

std::pair<int, int> DesktopSession::size(const std::string& window) {
  std::istringstream lines(xdotool("getwindowgeometry --shell " + window));
  int width = 0;
  int height = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("WIDTH=", 0) == 0) width = std::atoi(line.c_str() + 6);
    if (line.rfind("HEIGHT=", 0) == 0) height = std::atoi(line.c_str() + 7);
  }
  return {width, height};
}

bool DesktopSession::programSleepsOnATimer() {
  if (process_ <= 0) return false;
  const std::string channel =
      runAndRead("cat /proc/" + std::to_string(process_) + "/wchan 2>/dev/null");
  return channel.find("nanosleep") != std::string::npos;
}

std::pair<int, int> DesktopSession::position(const std::string& window) {
  std::istringstream lines(xdotool("getwindowgeometry --shell " + window));
  int x = 0;
  int y = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("X=", 0) == 0) x = std::atoi(line.c_str() + 2);
    if (line.rfind("Y=", 0) == 0) y = std::atoi(line.c_str() + 2);
  }
  return {x, y};
}

std::pair<int, int> DesktopSession::pointer() {
  std::istringstream lines(xdotool("getmouselocation --shell"));
  int x = 0;
  int y = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("X=", 0) == 0) x = std::atoi(line.c_str() + 2);
    if (line.rfind("Y=", 0) == 0) y = std::atoi(line.c_str() + 2);
  }
  return {x, y};
}

std::string DesktopSession::iconSize(const std::string& window) {
  const std::string icons = runAndRead("xprop -id " + window + " _NET_WM_ICON 2>/dev/null");
  std::string largest;
  int largestWidth = 0;
  for (std::size_t at = icons.find("Icon ("); at != std::string::npos;
       at = icons.find("Icon (", at + 1)) {
    const std::size_t end = icons.find(')', at);
    const std::string size = icons.substr(at + 6, end - at - 6);
    const int width = std::atoi(size.c_str());
    if (width > largestWidth) {
      largestWidth = width;
      largest = size;
    }
  }
  return largest;
}

std::string DesktopSession::pixels(const std::string& window, int x, int y, int width, int height) {
  const std::string crop = std::to_string(width) + "x" + std::to_string(height) + "+" +
                           std::to_string(x) + "+" + std::to_string(y);
  return runAndRead("import -window " + window + " -crop " + crop + " rgb:- 2>/dev/null");
}

void DesktopSession::screenshot(const std::string& path) {
  runAndRead("import -window root " + quoted(path) + " 2>/dev/null");
}

void DesktopSession::key(const std::string& keys) {
  xdotool("key --delay 40 " + keys);
}

// xdotool types a character that has no key by binding it to a spare key for a moment; a
// program that reads the keyboard map late (Wine does, on a busy machine) may see the next
// binding, or none. So each such character goes alone, with time to be read before the next.
void DesktopSession::type(const std::string& utf8Text) {
  size_t start = 0;
  while (start < utf8Text.size()) {
    size_t end = start;
    const bool plain = static_cast<unsigned char>(utf8Text[start]) < 0x80;
    if (plain) {
      while (end < utf8Text.size() && static_cast<unsigned char>(utf8Text[end]) < 0x80) ++end;
    } else {
      end = start + 1;
      while (end < utf8Text.size() && (static_cast<unsigned char>(utf8Text[end]) & 0xC0) == 0x80) {
        ++end;
      }
    }
    xdotool("type --delay 40 " + quoted(utf8Text.substr(start, end - start)));
    if (!plain) std::this_thread::sleep_for(150ms);
    start = end;
  }
}

}  // namespace orvalen::test
