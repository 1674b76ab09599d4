#pragma once

// Resource, control and command ids of the editor's windows and menus. The numbers are those
// of the plugin editor's original resources; the toolkit and the editor exchange them.

namespace orvalen {

// Dialog end codes.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
// The editor window ends with this code when its plugin file could not be opened.
constexpr int IDABORT = 3;

// Dialog templates.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_MAIN_DIALOG = 102;
constexpr int IDD_TYPESEL_DIALOG = 130;
constexpr int IDD_ITEM_DIALOG = 132;

// Strings, icon and menu.
constexpr int IDS_ABOUTBOX = 101;
constexpr int IDR_MAINFRAME = 128;
constexpr int IDR_CONTEXT_MENU = 131;

// System-menu command of the about entry; the context menus carry it too.
constexpr unsigned IDM_ABOUTBOX = 0x0010;

// Controls of the editor window.
constexpr int IDC_TREE_TYPES = 1000;
constexpr int IDC_LIST_ITEMS = 1001;
constexpr int IDC_GROUP_TYPES = 1012;
constexpr int IDC_GROUP_ITEMS = 1013;
// The find box's text field.
constexpr int IDC_FIND_TEXT = 1020;

// Controls of the chooser.
constexpr int IDC_BTN_NEW = 1009;
constexpr int IDC_BTN_OPEN = 1010;

// Edits of the video details dialog.
constexpr int IDC_EDIT_NAME = 1011;
constexpr int IDC_EDIT_URL = 1012;
constexpr int IDC_EDIT_IMAGE_URL = 1013;

// Commands of the context menus.
constexpr int ID_TYPE_MODIFY = 32773;
constexpr int ID_TYPE_DELETE = 32774;
constexpr int ID_TYPE_ADD = 32775;
constexpr int ID_ITEM_ADD = 32777;
constexpr int ID_ITEM_MODIFY = 32779;
constexpr int ID_ITEM_DELETE = 32781;
// Commands added after the original ones: find, move and the history, in both menus.
constexpr int ID_FIND = 32790;
constexpr int ID_FIND_NEXT = 32791;
constexpr int ID_FIND_PREVIOUS = 32792;
constexpr int ID_TYPE_MOVE = 32793;
constexpr int ID_ITEM_MOVE = 32794;
constexpr int ID_EDIT_UNDO = 32795;
constexpr int ID_EDIT_REDO = 32796;

// List control extended styles and column formats.
constexpr unsigned LVS_EX_GRIDLINES = 0x01;
constexpr unsigned LVS_EX_FULLROWSELECT = 0x20;
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_CENTER = 2;

}  // namespace orvalen
