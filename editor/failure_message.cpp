#include "editor/failure_message.h"

namespace orvalen {
namespace {

const char* Headline(FailedAction action) {
  switch (action) {
    case FailedAction::kOpenPluginFile:
      return "无法打开这个插件文件。";
    case FailedAction::kCreatePluginFile:
      return "无法新建插件文件。";
    case FailedAction::kRead:
      return "没能从插件文件中读出内容，窗口中显示的可能不完整。插件文件没有改动。";
    case FailedAction::kStoreChange:
      return "这项修改没有保存到插件文件中。";
    case FailedAction::kShowStoredChange:
      return "这项修改已经保存到插件文件中，但没能在窗口中显示出来。请不要重复这项修改；"
             "重新打开插件文件就能看到它。";
  }
  return "";
}

// What the user can do, by the kind of failure. Empty when there is nothing to suggest.
const char* Advice(FailedAction action, FailureKind kind) {
  switch (kind) {
    case FailureKind::kBusy:
      return "插件文件正被其他程序使用。请关闭那个程序后再试。";
    case FailureKind::kReadOnly:
      return "插件文件不能写入。请检查这个文件及其所在文件夹的权限。";
    case FailureKind::kDiskFull:
      return "磁盘空间不足。请腾出空间后再试。";
    case FailureKind::kCorrupt:
      return "插件文件已经损坏。请换用它的备份。";
    case FailureKind::kNotPluginFile:
      return "请选择由 Orvalen 新建的视频扩展插件 (*.vdb)。";
    case FailureKind::kMissingFile:
      return "请确认文件的名称和所在的文件夹。";
    case FailureKind::kTextNotRepresentable:
      return "请删去插件文件的代码页不能表示的字符后再试。";
    case FailureKind::kMissingTemplate:
      return "Orvalen 没有安装完整：缺少模板文件 plugin_db_sample.sdb。请重新安装 Orvalen。";
    case FailureKind::kCannotCreateFile:
      return "请确认所选的文件夹存在并且可以写入。";
    case FailureKind::kOther:
      break;
  }
  if (action == FailedAction::kOpenPluginFile) {
    return "请确认这个文件存在、可以读写，并且是由 Orvalen 新建的视频扩展插件 (*.vdb)。";
  }
  return "";
}

// The reason in the user's language; empty when the kind tells nothing more than the message.
const char* Reason(FailureKind kind) {
  switch (kind) {
    case FailureKind::kBusy:
      return "文件被其他程序锁定，等待一分钟后仍未释放";
    case FailureKind::kReadOnly:
      return "文件或其所在文件夹不能写入";
    case FailureKind::kDiskFull:
      return "磁盘已满";
    case FailureKind::kCorrupt:
      return "文件已损坏";
    case FailureKind::kNotPluginFile:
      return "不是视频扩展插件文件";
    case FailureKind::kMissingFile:
      return "文件不存在";
    case FailureKind::kTextNotRepresentable:
      return "文字中有插件文件的代码页不能表示的字符";
    case FailureKind::kMissingTemplate:
      return "找不到模板文件";
    case FailureKind::kCannotCreateFile:
      return "不能在那里新建文件";
    case FailureKind::kOther:
      break;
  }
  return "";
}

}  // namespace

std::string FailureMessage(FailedAction action, FailureKind kind, const char* detail,
                           const std::string& file) {
  std::string text = Headline(action);
  if (!file.empty()) text += "\n文件：" + file;
  const std::string advice = Advice(action, kind);
  if (!advice.empty()) text += "\n" + advice;
  const std::string reason = Reason(kind);
  const bool hasDetail = detail && *detail;
  if (!reason.empty() || hasDetail) text += "\n";
  if (!reason.empty()) text += "\n原因：" + reason + "。";
  if (hasDetail) text += std::string("\n") + detail;
  return text;
}

}  // namespace orvalen
