#include "editor/link_check.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace orvalen {

namespace {

bool startsWithNoCase(const std::string& text, const std::string& lowerCasePrefix) {
  if (text.size() < lowerCasePrefix.size()) return false;
  for (std::size_t i = 0; i < lowerCasePrefix.size(); ++i) {
    const char c = text[i];
    if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != lowerCasePrefix[i]) return false;
  }
  return true;
}

// Whether a HEAD's answer says nothing about a GET's: servers that do not take HEAD answer it
// with 405 or 501, and many with 403, 404 or a dropped connection.
bool headRefused(const LinkResult& head) {
  return head.status == LinkStatus::kHttpError || head.status == LinkStatus::kFailed;
}

}  // namespace

LinkResult checkLink(HttpClient& client, const std::string& url, const LinkCheckLimits& limits,
                     const std::atomic<bool>& cancelled) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + limits.timeout;
  LinkResult head =
      client.ask(url, HttpMethod::kHead, limits.timeout, limits.maxRedirects, cancelled);
  if (!headRefused(head) || cancelled) return head;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  if (left.count() <= 0) return {LinkStatus::kTimedOut, head.httpStatus, {}};
  return client.ask(url, HttpMethod::kGetFirstBytes, left, limits.maxRedirects, cancelled);
}

bool isCheckableLink(const std::string& url) {
  return startsWithNoCase(url, "http://") || startsWithNoCase(url, "https://");
}

// The workers take the distinct URLs in turn from `next` and put what they find into
// `finished`, one entry for each index that has the URL.
struct LinkCheck::Shared {
  std::shared_ptr<HttpClient> client;
  LinkCheckLimits limits;
  std::vector<std::string> distinctUrls;
  std::vector<std::vector<std::size_t>> indexesOfUrl;  // parallel to distinctUrls
  std::atomic<bool> cancelled{false};

  std::mutex mutex;  // guards what follows
  std::condition_variable resultsReady;
  std::size_t next = 0;
  std::vector<Finished> finished;
};

LinkCheck::LinkCheck(std::shared_ptr<HttpClient> client, std::vector<std::string> urls,
                     LinkCheckLimits limits)
    : shared_(std::make_shared<Shared>()), total_(urls.size()) {
  shared_->client = std::move(client);
  shared_->limits = limits;
  std::map<std::string, std::size_t> seen;
  for (std::size_t index = 0; index < urls.size(); ++index) {
    if (!isCheckableLink(urls[index])) {
      shared_->finished.push_back({index, {LinkStatus::kNotChecked, 0, {}}});
      continue;
    }
    const auto [place, isNew] = seen.emplace(urls[index], shared_->distinctUrls.size());
    if (isNew) {
      shared_->distinctUrls.push_back(urls[index]);
      shared_->indexesOfUrl.emplace_back();
    }
    shared_->indexesOfUrl[place->second].push_back(index);
  }
  const std::size_t workers = std::min(limits.parallel, shared_->distinctUrls.size());
  for (std::size_t i = 0; i < workers; ++i) std::thread(work, shared_).detach();
}

LinkCheck::~LinkCheck() {
  cancel();
}

void LinkCheck::work(const std::shared_ptr<Shared>& shared) {
  for (;;) {
    std::size_t at;
    {
      std::lock_guard<std::mutex> lock(shared->mutex);
      if (shared->cancelled || shared->next == shared->distinctUrls.size()) return;
      at = shared->next++;
    }
    LinkResult result =
        checkLink(*shared->client, shared->distinctUrls[at], shared->limits, shared->cancelled);
    std::lock_guard<std::mutex> lock(shared->mutex);
    if (shared->cancelled) return;
    for (const std::size_t index : shared->indexesOfUrl[at]) {
      shared->finished.push_back({index, result});
    }
    shared->resultsReady.notify_all();
  }
}

std::vector<LinkCheck::Finished> LinkCheck::takeResults(std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  shared_->resultsReady.wait_for(lock, wait, [this] {
    return shared_->cancelled || !shared_->finished.empty() || taken_ == total_;
  });
  if (shared_->cancelled) return {};
  std::vector<Finished> results;
  results.swap(shared_->finished);
  taken_ += results.size();
  return results;
}

bool LinkCheck::done() const {
  return shared_->cancelled || taken_ == total_;
}

void LinkCheck::cancel() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->cancelled = true;
  shared_->resultsReady.notify_all();
}

}  // namespace orvalen
