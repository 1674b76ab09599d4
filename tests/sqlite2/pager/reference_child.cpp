#include "reference_child.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace sqlite2::test {

ReferenceChild::ReferenceChild(const std::function<int(ReferenceChild&)>& body) {
  if (pipe(toParent_) != 0 || pipe(toChild_) != 0) throw std::runtime_error("pipe failed");
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    close(toParent_[0]);
    close(toChild_[1]);
    _exit(body(*this));
  }
  close(toParent_[1]);
  close(toChild_[0]);
}

ReferenceChild::~ReferenceChild() {
  if (!ended_) {
    close(toChild_[1]);  // a child still waiting for go() reads end-of-file and goes on
    toChild_[1] = -1;
    exitCode();
  }
  close(toParent_[0]);
  if (toChild_[1] >= 0) close(toChild_[1]);
}

void ReferenceChild::reached() {
  char byte = 1;
  (void)!write(toParent_[1], &byte, 1);
}

void ReferenceChild::waitForGo() {
  char byte;
  (void)!read(toChild_[0], &byte, 1);
}

bool ReferenceChild::waitUntilReached() {
  char byte;
  ssize_t got;
  do {
    got = read(toParent_[0], &byte, 1);
  } while (got < 0 && errno == EINTR);
  return got == 1;
}

void ReferenceChild::go() {
  char byte = 1;
  (void)!write(toChild_[1], &byte, 1);
}

int ReferenceChild::exitCode() {
  if (ended_) return exitCode_;
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  ended_ = true;
  exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return exitCode_;
}

void ReferenceChild::kill() {
  if (!ended_) ::kill(pid_, SIGKILL);
  exitCode();
}

}  // namespace sqlite2::test
