#include "editor/failure_message.h"

#include "editor/user_texts.h"

namespace orvalen {
namespace {

const char* Headline(FailedAction action) {
  switch (action) {
    case FailedAction::kOpenPluginFile:
      return text::kFailedOpen;
    case FailedAction::kCreatePluginFile:
      return text::kFailedCreate;
    case FailedAction::kRead:
      return text::kFailedRead;
    case FailedAction::kStoreChange:
      return text::kFailedStore;
    case FailedAction::kShowStoredChange:
      return text::kFailedShow;
    case FailedAction::kUndo:
      return text::kFailedUndo;
    case FailedAction::kRedo:
      return text::kFailedRedo;
  }
  return "";
}

// What the user can do, by the kind of failure. Empty when there is nothing to suggest.
const char* Advice(FailedAction action, FailureKind kind) {
  switch (kind) {
    case FailureKind::kBusy:
      return text::kAdviceBusy;
    case FailureKind::kReadOnly:
      return text::kAdviceReadOnly;
    case FailureKind::kDiskFull:
      return text::kAdviceDiskFull;
    case FailureKind::kCorrupt:
      return text::kAdviceCorrupt;
    case FailureKind::kNotPluginFile:
      return text::kAdviceNotPluginFile;
    case FailureKind::kMissingFile:
      return text::kAdviceMissingFile;
    case FailureKind::kTextNotRepresentable:
      return text::kAdviceTextNotRepresentable;
    case FailureKind::kMissingTemplate:
      return text::kAdviceMissingTemplate;
    case FailureKind::kCannotCreateFile:
      return text::kAdviceCannotCreateFile;
    case FailureKind::kRowsChangedElsewhere:
      return text::kAdviceRowsChanged;
    case FailureKind::kOther:
      break;
  }
  if (action == FailedAction::kOpenPluginFile) {
    return text::kAdviceOpen;
  }
  return "";
}

// The reason in the user's language; empty when the kind tells nothing more than the message.
const char* Reason(FailureKind kind) {
  switch (kind) {
    case FailureKind::kBusy:
      return text::kReasonBusy;
    case FailureKind::kReadOnly:
      return text::kReasonReadOnly;
    case FailureKind::kDiskFull:
      return text::kReasonDiskFull;
    case FailureKind::kCorrupt:
      return text::kReasonCorrupt;
    case FailureKind::kNotPluginFile:
      return text::kReasonNotPluginFile;
    case FailureKind::kMissingFile:
      return text::kReasonMissingFile;
    case FailureKind::kTextNotRepresentable:
      return text::kReasonTextNotRepresentable;
    case FailureKind::kMissingTemplate:
      return text::kReasonMissingTemplate;
    case FailureKind::kCannotCreateFile:
      return text::kReasonCannotCreateFile;
    case FailureKind::kRowsChangedElsewhere:
      return text::kReasonRowsChanged;
    case FailureKind::kOther:
      break;
  }
  return "";
}

}  // namespace

std::string FailureMessage(FailedAction action, FailureKind kind, const char* detail,
                           const std::string& file) {
  std::string message = Headline(action);
  if (!file.empty()) message += std::string("\n") + text::kFailureFile + file;
  const std::string advice = Advice(action, kind);
  if (!advice.empty()) message += "\n" + advice;
  const std::string reason = Reason(kind);
  const bool hasDetail = detail && *detail;
  if (!reason.empty() || hasDetail) message += "\n";
  if (!reason.empty()) message += std::string("\n") + text::kFailureReason + reason + "。";
  if (hasDetail) message += std::string("\n") + detail;
  return message;
}

}  // namespace orvalen
