#pragma once

// The video details dialog: the name, video URL and image URL of one video. The caller sets
// the three texts, runs the dialog and uses them only when it answers IDOK. The texts come back
// exactly as they stand in the edits. A text the plugin file's code page cannot hold is
// refused when the user confirms: the dialog names the character and stays open on that edit,
// so nothing typed is lost and nothing is stored. A text left as it was given is not checked:
// it goes back to the file as it came.

#include <string>

#include "db/code_page.h"
#include "editor/toolkit.h"

namespace orvalen {

class CItemDlg : public DialogClient {
 public:
  CItemDlg(Toolkit& toolkit, const CodePage& codePage) : m_toolkit(toolkit), m_codePage(codePage) {}

  // IDOK when the user confirmed; IDCANCEL (or -1 when the dialog could not be made)
  // otherwise, with the texts as they were.
  int DoModal();
  void DoDataExchange(DataExchange& exchange) override;

  std::string m_strName;
  std::string m_strUrl;
  std::string m_strImageUrl;

 private:
  // Refuses the first changed text that the code page cannot hold; true when one was.
  bool RefuseUnrepresentable(DataExchange& exchange);

  Toolkit& m_toolkit;
  const CodePage& m_codePage;
  // The texts as the dialog opened with them.
  std::string m_openedName;
  std::string m_openedUrl;
  std::string m_openedImageUrl;
};

}  // namespace orvalen
