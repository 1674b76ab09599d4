#pragma once

// The about box: the icon, "Orvalen，1.0 版" and an OK button. It exchanges no data.

#include "editor/toolkit.h"

namespace orvalen {

class CAboutDlg : public DialogClient {
 public:
  explicit CAboutDlg(Toolkit& toolkit) : m_toolkit(toolkit) {}
  int DoModal() { return m_toolkit.runModalDialog(IDD_ABOUTBOX, *this); }
  void DoDataExchange(DataExchange&) override {}

 private:
  Toolkit& m_toolkit;
};

}  // namespace orvalen
