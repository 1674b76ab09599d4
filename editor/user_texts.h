#pragma once

// Every text that Orvalen shows its user, in one table, so that the wording stays one: the
// editor, its windows (editor/wx/) and the start-up (app/) all take their texts from here.
// Texts that name something in a sentence hold the quotation marks a Chinese program uses
// around it (“...”); Texts meant for format pieces say where their parts go.

namespace orvalen::text {

// Buttons and captions shared by several windows.
inline constexpr const char* kOk = "确定";
inline constexpr const char* kCancel = "取消";
inline constexpr const char* kErrorCaption = "错误";

// The chooser and its file dialogs.
inline constexpr const char* kChooserCaption = "类型选择";
inline constexpr const char* kChooserNewPlugin = "设计一个新的视频扩展插件";
inline constexpr const char* kChooserOpenPlugin = "修改已经存在的视频扩展插件";
inline constexpr const char* kPluginFileFilter = "视频扩展插件 (*.vdb)|*.vdb||";
inline constexpr const char* kSaveAsCaption = "另存为";
inline constexpr const char* kOpenCaption = "打开";

// The editor window.
inline constexpr const char* kGroupTypes = "分类";
inline constexpr const char* kGroupItems = "内容";
inline constexpr const char* kColumnNumber = "序号";
inline constexpr const char* kColumnName = "视频名称";
inline constexpr const char* kColumnUrl = "视频网址";
inline constexpr const char* kColumnImageUrl = "图片网址";
// The label of a category that "添加一个类型" has just inserted.
inline constexpr const char* kNewTypeLabel = "新类型";
// The confirmation before a category or a video is deleted.
inline constexpr const char* kDeletePromptText = "操作不可恢复，确定要删除？";
inline constexpr const char* kDeletePromptCaption = "删除提示";

// The context menus: the tree's, then the list's, then the entries both have.
inline constexpr const char* kMenuTypeAdd = "添加一个类型";
inline constexpr const char* kMenuModify = "修改";
inline constexpr const char* kMenuDelete = "删除";
inline constexpr const char* kMenuItemAdd = "添加";
inline constexpr const char* kMenuMove = "移动到...";
inline constexpr const char* kMenuFind = "查找...\tCtrl+F";
// "撤销" or "重做", then (when there is one) what would be undone or redone, then the key.
inline constexpr const char* kMenuUndo = "撤销";
inline constexpr const char* kMenuRedo = "重做";
inline constexpr const char* kMenuUndoKey = "\tCtrl+Z";
inline constexpr const char* kMenuRedoKey = "\tCtrl+Y";
inline constexpr const char* kAboutEntry = "关于 Orvalen(&A)...";

// What a step of the history did, as the undo and redo entries name it: the action, a space,
// then the name in quotation marks, or the number of videos for several.
inline constexpr const char* kStepAdd = "添加";
inline constexpr const char* kStepRename = "重命名";
inline constexpr const char* kStepModify = "修改";
inline constexpr const char* kStepDelete = "删除";
inline constexpr const char* kStepMove = "移动";
inline constexpr const char* kOpenQuote = "“";
inline constexpr const char* kCloseQuote = "”";
// "<number> 个视频"
inline constexpr const char* kVideosCountSuffix = " 个视频";
// What stands for the rest of a name too long for a menu entry.
inline constexpr const char* kEllipsis = "…";

// The move dialog.
inline constexpr const char* kMoveTypeCaption = "移动类型到";
inline constexpr const char* kMoveItemsCaption = "移动视频到";

// The find box: the label of its field, and what a search did not find ("找不到" and the text in
// quotation marks).
inline constexpr const char* kFindLabel = "查找内容：";
inline constexpr const char* kNotFound = "找不到";

// The video details dialog.
inline constexpr const char* kItemDialogCaption = "视频信息";
inline constexpr const char* kItemNameLabel = "视频名称：";
inline constexpr const char* kItemUrlLabel = "视频网址：";
inline constexpr const char* kItemImageUrlLabel = "图片网址：";

// The about box.
inline constexpr const char* kAboutCaption = "关于 Orvalen";
inline constexpr const char* kAboutVersion = "Orvalen，1.0 版";

// A text the plugin file's code page cannot hold: "<field>中的字符“<c>”(U+XXXX)" + kNotStored
// + the code page's name + kNoSuchCharacter. The fields are named as below.
inline constexpr const char* kFieldTypeName = "类型名称";
inline constexpr const char* kFieldVideoName = "视频名称";
inline constexpr const char* kFieldVideoUrl = "视频网址";
inline constexpr const char* kFieldImageUrl = "图片网址";
inline constexpr const char* kCharacterIn = "中的字符";
inline constexpr const char* kNotStored = "不能保存到插件文件中：插件文件的代码页 ";
inline constexpr const char* kNoSuchCharacter = " 没有这个字符。请删去或换掉它。";

// Failure messages: what failed (the headline), then where, what to do, and why.
inline constexpr const char* kFailedOpen = "无法打开这个插件文件。";
inline constexpr const char* kFailedCreate = "无法新建插件文件。";
inline constexpr const char* kFailedRead =
    "没能从插件文件中读出内容，窗口中显示的可能不完整。插件文件没有改动。";
inline constexpr const char* kFailedStore = "这项修改没有保存到插件文件中。";
inline constexpr const char* kFailedShow =
    "这项修改已经保存到插件文件中，但没能在窗口中显示出来。请不要重复这项修改；"
    "重新打开插件文件就能看到它。";
inline constexpr const char* kFailedUndo = "没能撤销这项修改。插件文件没有改动。";
inline constexpr const char* kFailedRedo = "没能重做这项修改。插件文件没有改动。";
inline constexpr const char* kFailureFile = "文件：";
inline constexpr const char* kFailureReason = "原因：";

inline constexpr const char* kAdviceBusy = "插件文件正被其他程序使用。请关闭那个程序后再试。";
inline constexpr const char* kAdviceReadOnly =
    "插件文件不能写入。请检查这个文件及其所在文件夹的权限。";
inline constexpr const char* kAdviceDiskFull = "磁盘空间不足。请腾出空间后再试。";
inline constexpr const char* kAdviceCorrupt = "插件文件已经损坏。请换用它的备份。";
inline constexpr const char* kAdviceNotPluginFile = "请选择由 Orvalen 新建的视频扩展插件 (*.vdb)。";
inline constexpr const char* kAdviceMissingFile = "请确认文件的名称和所在的文件夹。";
inline constexpr const char* kAdviceTextNotRepresentable =
    "请删去插件文件的代码页不能表示的字符后再试。";
inline constexpr const char* kAdviceMissingTemplate =
    "Orvalen 没有安装完整：缺少模板文件 plugin_db_sample.sdb。请重新安装 Orvalen。";
inline constexpr const char* kAdviceCannotCreateFile = "请确认所选的文件夹存在并且可以写入。";
inline constexpr const char* kAdviceRowsChanged =
    "插件文件中的这些内容已被其他程序改动过，为了不覆盖那些改动，这一步不能再撤销或重做。";
inline constexpr const char* kAdviceOpen =
    "请确认这个文件存在、可以读写，并且是由 Orvalen 新建的视频扩展插件 (*.vdb)。";

inline constexpr const char* kReasonBusy = "文件被其他程序锁定，等待一分钟后仍未释放";
inline constexpr const char* kReasonReadOnly = "文件或其所在文件夹不能写入";
inline constexpr const char* kReasonDiskFull = "磁盘已满";
inline constexpr const char* kReasonCorrupt = "文件已损坏";
inline constexpr const char* kReasonNotPluginFile = "不是视频扩展插件文件";
inline constexpr const char* kReasonMissingFile = "文件不存在";
inline constexpr const char* kReasonTextNotRepresentable = "文字中有插件文件的代码页不能表示的字符";
inline constexpr const char* kReasonMissingTemplate = "找不到模板文件";
inline constexpr const char* kReasonCannotCreateFile = "不能在那里新建文件";
inline constexpr const char* kReasonRowsChanged = "其他程序改动了这些内容";

}  // namespace orvalen::text
