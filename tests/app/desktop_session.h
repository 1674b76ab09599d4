#pragma once

// Runs the real orvalen program on a private X server and acts on it with xdotool, as a
// person at the keyboard and mouse would. Every wait is a wait for a condition, with a time
// limit, never a fixed pause.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/gui/private_display.h"

namespace orvalen::test {

using namespace std::chrono_literals;

// How a program is started and how its windows are known.
struct SessionProgram {
  std::vector<std::string> command;     // the program and its arguments
  std::string windowClass = "orvalen";  // what xdotool's --classname finds its windows by
  std::string menuTitle = "orvalen";    // the title of its pop-up menus
  // Whether the display gets a window manager (openbox), as a desktop has: it decorates and
  // focuses the windows, and drags go through it.
  bool windowManager = false;
};

class DesktopSession {
 public:
  // Starts orvalen (the built program, or another copy of it) with workingDir as its current
  // folder, where the file dialogs open.
  explicit DesktopSession(const std::string& workingDir,
                          const std::string& program = ORVALEN_BINARY)
      : DesktopSession(workingDir, SessionProgram{{program}}) {}
  // Starts another program, such as the Windows build under Wine.
  DesktopSession(const std::string& workingDir, const SessionProgram& program);
  ~DesktopSession();
  DesktopSession(const DesktopSession&) = delete;
  DesktopSession& operator=(const DesktopSession&) = delete;

  // Why the session could not start (no Xvfb, no xdotool), or empty when it runs.
  const std::string& unavailable() const { return unavailable_; }

  // The id of the visible window with exactly this title, waiting for it to show.
  std::optional<std::string> waitForWindow(const std::string& title,
                                           std::chrono::milliseconds limit = 15s);
  bool waitForWindowGone(const std::string& title, std::chrono::milliseconds limit = 15s);
  bool isWindowShown(const std::string& title);
  // A pop-up menu is a visible window with the program's menu title.
  bool waitForMenu(std::chrono::milliseconds limit = 10s) {
    return waitForWindow(program_.menuTitle, limit).has_value();
  }
  bool waitForMenuGone(std::chrono::milliseconds limit = 10s) {
    return waitForWindowGone(program_.menuTitle, limit);
  }

  // Whether the program is asleep on a timer (as while it waits for another program's lock),
  // not waiting for input in its event loop.
  bool programSleepsOnATimer();

  // The program's exit status once it has ended, or nothing if it still runs after limit.
  std::optional<int> waitForExit(std::chrono::milliseconds limit = 15s);

  // Input, sent to the window under the pointer (there is no window manager).
  void click(const std::string& window, int x, int y, int button = 1);
  void key(const std::string& keys);
  void type(const std::string& utf8Text);

  void moveTo(const std::string& window, int x, int y);
  // Presses the left button at x, y of window, moves the pointer there in small steps as a
  // hand does, first a little, then to toX, toY of the same window, and lets go.
  void drag(const std::string& window, int x, int y, int toX, int toY);
  // A window's width and height, and the screen position of its top left corner.
  std::pair<int, int> size(const std::string& window);
  std::pair<int, int> position(const std::string& window);
  // The pointer's screen position.
  std::pair<int, int> pointer();
  // The size of the largest icon the window carries for the desktop, as "76 x 76", or "" when
  // it carries none.
  std::string iconSize(const std::string& window);
  // The pixels of a part of a window (x, y from its top left corner), as an image file's bytes,
  // for telling whether two looks differ.
  std::string pixels(const std::string& window, int x, int y, int width, int height);
  // Saves a picture of the whole screen (for looking at a failure).
  void screenshot(const std::string& path);

  // Runs xdotool with the arguments and returns what it printed.
  std::string xdotool(const std::string& arguments);

 private:
  std::vector<std::pair<std::string, std::string>> visibleWindows();
  bool startWindowManager();

  PrivateDisplay display_;
  SessionProgram program_;
  pid_t process_ = -1;
  pid_t windowManager_ = -1;
  std::optional<int> exitStatus_;
  std::string unavailable_;
};

// Polls condition until it holds or limit passes; returns whether it held.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 15s);

}  // namespace orvalen::test
