#include "editor/failure_message.h"

#include "db/exception.h"
#include "sqlite.h"

namespace orvalen {
namespace {

const char* Headline(FailedAction action) {
  return action == FailedAction::kOpenPluginFile ? "无法打开这个插件文件。"
                                                 : "这项修改没有保存到插件文件中。";
}

// What the user can do, by the kind of failure. Empty when there is nothing to suggest.
const char* Advice(FailedAction action, int code) {
  if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
    return "插件文件正被其他程序使用。请关闭那个程序后再试。";
  if (action == FailedAction::kOpenPluginFile) {
    // The wrapper reports every failed open with one code; the detail tells the reason.
    return "请确认这个文件存在、可以读写，并且是由 Orvalen 新建的视频扩展插件 (*.vdb)。";
  }
  switch (code) {
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
      return "插件文件不能写入。请检查这个文件及其所在文件夹的权限。";
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return "插件文件已经损坏。";
    case SQLITE_FULL:
      return "磁盘空间不足。请腾出空间后再试。";
    case SQLITE_IOERR:
      return "读写文件时出错。请检查磁盘后再试。";
    case CPPSQLITE_ERROR:
      // Once the file is open, the layer's own failures of an edit are texts that the
      // file's code page cannot hold.
      return "请删去插件文件的代码页不能表示的字符后再试。";
    default:
      return "";
  }
}

}  // namespace

std::string FailureMessage(FailedAction action, int code, const char* detail,
                           const std::string& file) {
  std::string text = Headline(action);
  if (!file.empty()) text += "\n文件：" + file;
  const std::string advice = Advice(action, code);
  if (!advice.empty()) text += "\n" + advice;
  if (detail && *detail) text += std::string("\n\n") + detail;
  return text;
}

}  // namespace orvalen
