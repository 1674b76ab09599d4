// The routing table: which handler a command or notification reaches, and the enabling rule
// that is asked before a command runs. A command whose rule says disabled is dropped
// silently. Database failures stop at this edge: they are reported, never passed on to the
// toolkit.

#include "editor/failure_message.h"
#include "editor/orvalen_dlg.h"
#include "editor/resources.h"

namespace orvalen {

const std::vector<COrvalenDlg::CommandEntry>& COrvalenDlg::CommandMap() {
  using D = COrvalenDlg;
  constexpr FailedAction kStore = FailedAction::kStoreChange;
  constexpr FailedAction kRead = FailedAction::kRead;
  static const std::vector<CommandEntry> map = {
      {ID_TYPE_ADD, &D::OnTypeAdd, &D::OnUpdateTypeAdd, kStore},
      {ID_TYPE_MODIFY, &D::OnTypeModify, &D::OnUpdateTypeEdit, kStore},
      {ID_TYPE_DELETE, &D::OnTypeDelete, &D::OnUpdateTypeEdit, kStore},
      {ID_ITEM_ADD, &D::OnItemAdd, &D::OnUpdateItemAdd, kStore},
      {ID_ITEM_MODIFY, &D::OnItemModify, &D::OnUpdateItemEdit, kStore},
      {ID_ITEM_DELETE, &D::OnItemDelete, &D::OnUpdateItemEdit, kStore},
      {static_cast<int>(IDM_ABOUTBOX), &D::OnAppAbout, nullptr, kRead},
      {ID_TYPE_MOVE, &D::OnTypeMove, &D::OnUpdateTypeMove, kStore},
      {ID_ITEM_MOVE, &D::OnItemMove, &D::OnUpdateItemMove, kStore},
      {ID_FIND, &D::OnFind, &D::OnUpdateFind, kRead},
      {ID_FIND_NEXT, &D::OnFindNext, &D::OnUpdateFind, kRead},
      {ID_FIND_PREVIOUS, &D::OnFindPrevious, &D::OnUpdateFind, kRead},
      {ID_EDIT_UNDO, &D::OnEditUndo, &D::OnUpdateEditUndo, FailedAction::kUndo},
      {ID_EDIT_REDO, &D::OnEditRedo, &D::OnUpdateEditRedo, FailedAction::kRedo},
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
      Guarded(entry.failure, [&] { (this->*entry.handler)(); });
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
  return {OnKeyDown(message.controlId, message.key, message.shift, message.control), 0};
}

MessageResult COrvalenDlg::Route(const DragOverMessage& message) {
  return {true, AllowsDrop(message.kind, message.dragged, message.target) ? 1 : 0};
}

MessageResult COrvalenDlg::Route(const DropMessage& message) {
  Guarded(FailedAction::kStoreChange,
          [&] { OnDrop(message.kind, message.dragged, message.target); });
  return {true, 0};
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
  m_window->messageBox(FailureMessage(action, error.kind(), error.message(), file),
                       text::kErrorCaption, MB_OK | MB_ICONERROR);
}

}  // namespace orvalen
