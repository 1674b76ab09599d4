// Find: Ctrl+F (or "查找...") opens the find box. Enter in it shows the first match of a new
// text and then the next one; F3 and Shift+F3 (or Shift+Enter) go to the next and the previous
// match; with the box closed they repeat the last search (editor/catalogue_search.h).

#include "editor/orvalen_dlg.h"
#include "editor/user_texts.h"

namespace orvalen {

void COrvalenDlg::OnFind() {
  m_window->showFindBox();
}

void COrvalenDlg::OnFindNext() {
  FindAgain(false);
}

void COrvalenDlg::OnFindPrevious() {
  FindAgain(true);
}

void COrvalenDlg::OnUpdateFind(CCmdUI& cmdUI) {
  cmdUI.Enable(m_treeTypes && m_treeTypes->rootItem() && m_pendingNewTypes.empty());
}

void COrvalenDlg::FindAgain(bool backwards) {
  const bool fromBox = m_window->isFindBoxShown();
  const std::string text = fromBox ? m_window->findBoxText() : m_lastSearch;
  if (text.empty()) {
    m_window->showFindBox();
    return;
  }
  // A new text starts from the top; the same one goes on from its last match.
  if (text != m_lastSearch) m_lastMatch.reset();
  m_lastSearch = text;
  const std::optional<SearchPosition> match =
      m_search.find(m_db, *m_treeTypes, text, m_lastMatch, backwards);
  if (!match) {
    if (fromBox) {
      m_window->setFindBoxStatus(text::kNotFound + std::string(text::kOpenQuote) + text +
                                 text::kCloseQuote);
    }
    return;
  }
  if (fromBox) m_window->setFindBoxStatus("");
  m_lastMatch = match;
  ShowMatch(*match);
}

void COrvalenDlg::ShowMatch(const SearchPosition& match) {
  ShowCategory(match.category, false);
  ShowRows(match.videoId ? std::vector<int>{*match.videoId} : std::vector<int>{});
}

bool COrvalenDlg::ShowVideo(int videoId) {
  if (!m_treeTypes) return false;
  const std::map<int, RowImage> rows =
      ReadRowImages(m_db, CatalogueTable::kVideos, std::vector<int>{videoId});
  if (rows.empty() || !rows.begin()->second.parentId()) return false;
  const std::unordered_map<int, TreeItem> items = ItemsById();
  const auto category = items.find(*rows.begin()->second.parentId());
  if (category == items.end()) return false;
  ShowMatch({category->second, videoId});
  return true;
}

}  // namespace orvalen
