#pragma once

#include <string>
#include <vector>

#include <wx/listctrl.h>

#include "editor/toolkit.h"

namespace orvalen::wx {

// The video list: a virtual report-style wxListCtrl whose rows live in memory here, so that a
// category of 100,000 videos shows at once. Several rows can be selected; the selection moves
// with the rows when rows are inserted or deleted above it.
class VideoListCtrl : public wxListCtrl, public ListControl {
 public:
  VideoListCtrl(wxWindow* parent, int id, const wxPoint& position, const wxSize& size);

  void setExtendedStyle(unsigned mask, unsigned style) override;
  unsigned extendedStyle() const override { return extendedStyle_; }
  void insertColumn(const std::string& heading, int width, int format) override;
  int columnCount() const override { return columnCount_; }
  int rowCount() const override { return static_cast<int>(rows_.size()); }
  int insertRow(int position, const std::string& label) override;
  void deleteRow(int row) override;
  void deleteAllRows() override;
  void setRowText(int row, int column, const std::string& text) override;
  std::string rowText(int row, int column) const override;
  void setRowData(int row, int data) override;
  int rowData(int row) const override;
  void appendRows(std::vector<Row> rows) override;
  int firstSelectedRow() const override;
  int selectedCount() const override;
  bool isRowSelected(int row) const override;
  void selectOnlyRow(int row) override;
  void selectRows(const std::vector<int>& rows) override;
  int rowAt(Point client) const override;
  Rect rowRect(int row) override;

  // Selects or unselects one row, as a click would (for tests and the keyboard).
  void selectRow(int row, bool selected);

  // The child windows that show the rows and the column header and take their mouse clicks
  // (the list itself when it draws them without children; no header window then). Known once
  // the list has been laid out.
  wxWindow* rowsWindow() const;
  wxWindow* headerWindow() const;

 protected:
  wxString OnGetItemText(long item, long column) const override;

 private:
  struct StoredRow {
    std::vector<std::string> texts;  // column 0 is the label
    int data = 0;
  };

  StoredRow& at(int row);
  const StoredRow& at(int row) const;
  std::vector<int> selectedRows() const;
  void showRowCount();

  std::vector<StoredRow> rows_;
  unsigned extendedStyle_ = 0;
  // The control cannot show rows without a column, which the editor's list may have; until
  // the first column is inserted an empty one of no width stands in for it.
  int columnCount_ = 0;
};

}  // namespace orvalen::wx
