#include "editor/item_dlg.h"

#include "db/exception.h"
#include "editor/text_refusal.h"

namespace orvalen {

int CItemDlg::DoModal() {
  return m_toolkit.runModalDialog(IDD_ITEM_DIALOG, *this);
}

void CItemDlg::DoDataExchange(DataExchange& exchange) {
  exchange.text(IDC_EDIT_NAME, m_strName);
  exchange.text(IDC_EDIT_URL, m_strUrl);
  exchange.text(IDC_EDIT_IMAGE_URL, m_strImageUrl);
  if (!exchange.isSaving()) {
    m_openedName = m_strName;
    m_openedUrl = m_strUrl;
    m_openedImageUrl = m_strImageUrl;
    return;
  }
  try {
    RefuseUnrepresentable(exchange);
  } catch (const CppSQLiteException&) {
    // An unusable code page: storing the texts fails and reports it; the dialog cannot.
  }
}

bool CItemDlg::RefuseUnrepresentable(DataExchange& exchange) {
  struct Field {
    int controlId;
    const char* name;
    const std::string& text;
    const std::string& opened;
  };
  const Field fields[] = {
      {IDC_EDIT_NAME, text::kFieldVideoName, m_strName, m_openedName},
      {IDC_EDIT_URL, text::kFieldVideoUrl, m_strUrl, m_openedUrl},
      {IDC_EDIT_IMAGE_URL, text::kFieldImageUrl, m_strImageUrl, m_openedImageUrl}};
  for (const Field& field : fields) {
    if (field.text == field.opened) continue;
    if (auto refusal = RefusalOfText(m_codePage, field.name, field.text)) {
      exchange.fail(field.controlId, *refusal);
      return true;
    }
  }
  return false;
}

}  // namespace orvalen
