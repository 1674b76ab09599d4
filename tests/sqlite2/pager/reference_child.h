#pragma once

// A forked child process that the test steps through: the child signals when it reached a
// point and waits there until the parent lets it go on.

#include <sys/types.h>

#include <functional>

namespace sqlite2::test {

class ReferenceChild {
 public:
  // Forks; the child runs body and exits with its result.
  explicit ReferenceChild(const std::function<int(ReferenceChild&)>& body);
  ~ReferenceChild();
  ReferenceChild(const ReferenceChild&) = delete;
  ReferenceChild& operator=(const ReferenceChild&) = delete;

  // In the child.
  void reached();
  void waitForGo();

  // In the parent. waitUntilReached() returns false when the child ended instead.
  bool waitUntilReached();
  void go();
  int exitCode();  // waits for the child to end
  void kill();     // SIGKILL, then waits

 private:
  pid_t pid_ = -1;
  int toParent_[2] = {-1, -1};
  int toChild_[2] = {-1, -1};
  bool ended_ = false;
  int exitCode_ = -1;
};

}  // namespace sqlite2::test
