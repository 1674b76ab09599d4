#include "editor/item_dlg.h"

namespace orvalen {

int CItemDlg::DoModal() {
  return m_toolkit.runModalDialog(IDD_ITEM_DIALOG, *this);
}

void CItemDlg::DoDataExchange(DataExchange& exchange) {
  exchange.text(IDC_EDIT_NAME, m_strName);
  exchange.text(IDC_EDIT_URL, m_strUrl);
  exchange.text(IDC_EDIT_IMAGE_URL, m_strImageUrl);
}

}  // namespace orvalen
