#include "list_control.h"

#include <algorithm>
#include <stdexcept>

#include "utf8.h"

namespace orvalen::wx {

VideoListCtrl::VideoListCtrl(wxWindow* parent, int id, const wxPoint& position, const wxSize& size)
    : wxListCtrl(parent, id, position, size, wxLC_REPORT | wxLC_VIRTUAL | wxBORDER_SIMPLE) {
  AppendColumn(wxString(), wxLIST_FORMAT_LEFT, 0);
}

VideoListCtrl::StoredRow& VideoListCtrl::at(int row) {
  if (row < 0 || row >= rowCount()) throw std::logic_error("list row out of range");
  return rows_[static_cast<std::size_t>(row)];
}

const VideoListCtrl::StoredRow& VideoListCtrl::at(int row) const {
  if (row < 0 || row >= rowCount()) throw std::logic_error("list row out of range");
  return rows_[static_cast<std::size_t>(row)];
}

void VideoListCtrl::setExtendedStyle(unsigned mask, unsigned style) {
  extendedStyle_ = (extendedStyle_ & ~mask) | (style & mask);
  // A report view selects whole rows already; grid lines are the list's rules.
  const bool gridLines = (extendedStyle_ & LVS_EX_GRIDLINES) != 0;
  SetSingleStyle(wxLC_HRULES, gridLines);
  SetSingleStyle(wxLC_VRULES, gridLines);
  Refresh();
}

void VideoListCtrl::insertColumn(const std::string& heading, int width, int format) {
  const wxListColumnFormat alignment =
      format == LVCFMT_CENTER ? wxLIST_FORMAT_CENTRE : wxLIST_FORMAT_LEFT;
  if (columnCount_++ > 0) {
    AppendColumn(toWx(heading), alignment, width);
    return;
  }
  wxListItem first;
  first.SetText(toWx(heading));
  first.SetAlign(alignment);
  first.SetWidth(width);
  SetColumn(0, first);
  SetColumnWidth(0, width);
}

std::vector<int> VideoListCtrl::selectedRows() const {
  std::vector<int> rows;
  for (long row = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); row != -1;
       row = GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) {
    rows.push_back(static_cast<int>(row));
  }
  return rows;
}

void VideoListCtrl::selectRow(int row, bool selected) {
  SetItemState(row, selected ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
}

// The generic list draws its rows and its header in two child windows, the rows below the
// header; the native lists draw both themselves.
wxWindow* VideoListCtrl::rowsWindow() const {
  wxWindow* rows = nullptr;
  for (wxWindow* child : GetChildren()) {
    if (!rows || child->GetPosition().y > rows->GetPosition().y) rows = child;
  }
  return rows ? rows : const_cast<VideoListCtrl*>(this);
}

wxWindow* VideoListCtrl::headerWindow() const {
  const wxWindow* rows = rowsWindow();
  for (wxWindow* child : GetChildren()) {
    if (child != rows) return child;
  }
  return nullptr;
}

bool VideoListCtrl::isRowSelected(int row) const {
  at(row);
  return GetItemState(row, wxLIST_STATE_SELECTED) != 0;
}

void VideoListCtrl::selectOnlyRow(int row) {
  at(row);
  for (int selected : selectedRows()) {
    if (selected != row) selectRow(selected, false);
  }
  SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
               wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
}

void VideoListCtrl::selectRows(const std::vector<int>& rows) {
  for (int row : rows) at(row);
  for (int selected : selectedRows()) selectRow(selected, false);
  for (int row : rows) selectRow(row, true);
  if (!rows.empty()) SetItemState(rows.front(), wxLIST_STATE_FOCUSED, wxLIST_STATE_FOCUSED);
}

// The list's client area holds the header above the rows, but the generic list hit-tests in
// the coordinates of its rows window.
int VideoListCtrl::rowAt(Point client) const {
  const wxWindow* rows = rowsWindow();
  const wxPoint inRows = rows == this ? wxPoint(client.x, client.y)
                                      : wxPoint(client.x, client.y) - rows->GetPosition();
  if (inRows.y < 0 || inRows.x < 0) return -1;
  int flags = 0;
  const long row = HitTest(inRows, flags);
  return row >= 0 && row < rowCount() && (flags & wxLIST_HITTEST_ONITEM) ? static_cast<int>(row)
                                                                         : -1;
}

Rect VideoListCtrl::rowRect(int row) {
  at(row);
  EnsureVisible(row);
  wxRect rect;
  if (!GetItemRect(row, rect)) return {};
  return {rect.GetLeft(), rect.GetTop(), rect.GetRight() + 1, rect.GetBottom() + 1};
}

void VideoListCtrl::showRowCount() {
  SetItemCount(static_cast<long>(rows_.size()));
  Refresh();
}

int VideoListCtrl::insertRow(int position, const std::string& label) {
  position = std::clamp(position, 0, rowCount());
  // The control keeps the selection by row number; rows from position on move down one.
  std::vector<int> shifted;
  for (int row : selectedRows()) {
    if (row >= position) shifted.push_back(row);
  }
  for (int row : shifted) selectRow(row, false);
  rows_.insert(rows_.begin() + position, StoredRow{{label}, 0});
  showRowCount();
  for (int row : shifted) selectRow(row + 1, true);
  return position;
}

void VideoListCtrl::deleteRow(int row) {
  at(row);
  rows_.erase(rows_.begin() + row);
  DeleteItem(row);  // moves the selection of the rows behind it up one
  Refresh();
}

void VideoListCtrl::deleteAllRows() {
  rows_.clear();
  DeleteAllItems();
  showRowCount();
}

void VideoListCtrl::setRowText(int row, int column, const std::string& text) {
  if (column < 0) throw std::logic_error("list column out of range");
  auto& texts = at(row).texts;
  if (texts.size() <= static_cast<std::size_t>(column)) texts.resize(column + 1);
  texts[static_cast<std::size_t>(column)] = text;
  RefreshItem(row);
}

std::string VideoListCtrl::rowText(int row, int column) const {
  const auto& texts = at(row).texts;
  if (column < 0 || static_cast<std::size_t>(column) >= texts.size()) return {};
  return texts[static_cast<std::size_t>(column)];
}

void VideoListCtrl::setRowData(int row, int data) {
  at(row).data = data;
}

int VideoListCtrl::rowData(int row) const {
  return at(row).data;
}

void VideoListCtrl::appendRows(std::vector<Row> rows) {
  rows_.reserve(rows_.size() + rows.size());
  for (auto& row : rows) {
    StoredRow stored{{std::move(row.label)}, row.data};
    for (auto& cell : row.cells) stored.texts.push_back(std::move(cell));
    rows_.push_back(std::move(stored));
  }
  showRowCount();
}

int VideoListCtrl::firstSelectedRow() const {
  return static_cast<int>(GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
}

int VideoListCtrl::selectedCount() const {
  return GetSelectedItemCount();
}

wxString VideoListCtrl::OnGetItemText(long item, long column) const {
  if (item < 0 || item >= rowCount()) return wxString();
  return toWx(rowText(static_cast<int>(item), static_cast<int>(column)));
}

}  // namespace orvalen::wx
