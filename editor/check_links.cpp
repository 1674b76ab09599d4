// "检查链接" in the tree's menu: every video URL and image URL of the selected category and its
// sub-categories is asked for (link_check.h), with a progress window that counts and can be
// cancelled; then the links that failed are listed, and a double click on one shows its video.
// Nothing is written to the plugin file.

#include "editor/branch_links.h"
#include "editor/orvalen_dlg.h"
#include "editor/progress_feedback.h"
#include "editor/user_texts.h"

namespace orvalen {
namespace {

constexpr std::chrono::milliseconds kProgressEvery{100};

std::string countText(std::size_t done, std::size_t total) {
  return text::kLinksCheckedPrefix + std::to_string(done) + " / " + std::to_string(total) +
         text::kLinksCheckedSuffix;
}

}  // namespace

void COrvalenDlg::OnTypeCheckLinks() {
  const TreeItem selected = m_treeTypes->selectedItem();
  std::vector<VideoLink> links;
  {
    ScopedBusyCursor busy(m_toolkit);
    links = LinksOfBranch(m_db, m_treeTypes->itemData(selected),
                          m_treeTypes->itemText(m_treeTypes->rootItem()), m_codePage);
  }
  if (links.empty()) {
    m_window->messageBox(text::kLinksNone, text::kCheckLinksCaption, MB_OK);
    return;
  }
  std::vector<std::string> urls;
  for (const VideoLink& link : links) urls.push_back(link.url);
  std::vector<LinkResult> results(links.size());
  {
    LinkCheck check(m_httpClient ? m_httpClient : makeSystemHttpClient(), std::move(urls),
                    m_linkLimits);
    ProgressFeedback progress(m_toolkit, text::kCheckLinksCaption, text::kLinksChecking,
                              m_progressDelay);
    std::size_t finished = 0;
    while (!check.done()) {
      for (LinkCheck::Finished& done : check.takeResults(kProgressEvery)) {
        results[done.index] = std::move(done.result);
        ++finished;
      }
      if (!progress(static_cast<double>(finished) / links.size(),
                    countText(finished, links.size()))) {
        return;
      }
    }
  }
  ShowFailedLinks(links, results);
}

void COrvalenDlg::ShowFailedLinks(const std::vector<VideoLink>& links,
                                  const std::vector<LinkResult>& results) {
  ListChoice choice{
      text::kLinksFailedCaption,
      {text::kColumnName, text::kColumnCategory, text::kColumnLink, text::kColumnReason},
      {}};
  std::vector<int> videoOfRow;
  for (std::size_t i = 0; i < links.size(); ++i) {
    const std::string reason = LinkFailure(results[i]);
    if (reason.empty()) continue;
    choice.rows.push_back({links[i].video, links[i].category, links[i].url, reason});
    videoOfRow.push_back(links[i].videoId);
  }
  if (choice.rows.empty()) {
    m_window->messageBox(
        text::kLinksAllOkPrefix + std::to_string(links.size()) + text::kLinksAllOkSuffix,
        text::kCheckLinksCaption, MB_OK);
    return;
  }
  const ListChoiceResult chosen = m_toolkit.runListDialog(choice);
  if (chosen.code == IDOK) ShowVideo(videoOfRow[chosen.row]);
}

void COrvalenDlg::OnUpdateTypeCheckLinks(CCmdUI& cmdUI) {
  cmdUI.Enable(m_treeTypes && m_treeTypes->selectedItem() && m_pendingNewTypes.empty());
}

}  // namespace orvalen
