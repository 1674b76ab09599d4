#include "process_probe.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace orvalen::test {

namespace {

bool lockWholeFile(int descriptor, ProbeLock kind) {
  struct flock request = {};
  request.l_type = kind == ProbeLock::kRead ? F_RDLCK : F_WRLCK;
  request.l_whence = SEEK_SET;
  return fcntl(descriptor, F_SETLK, &request) == 0;
}

int waitForExit(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

bool otherProcessCanLock(const std::string& path, ProbeLock kind) {
  pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    int descriptor = open(path.c_str(), O_RDWR);
    if (descriptor < 0) _exit(2);
    _exit(lockWholeFile(descriptor, kind) ? 0 : 1);
  }
  int code = waitForExit(child);
  if (code > 1) throw std::runtime_error("lock probe failed on " + path);
  return code == 0;
}

LockHolder::LockHolder(const std::string& path, ProbeLock kind) {
  int ready[2], release[2];
  if (pipe(ready) != 0 || pipe(release) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    close(ready[0]);
    close(release[1]);
    int descriptor = open(path.c_str(), O_RDWR);
    char held = descriptor >= 0 && lockWholeFile(descriptor, kind) ? 1 : 0;
    (void)!write(ready[1], &held, 1);
    char ignored;
    (void)!read(release[0], &ignored, 1);  // returns when the parent closes its end
    _exit(0);
  }
  holder_ = child;
  close(ready[1]);
  close(release[0]);
  release_ = release[1];
  char held = 0;
  holding_ = read(ready[0], &held, 1) == 1 && held == 1;
  close(ready[0]);
}

LockHolder::~LockHolder() {
  close(release_);
  waitForExit(static_cast<pid_t>(holder_));
}

UnprivilegedResult runUnprivileged(const std::function<std::string()>& body) {
  UnprivilegedResult result;
  int report[2];
  if (pipe(report) != 0) throw std::runtime_error("pipe failed");
  pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    close(report[0]);
    std::string message;
    char outcome = 'F';
    if (getuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
      outcome = 'S';
      message = "cannot switch to user nobody";
    } else {
      try {
        message = body();
      } catch (const std::exception& error) {
        message = std::string("exception: ") + error.what();
      }
      outcome = message.empty() ? 'P' : 'F';
    }
    (void)!write(report[1], &outcome, 1);
    (void)!write(report[1], message.data(), message.size());
    _exit(0);
  }
  close(report[1]);
  std::string received;
  char buffer[512];
  ssize_t got;
  while ((got = read(report[0], buffer, sizeof buffer)) > 0) received.append(buffer, got);
  close(report[0]);
  int code = waitForExit(child);
  if (received.empty()) {
    result.ran = true;
    result.failure = "child died with status " + std::to_string(code);
  } else if (received[0] == 'S') {
    result.skipReason = received.substr(1);
  } else {
    result.ran = true;
    result.failure = received.substr(1);
  }
  return result;
}

void openUpForOthers(const std::string& directory) {
  chmod(directory.c_str(), 0777);
}

}  // namespace orvalen::test
