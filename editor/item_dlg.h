#pragma once

// The video details dialog: the name, video URL and image URL of one video. The caller sets
// the three texts, runs the dialog and uses them only when it answers IDOK. It validates
// nothing: the texts come back exactly as they stand in the edits.

#include <string>

#include "editor/toolkit.h"

namespace orvalen {

class CItemDlg : public DialogClient {
 public:
  explicit CItemDlg(Toolkit& toolkit) : m_toolkit(toolkit) {}

  // IDOK when the user confirmed; IDCANCEL (or -1 when the dialog could not be made)
  // otherwise, with the texts as they were.
  int DoModal();
  void DoDataExchange(DataExchange& exchange) override;

  std::string m_strName;
  std::string m_strUrl;
  std::string m_strImageUrl;

 private:
  Toolkit& m_toolkit;
};

}  // namespace orvalen
