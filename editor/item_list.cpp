// The video list: the videos of the selected category, one row per video, labelled with its
// 1-based position; item data: the video id; columns 1 to 3: name, video URL, image URL.

#include <unordered_set>

#include "db/catalogue.h"
#include "editor/item_dlg.h"
#include "editor/orvalen_dlg.h"
#include "editor/resources.h"

namespace orvalen {

namespace {

std::string rowLabel(int row) {
  return std::to_string(row + 1);
}

}  // namespace

void COrvalenDlg::InitItemColumns() {
  const unsigned styles = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;
  m_listItems->setExtendedStyle(styles, styles);
  m_listItems->insertColumn(text::kColumnNumber, 40, LVCFMT_CENTER);
  m_listItems->insertColumn(text::kColumnName, 100, LVCFMT_CENTER);
  m_listItems->insertColumn(text::kColumnUrl, 200, LVCFMT_LEFT);
  m_listItems->insertColumn(text::kColumnImageUrl, 200, LVCFMT_LEFT);
}

void COrvalenDlg::FillItemList(int typeId) {
  m_listCategoryId.reset();
  m_listItems->deleteAllRows();
  m_itemTexts.clear();
  std::vector<int> ids;
  std::vector<FileText> names, urls, imageUrls;
  LoadItemRows(m_db, typeId, ids, names, urls, imageUrls, m_codePage);

  std::vector<ListControl::Row> rows;
  rows.reserve(ids.size());
  for (std::size_t i = 0; i < ids.size(); ++i) {
    int row = static_cast<int>(i);
    // Only texts whose bytes did not decode need their file form kept: the others encode back
    // to the same bytes from what the row shows, and give their texts to the row.
    if (names[i].hasUndecodableBytes() || urls[i].hasUndecodableBytes() ||
        imageUrls[i].hasUndecodableBytes()) {
      rows.push_back(
          {rowLabel(row), ids[i], {names[i].text(), urls[i].text(), imageUrls[i].text()}});
      m_itemTexts[ids[i]] = {std::move(names[i]), std::move(urls[i]), std::move(imageUrls[i])};
    } else {
      rows.push_back({rowLabel(row),
                      ids[i],
                      {std::move(names[i]).text(), std::move(urls[i]).text(),
                       std::move(imageUrls[i]).text()}});
    }
  }
  m_listItems->appendRows(std::move(rows));
  m_listCategoryId = typeId;
}

void COrvalenDlg::OnItemAdd() {
  CItemDlg dialog(m_toolkit, m_codePage);
  if (dialog.DoModal() != IDOK) return;

  int row = m_listItems->rowCount();
  row = m_listItems->insertRow(row, rowLabel(row));
  m_listItems->setRowText(row, 1, dialog.m_strName);
  m_listItems->setRowText(row, 2, dialog.m_strUrl);
  m_listItems->setRowText(row, 3, dialog.m_strImageUrl);

  TreeItem selected = m_treeTypes ? m_treeTypes->selectedItem() : TreeItem();
  int typeId = selected ? m_treeTypes->itemData(selected) : -1;
  int id = 0;
  try {
    Record(
        RunRecorded(StepName(text::kStepAdd, dialog.m_strName), [&](RowChangeRecorder& recorder) {
          id = InsertItemRow(m_db, typeId, dialog.m_strName, dialog.m_strUrl, dialog.m_strImageUrl,
                             m_codePage);
          recorder.insertedRow(CatalogueTable::kVideos, id);
        }));
  } catch (const CppSQLiteException&) {
    m_listItems->deleteRow(row);
    throw;
  }
  m_listItems->setRowData(row, id);
}

COrvalenDlg::ItemTexts COrvalenDlg::TextsOfRow(int row) const {
  auto stored = m_itemTexts.find(m_listItems->rowData(row));
  if (stored != m_itemTexts.end()) return stored->second;
  return {FileText(m_listItems->rowText(row, 1)), FileText(m_listItems->rowText(row, 2)),
          FileText(m_listItems->rowText(row, 3))};
}

// The statement runs before the row changes, so a failure leaves the row as it was. Texts the
// user left unchanged keep the file's bytes.
void COrvalenDlg::OnItemModify() {
  int row = m_listItems->firstSelectedRow();
  if (row < 0) return;
  CItemDlg dialog(m_toolkit, m_codePage);
  dialog.m_strName = m_listItems->rowText(row, 1);
  dialog.m_strUrl = m_listItems->rowText(row, 2);
  dialog.m_strImageUrl = m_listItems->rowText(row, 3);
  if (dialog.DoModal() != IDOK) return;

  int id = m_listItems->rowData(row);
  ItemTexts texts = TextsOfRow(row);
  texts.name.setText(dialog.m_strName);
  texts.url.setText(dialog.m_strUrl);
  texts.imageUrl.setText(dialog.m_strImageUrl);
  Record(RunRecorded(StepName(text::kStepModify, m_listItems->rowText(row, 1)),
                     [&](RowChangeRecorder& recorder) {
                       recorder.existingRow(CatalogueTable::kVideos, id);
                       UpdateItemRow(m_db, id, texts.name, texts.url, texts.imageUrl, m_codePage);
                     }));
  if (texts.name.hasUndecodableBytes() || texts.url.hasUndecodableBytes() ||
      texts.imageUrl.hasUndecodableBytes()) {
    m_itemTexts[id] = texts;
  } else {
    m_itemTexts.erase(id);
  }
  m_listItems->setRowText(row, 1, dialog.m_strName);
  m_listItems->setRowText(row, 2, dialog.m_strUrl);
  m_listItems->setRowText(row, 3, dialog.m_strImageUrl);
}

void COrvalenDlg::OnItemDelete() {
  int row = m_listItems->firstSelectedRow();
  if (row < 0) return;
  if (!ConfirmDelete()) return;
  int id = m_listItems->rowData(row);
  Record(RunRecorded(StepName(text::kStepDelete, m_listItems->rowText(row, 1)),
                     [&](RowChangeRecorder& recorder) {
                       recorder.existingRow(CatalogueTable::kVideos, id);
                       DeleteItemRow(m_db, id);
                     }));
  m_itemTexts.erase(id);
  m_listItems->deleteRow(row);
  RenumberItemRows(row);
}

// The rows of other videos stay as they are shown; only their labels follow their new places.
// Cheaper than reading a large category again after a few of its videos have left it.
void COrvalenDlg::RemoveItemRows(const std::unordered_set<int>& videoIds) {
  std::vector<ListControl::Row> kept;
  kept.reserve(static_cast<std::size_t>(m_listItems->rowCount()));
  for (int row = 0; row < m_listItems->rowCount(); ++row) {
    const int id = m_listItems->rowData(row);
    if (videoIds.count(id) != 0) {
      m_itemTexts.erase(id);
      continue;
    }
    kept.push_back({rowLabel(static_cast<int>(kept.size())),
                    id,
                    {m_listItems->rowText(row, 1), m_listItems->rowText(row, 2),
                     m_listItems->rowText(row, 3)}});
  }
  m_listItems->deleteAllRows();
  m_listItems->appendRows(std::move(kept));
}

void COrvalenDlg::RenumberItemRows(int fromRow) {
  for (int row = fromRow; row < m_listItems->rowCount(); ++row) {
    m_listItems->setRowText(row, 0, rowLabel(row));
  }
}

bool COrvalenDlg::ConfirmDelete() {
  return m_window->messageBox(text::kDeletePromptText, text::kDeletePromptCaption, MB_OKCANCEL) ==
         IDOK;
}

void COrvalenDlg::OnUpdateItemAdd(CCmdUI&) {}

void COrvalenDlg::OnUpdateItemEdit(CCmdUI& cmdUI) {
  cmdUI.Enable(m_listItems && m_listItems->selectedCount() > 0);
}

}  // namespace orvalen
