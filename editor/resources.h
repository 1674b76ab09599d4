#pragma once

// The editor's texts, string table and context menu resource.

#include <string>

#include "editor/toolkit.h"

namespace orvalen {

// The confirmation before a category or a video is deleted.
inline constexpr const char* kDeletePromptText = "操作不可恢复，确定要删除？";
inline constexpr const char* kDeletePromptCaption = "删除提示";
// The caption of the message box that reports a failed database operation.
inline constexpr const char* kErrorCaption = "错误";
// The label of a category that "添加一个类型" has just inserted.
inline constexpr const char* kNewTypeLabel = "新类型";

// Column headings of the video list.
inline constexpr const char* kColumnNumber = "序号";
inline constexpr const char* kColumnName = "视频名称";
inline constexpr const char* kColumnUrl = "视频网址";
inline constexpr const char* kColumnImageUrl = "图片网址";

// The string of a string-table id (IDS_ABOUTBOX), or an empty string for an unknown id.
std::string LoadString(int stringId);

// Pop-up popupIndex of menu IDR_CONTEXT_MENU: 0 for the tree, 1 for the list. Every entry is
// enabled; an unknown index gives an empty menu.
PopupMenu LoadMenuPopup(int popupIndex);

}  // namespace orvalen
