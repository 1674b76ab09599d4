#pragma once

// The test side of the OS layer's fault hook: counts the file operations the engine makes and
// fails the Nth one (counting only the kinds it is told to watch), once or from then on.
//
//   FaultInjector faults;
//   sqlite2::ScopedFaultHook hook(&faults);
//   faults.failAt(3, sqlite2::InjectedFault::kDiskFull, FaultInjector::kOnce);
//   ... run the work; faults.fired() tells whether the third operation was reached.

#include <atomic>
#include <initializer_list>
#include <string>

#include "os/fault_injection.h"

namespace orvalen::test {

// A set of operation kinds.
class FileOperationSet {
 public:
  static FileOperationSet all() {
    return FileOperationSet((1u << sqlite2::kFileOperationKinds) - 1);
  }
  FileOperationSet(std::initializer_list<sqlite2::FileOperation> operations) {
    for (auto operation : operations) bits_ |= bitOf(operation);
  }
  bool contains(sqlite2::FileOperation operation) const { return (bits_ & bitOf(operation)) != 0; }

 private:
  explicit FileOperationSet(unsigned bits) : bits_(bits) {}
  static unsigned bitOf(sqlite2::FileOperation operation) {
    return 1u << static_cast<unsigned>(operation);
  }
  unsigned bits_ = 0;
};

class FaultInjector : public sqlite2::FaultHook {
 public:
  enum Persistence {
    kOnce,        // only the Nth operation fails; those after it succeed
    kPersistent,  // the Nth operation and every watched one after it fail
  };

  // Counts from zero again and fails the nth watched operation (n >= 1).
  void failAt(long nth, sqlite2::InjectedFault fault, Persistence persistence,
              FileOperationSet watched = FileOperationSet::all());
  // Counts from zero again without failing anything.
  void countOnly(FileOperationSet watched = FileOperationSet::all());

  // Watched operations seen since failAt or countOnly, in all and of one kind.
  long operationsSeen() const { return seen_; }
  long operationsSeen(sqlite2::FileOperation kind) const {
    return seenOfKind_[static_cast<int>(kind)];
  }
  // Whether the planned fault was reached, and how many operations it failed.
  bool fired() const { return injected_ > 0; }
  long faultsInjected() const { return injected_; }
  // The kind of the first operation that failed, and of the one after it (the first again
  // when only one failed).
  sqlite2::FileOperation firstFailedOperation() const { return firstFailed_; }
  sqlite2::FileOperation secondFailedOperation() const { return secondFailed_; }

  sqlite2::InjectedFault before(sqlite2::FileOperation operation) override;

 private:
  FileOperationSet watched_ = FileOperationSet::all();
  long failAt_ = 0;  // 0: never
  sqlite2::InjectedFault fault_ = sqlite2::InjectedFault::kNone;
  Persistence persistence_ = kOnce;
  std::atomic<long> seen_{0};
  std::atomic<long> seenOfKind_[sqlite2::kFileOperationKinds] = {};
  std::atomic<long> injected_{0};
  sqlite2::FileOperation firstFailed_ = sqlite2::FileOperation::kOpen;
  sqlite2::FileOperation secondFailed_ = sqlite2::FileOperation::kOpen;
};

// A readable name of an operation kind, for test messages.
const char* operationName(sqlite2::FileOperation operation);

// The operations the injector saw, by kind: "3 read, 12 write, ...".
std::string operationCounts(const FaultInjector& injector);

}  // namespace orvalen::test
