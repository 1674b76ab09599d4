#include "support/fault_injector.h"

namespace orvalen::test {

using sqlite2::FileOperation;
using sqlite2::InjectedFault;

void FaultInjector::failAt(long nth, InjectedFault fault, Persistence persistence,
                           FileOperationSet watched) {
  watched_ = watched;
  failAt_ = nth;
  fault_ = fault;
  persistence_ = persistence;
  seen_ = 0;
  for (auto& count : seenOfKind_) count = 0;
  injected_ = 0;
}

void FaultInjector::countOnly(FileOperationSet watched) {
  failAt(0, InjectedFault::kNone, kOnce, watched);
}

InjectedFault FaultInjector::before(FileOperation operation) {
  if (!watched_.contains(operation)) return InjectedFault::kNone;
  long number = ++seen_;
  ++seenOfKind_[static_cast<int>(operation)];
  if (failAt_ <= 0 || number < failAt_) return InjectedFault::kNone;
  if (number > failAt_ && persistence_ == kOnce) return InjectedFault::kNone;
  long injected = injected_++;
  if (injected == 0) firstFailed_ = operation;
  if (injected <= 1) secondFailed_ = operation;
  return fault_;
}

const char* operationName(FileOperation operation) {
  switch (operation) {
    case FileOperation::kOpen:
      return "open";
    case FileOperation::kCreate:
      return "create";
    case FileOperation::kRead:
      return "read";
    case FileOperation::kWrite:
      return "write";
    case FileOperation::kSync:
      return "sync";
    case FileOperation::kTruncate:
      return "truncate";
    case FileOperation::kFileSize:
      return "file size";
    case FileOperation::kLock:
      return "lock";
    case FileOperation::kDelete:
      return "delete";
    case FileOperation::kDirectorySync:
      return "directory sync";
  }
  return "?";
}

std::string operationCounts(const FaultInjector& injector) {
  std::string text;
  for (int kind = 0; kind < sqlite2::kFileOperationKinds; ++kind) {
    auto operation = static_cast<FileOperation>(kind);
    long count = injector.operationsSeen(operation);
    if (count == 0) continue;
    text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + operationName(operation);
  }
  return text;
}

}  // namespace orvalen::test
