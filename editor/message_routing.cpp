// The routing table: which handler a command or notification reaches, and the enabling rule
// that is asked before a command runs. A command whose rule says disabled is dropped
// silently. Database failures stop at this edge: they are reported, never passed on to the
// toolkit.

#include "editor/failure_message.h"
#include "editor/orvalen_dlg.h"
#include "editor/resources.h"

namespace orvalen {

const std::vector<COrvalenDlg::CommandEntry>& COrvalenDlg::CommandMap() {
  static const std::vector<CommandEntry> map = {
      {ID_TYPE_ADD, &COrvalenDlg::OnTypeAdd, &COrvalenDlg::OnUpdateTypeAdd},
      {ID_TYPE_MODIFY, &COrvalenDlg::OnTypeModify, &COrvalenDlg::OnUpdateTypeEdit},
      {ID_TYPE_DELETE, &COrvalenDlg::OnTypeDelete, &COrvalenDlg::OnUpdateTypeEdit},
      {ID_ITEM_ADD, &COrvalenDlg::OnItemAdd, &COrvalenDlg::OnUpdateItemAdd},
      {ID_ITEM_MODIFY, &COrvalenDlg::OnItemModify, &COrvalenDlg::OnUpdateItemEdit},
      {ID_ITEM_DELETE, &COrvalenDlg::OnItemDelete, &COrvalenDlg::OnUpdateItemEdit},
      {static_cast<int>(IDM_ABOUTBOX), &COrvalenDlg::OnAppAbout, nullptr},
  };
  return map;
}

bool COrvalenDlg::IsCommandEnabled(int commandId) {
  for (const CommandEntry& entry : CommandMap()) {
    if (entry.commandId != commandId) continue;
    CCmdUI cmdUI(commandId);
    if (entry.updateRule) (this->*entry.updateRule)(cmdUI);
    return cmdUI.IsEnabled();
  }
  return false;
}

void COrvalenDlg::RouteCommand(int commandId) {
  for (const CommandEntry& entry : CommandMap()) {
    if (entry.commandId != commandId) continue;
    if (IsCommandEnabled(commandId)) {
      Guarded(FailedAction::kStoreChange, [&] { (this->*entry.handler)(); });
    }
    return;
  }
}

MessageResult COrvalenDlg::dispatch(const WindowMessage& message) {
  return std::visit([this](const auto& typed) { return Route(typed); }, message);
}

MessageResult COrvalenDlg::Route(const CommandMessage& message) {
  RouteCommand(message.commandId);
  return {true, 0};
}

MessageResult COrvalenDlg::Route(const TreeSelChangedMessage& message) {
  if (message.controlId != IDC_TREE_TYPES || !m_treeTypes) return {};
  long result = 0;
  Guarded(FailedAction::kRead, [&] { OnTypeSelChanged(message, &result); });
  return {true, result};
}

MessageResult COrvalenDlg::Route(const TreeEndLabelEditMessage& message) {
  if (message.controlId != IDC_TREE_TYPES || !m_treeTypes) return {};
  long result = 0;
  Guarded(FailedAction::kStoreChange, [&] { OnTypeEndLabelEdit(message, &result); });
  return {true, result};
}

MessageResult COrvalenDlg::Route(const SizeMessage& message) {
  OnSize(message.kind, message.width, message.height);
  return {true, 0};
}

MessageResult COrvalenDlg::Route(const ContextMenuMessage& message) {
  OnContextMenu(message.controlId, message.screen);
  return {true, 0};
}

MessageResult COrvalenDlg::Route(const KeyDownMessage& message) {
  return {OnKeyDown(message.controlId, message.key), 0};
}

MessageResult COrvalenDlg::Route(const ListDoubleClickMessage& message) {
  if (message.controlId != IDC_LIST_ITEMS || !m_listItems) return {};
  OnListDoubleClick(message.row);
  return {true, 0};
}

MessageResult COrvalenDlg::Route(const SysCommandMessage& message) {
  return {OnSysCommand(message.code, message.param), 0};
}

MessageResult COrvalenDlg::Route(const HelpMessage&) {
  OnAppAbout();
  return {true, 0};
}

MessageResult COrvalenDlg::Route(const PaintMessage&) {
  return {OnPaint(), 0};
}

MessageResult COrvalenDlg::Route(const QueryDragIconMessage&) {
  return {true, OnQueryDragIcon()};
}

void COrvalenDlg::ReportError(FailedAction action, const CppSQLiteException& error) {
  if (!m_window) return;
  const std::string file = action == FailedAction::kOpenPluginFile ? m_strDbPath : "";
  m_window->messageBox(FailureMessage(action, error.kind(), error.message(), file), kErrorCaption,
                       MB_OK | MB_ICONERROR);
}

}  // namespace orvalen
