#pragma once

// The editor window: the plugin file's categories as a tree on the left, the videos of the
// selected category as a list on the right. Every change goes to the file at once.
//
// The window's controls belong to the toolkit (editor/toolkit.h); this class holds the logic.
// It is constructed with the plugin file's path and run with DoModal(); the toolkit attaches
// the window, calls OnInitDialog() and sends the window's messages to dispatch(), which routes
// them to the handlers by the routing table (message_routing.cpp).
//
// Database failures never leave a handler: each is reported in a message box that says what
// failed (reading, an edit, or showing an edit that was stored), and tree, list and file are
// left in agreement (the edit that failed is undone on screen).

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "db/code_page.h"
#include "db/database.h"
#include "db/file_text.h"
#include "db/row_images.h"
#include "editor/catalogue_search.h"
#include "editor/cmd_ui.h"
#include "editor/edit_history.h"
#include "editor/failure_message.h"
#include "editor/lock_wait_feedback.h"
#include "editor/stored_change.h"
#include "editor/toolkit.h"

namespace orvalen {

class COrvalenDlg : public EditorWindowClient {
 public:
  COrvalenDlg(Toolkit& toolkit, std::string dbPath);
  ~COrvalenDlg() override;
  COrvalenDlg(const COrvalenDlg&) = delete;
  COrvalenDlg& operator=(const COrvalenDlg&) = delete;

  // Runs the window modally; returns IDOK or IDCANCEL as it was closed, or IDABORT when the
  // plugin file could not be opened as one (it was reported, and the window never showed).
  int DoModal();
  // Whether initialisation found the plugin file unusable (not openable, not a plugin file).
  bool OpenFailed() const { return m_bOpenFailed; }

  // EditorWindowClient
  void attachWindow(EditorWindow* window) override;
  bool OnInitDialog() override;
  MessageResult dispatch(const WindowMessage& message) override;

  // Whether a command's enabling rule allows it now (commands without a rule: always).
  bool IsCommandEnabled(int commandId);

  // The editor window: the root item, the list's columns and the tree are made in
  // OnInitDialog; these handlers are also reachable through dispatch().
  void OnTypeAdd();
  void OnTypeModify();
  void OnTypeDelete();
  void OnItemAdd();
  void OnItemModify();
  void OnItemDelete();
  void OnUpdateTypeAdd(CCmdUI& cmdUI);
  void OnUpdateTypeEdit(CCmdUI& cmdUI);
  void OnUpdateItemAdd(CCmdUI& cmdUI);
  void OnUpdateItemEdit(CCmdUI& cmdUI);
  void OnTypeEndLabelEdit(const TreeEndLabelEditMessage& notify, long* result);
  void OnTypeSelChanged(const TreeSelChangedMessage& notify, long* result);
  void OnContextMenu(int controlId, Point screen);
  // F2, Delete and Insert in the tree or the list; false for a key it does not use.
  bool OnKeyDown(int controlId, int key, bool shift = false, bool control = false);
  void OnListDoubleClick(int row);
  void OnSize(int kind, int width, int height);
  bool OnSysCommand(unsigned code, long param);
  bool OnPaint();
  int OnQueryDragIcon() const { return m_hIcon; }
  void OnAppAbout();

  // Find (find.cpp): Ctrl+F opens the find box; Enter in it, F3 and Shift+F3 show the next or
  // previous match of its text, or repeat the last search when the box is closed.
  void OnFind();
  void OnFindNext();
  void OnFindPrevious();
  void OnUpdateFind(CCmdUI& cmdUI);
  // Moves (moves.cpp): "移动到..." in the tree's and the list's menus, and drag and drop.
  void OnTypeMove();
  void OnItemMove();
  void OnUpdateTypeMove(CCmdUI& cmdUI);
  void OnUpdateItemMove(CCmdUI& cmdUI);
  bool AllowsDrop(DragKind kind, TreeItem dragged, TreeItem target);
  void OnDrop(DragKind kind, TreeItem dragged, TreeItem target);
  // The history (history.cpp).
  void OnEditUndo();
  void OnEditRedo();
  void OnUpdateEditUndo(CCmdUI& cmdUI);
  void OnUpdateEditRedo(CCmdUI& cmdUI);

  // For edits made elsewhere in the editor (an import, say), so that they are one undo step
  // each like the window's own. edit runs inside one transaction and names to the recorder
  // the rows it will change, before it changes them (db/row_images.h); afterwards the step is
  // in the history, named description, and the search reads the videos anew. A failure
  // inside edit rolls everything back and records nothing. The caller shows the result.
  void RecordEdit(std::string description, const std::function<void(RowChangeRecorder&)>& edit);
  // Shows a video as a find shows its match: its category selected in the tree (parents
  // expanded, scrolled to), the list showing the category's videos with the video's row
  // selected alone and scrolled to. False when no category of the tree holds the video.
  bool ShowVideo(int videoId);

 private:
  struct CommandEntry {
    int commandId;
    void (COrvalenDlg::*handler)();
    void (COrvalenDlg::*updateRule)(CCmdUI&);  // null: always enabled
    FailedAction failure;                      // what a database failure is reported as
  };
  static const std::vector<CommandEntry>& CommandMap();

  // The three texts of one video as read from the file (they keep undecodable bytes).
  struct ItemTexts {
    FileText name;
    FileText url;
    FileText imageUrl;
  };

  // Window and initialisation (orvalen_dlg.cpp).
  void DoDataExchange();
  void AddAboutEntryToSystemMenu();
  bool OpenAndLoadPluginFile();

  // Category tree (type_tree.cpp).
  void InsertRootItem(std::string::size_type lastSeparator);
  void LoadTypeTree();
  void DeleteTypeItem(TreeItem item);
  std::vector<TreeItem> CollectSubtree(TreeItem item) const;
  bool IsPendingNewType(TreeItem item) const { return m_pendingNewTypes.count(item) != 0; }
  void RemovePendingNewType(TreeItem item);
  void StoreNewType(TreeItem item, const std::string& name);
  void RenameType(TreeItem item, const std::string& name);

  // Video list (item_list.cpp).
  void InitItemColumns();
  void FillItemList(int typeId);
  void RenumberItemRows(int fromRow);
  void RemoveItemRows(const std::unordered_set<int>& videoIds);
  ItemTexts TextsOfRow(int row) const;
  bool ConfirmDelete();

  // Tree items by place (tree_places.cpp).
  std::unordered_map<int, TreeItem> ItemsById() const;
  TreeItem ItemOrRoot(const std::unordered_map<int, TreeItem>& items, int id) const;
  int ShownUnder(TreeItem item) const;
  TreeItem InsertInIdOrder(TreeItem parent, int id, const std::string& label);
  TreeItem MoveBranch(TreeItem item, TreeItem newParent);
  // Selects item with its parents expanded and scrolled to, and makes the list show its
  // videos (read again when refill is true).
  void ShowCategory(TreeItem item, bool refill);
  void ShowRows(const std::vector<int>& videoIds);

  // History (history.cpp).
  EditStep RunRecorded(std::string description,
                       const std::function<void(RowChangeRecorder&)>& edit);
  void Record(EditStep step);
  void UndoOrRedo(ChangeSide side);
  void ShowStep(const EditStep& step, ChangeSide side);
  TreeItem ShowCategoryRow(const RowChange& change, ChangeSide side,
                           const std::map<int, int>& shownUnder,
                           std::unordered_map<int, TreeItem>& items);
  void ForgetItems(std::unordered_map<int, TreeItem>& items, TreeItem top) const;
  std::string HistoryMenuText(int commandId) const;

  // Find (find.cpp).
  void FindAgain(bool backwards);
  void ShowMatch(const SearchPosition& match);

  // Moves (moves.cpp).
  CategoryChoice ChoiceOfCategories(TreeItem leaveOut, const char* caption) const;
  std::vector<int> SelectedVideoIds() const;
  void MoveVideos(const std::vector<int>& ids, int typeId);
  void MoveCategory(TreeItem item, TreeItem newParent);

  // Routing (message_routing.cpp).
  MessageResult Route(const CommandMessage& message);
  MessageResult Route(const TreeSelChangedMessage& message);
  MessageResult Route(const TreeEndLabelEditMessage& message);
  MessageResult Route(const SizeMessage& message);
  MessageResult Route(const ContextMenuMessage& message);
  MessageResult Route(const KeyDownMessage& message);
  MessageResult Route(const ListDoubleClickMessage& message);
  MessageResult Route(const DragOverMessage& message);
  MessageResult Route(const DropMessage& message);
  MessageResult Route(const SysCommandMessage& message);
  MessageResult Route(const HelpMessage& message);
  MessageResult Route(const PaintMessage& message);
  MessageResult Route(const QueryDragIconMessage& message);
  void RouteCommand(int commandId);
  // Runs handler; a database failure that leaves it is reported as a failure of action, unless
  // it happened while showing an edit already stored (editor/stored_change.h).
  template <class Handler>
  void Guarded(FailedAction action, Handler handler);
  // Shows what failed, what the user can do, and the layer's message.
  void ReportError(FailedAction action, const CppSQLiteException& error);

  // Context menus (context_menu.cpp).
  PopupMenu LoadContextMenu(int popupIndex);
  int PopupOfControl(int controlId) const;
  int PopupAtPosition(Point screen) const;
  void SelectWhatIsUnder(int popupIndex, Point screen);
  Point KeyboardMenuPosition(int popupIndex);

  // Category names typed in the tree (type_tree.cpp): false when refused, with the edit
  // open again on the text.
  bool AcceptTypeName(TreeItem item, const std::string& name);

  int m_hIcon;
  const std::string m_strDbPath;
  TreeControl* m_treeTypes = nullptr;
  ListControl* m_listItems = nullptr;
  bool m_bAddingType = false;
  CppSQLiteDB m_db;

  Toolkit& m_toolkit;
  LockWaitFeedback m_lockWait{m_toolkit};
  EditorWindow* m_window = nullptr;
  CodePage m_codePage;
  bool m_bOpenFailed = false;
  // Items that OnTypeAdd inserted and whose label edit has not ended: they have no row yet.
  std::set<TreeItem> m_pendingNewTypes;
  // Category names that hold bytes that do not decode, as read, by category id. Every other
  // text encodes back to the file's bytes from what the window shows.
  std::unordered_map<int, FileText> m_typeNames;
  // The listed videos whose texts hold bytes that do not decode, as read, by video id.
  std::unordered_map<int, ItemTexts> m_itemTexts;
  // The category whose videos the list shows, once they are read.
  std::optional<int> m_listCategoryId;
  EditHistory m_history;
  CatalogueSearch m_search{m_codePage};
  std::string m_lastSearch;
  std::optional<SearchPosition> m_lastMatch;
};

template <class Handler>
void COrvalenDlg::Guarded(FailedAction action, Handler handler) {
  try {
    handler();
  } catch (const ShowingStoredChangeFailed& failed) {
    ReportError(FailedAction::kShowStoredChange, failed.error);
  } catch (const CppSQLiteException& error) {
    ReportError(action, error);
  }
}

}  // namespace orvalen
