#pragma once

// Pieces of a test program that run in a process of their own: for tests that need a second
// process (another connection whose locks are its own) or one that dies without cleaning up
// (crash tests). A child is registered under a name at namespace scope:
//
//   int writeUntilKilled(const std::vector<std::string>& arguments) { ... }
//   const bool registered = orvalen::test::registerChild("crash-writer", writeUntilKilled);
//
// and started with ChildProcess("crash-writer", {path}). On POSIX systems the child is a fork
// of the test program that calls the body; on Windows the test program starts itself again
// with --orvalen-child=<name> and the arguments, and main() runs the body instead of the
// tests (runChildIfAsked). Either way the body must not use GoogleTest's assertions: it tells
// the parent what happened through its exit code and reports. (On Windows the reports travel
// through the child's standard output, so a body prints nothing there.)

#include <optional>
#include <string>
#include <vector>

namespace orvalen::test {

using ChildBody = int (*)(const std::vector<std::string>& arguments);

// Returns true, so that it can initialise a namespace-scope constant.
bool registerChild(const std::string& name, ChildBody body);

// For main(): when the command line names a child, runs it and returns its exit code.
std::optional<int> runChildIfAsked(int argc, char** argv);

// In a child: sends one byte to the parent.
void reportToParent(char byte = 1);
// In a child: waits for a byte from the parent; nullopt when the parent closed the channel.
std::optional<char> messageFromParent();
// In a child: ends the process at once, as a crash or SIGKILL would: no destructors, no
// flushing, no cleanup of any kind.
[[noreturn]] void dieAbruptly();

class ChildProcess {
 public:
  ChildProcess(const std::string& name, const std::vector<std::string>& arguments);
  // Kills the child if it still runs.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The next byte the child reported, or nullopt once it has ended.
  std::optional<char> nextReport();
  void tellChild(char byte = 1);
  // Ends the child at once (SIGKILL, TerminateProcess) and waits for it.
  void kill();
  // Waits for the child to end. Its exit code, or a negative number when it was killed or
  // died abruptly.
  int wait();

 private:
  struct Native;
  Native* native_;
  std::optional<int> exitCode_;
};

}  // namespace orvalen::test
