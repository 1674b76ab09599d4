#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "support/child_process.h"
#include "support/child_registry.h"

namespace orvalen::test {

namespace {

// In a child: the pipe ends it talks to its parent through.
int reportsToParent = -1;
int messagesFromParent = -1;

int runBody(ChildBody body, const std::vector<std::string>& arguments) {
  try {
    return body(arguments);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "child: %s\n", error.what());
    return 99;
  }
}

}  // namespace

struct ChildProcess::Native {
  pid_t pid;
  int reports;   // read end of the child's reports
  int messages;  // write end of what the child reads
};

// Children are forks that call their body: nothing to do at start-up.
std::optional<int> runChildIfAsked(int, char**) {
  return std::nullopt;
}

void reportToParent(char byte) {
  (void)!write(reportsToParent, &byte, 1);
}

std::optional<char> messageFromParent() {
  char byte;
  if (read(messagesFromParent, &byte, 1) != 1) return std::nullopt;
  return byte;
}

void dieAbruptly() {
  raise(SIGKILL);
  _exit(137);
}

ChildProcess::ChildProcess(const std::string& name, const std::vector<std::string>& arguments) {
  ChildBody body = registeredChild(name);
  if (!body) throw std::logic_error("no child process named " + name);
  int reports[2], messages[2];
  if (pipe(reports) != 0 || pipe(messages) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    close(reports[0]);
    close(messages[1]);
    reportsToParent = reports[1];
    messagesFromParent = messages[0];
    _exit(runBody(body, arguments));
  }
  close(reports[1]);
  close(messages[0]);
  native_ = new Native{pid, reports[0], messages[1]};
}

ChildProcess::~ChildProcess() {
  if (!exitCode_) kill();
  delete native_;
}

std::optional<char> ChildProcess::nextReport() {
  char byte;
  ssize_t got;
  while ((got = read(native_->reports, &byte, 1)) < 0 && errno == EINTR) {
  }
  if (got != 1) return std::nullopt;
  return byte;
}

void ChildProcess::tellChild(char byte) {
  (void)!write(native_->messages, &byte, 1);
}

void ChildProcess::kill() {
  if (exitCode_) return;
  ::kill(native_->pid, SIGKILL);
  wait();
}

int ChildProcess::wait() {
  if (exitCode_) return *exitCode_;
  int status = 0;
  while (waitpid(native_->pid, &status, 0) < 0 && errno == EINTR) {
  }
  close(native_->reports);
  close(native_->messages);
  exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  return *exitCode_;
}

}  // namespace orvalen::test
