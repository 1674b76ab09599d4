#pragma once

// Checking whether the links of videos still answer: the only part of the program that uses
// the network, and only when the user asks for it.
//
// A LinkCheck takes a list of URLs and checks them in the background, up to
// LinkCheckLimits::parallel at a time; the editor collects what has finished with
// takeResults(), as often as it likes to update its progress, and may cancel(). Each distinct
// URL is asked for once, however many videos share it. Only http and https links are asked
// for; the others come back kNotChecked at once.
//
// A link is asked for with a HEAD request, and where the server refuses HEAD (an error status
// or a broken answer) with a GET that stops after the first bytes, so that a live stream is not
// downloaded; both within the time allowed to the link. Redirects are followed (to http and
// https only). The platform's HTTP client sends the requests: libcurl on Linux, WinHTTP on
// Windows (makeSystemHttpClient).

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace orvalen {

enum class LinkStatus {
  kOk,            // a status below 400 after the redirects
  kHttpError,     // the server answered with a status of 400 or more (httpStatus)
  kTimedOut,      // no full answer within the time allowed
  kNameNotFound,  // the host name is not known
  kRefused,       // the host did not take the connection
  kFailed,        // anything else: a TLS failure, too many redirects, a broken answer (detail)
  kNotChecked,    // not an http or https link
};

struct LinkResult {
  LinkStatus status = LinkStatus::kFailed;
  int httpStatus = 0;  // the last status received, 0 when none
  std::string detail;  // the HTTP client's own words for kFailed, in English; may be empty
};

struct LinkCheckLimits {
  std::size_t parallel = 8;
  // For a link as a whole, the GET after a refused HEAD included.
  std::chrono::milliseconds timeout{10000};
  int maxRedirects = 10;
};

enum class HttpMethod { kHead, kGetFirstBytes };

// Sends one request, following redirects. Called from several threads at once.
class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // url is an http or https URL. Returns early, with any result, once cancelled is set.
  virtual LinkResult ask(const std::string& url, HttpMethod method,
                         std::chrono::milliseconds timeout, int maxRedirects,
                         const std::atomic<bool>& cancelled) = 0;
};

// The platform's HTTP client.
std::shared_ptr<HttpClient> makeSystemHttpClient();

// One link, HEAD first, then GET where HEAD was refused.
LinkResult checkLink(HttpClient& client, const std::string& url, const LinkCheckLimits& limits,
                     const std::atomic<bool>& cancelled);

// Whether the URL is one the check asks for: http:// or https://, in any case.
bool isCheckableLink(const std::string& url);

class LinkCheck {
 public:
  struct Finished {
    std::size_t index;  // into the URLs given
    LinkResult result;
  };

  LinkCheck(std::shared_ptr<HttpClient> client, std::vector<std::string> urls,
            LinkCheckLimits limits = {});
  // Cancels what is still running. Requests under way end in the background, within the
  // time allowed to a link, and their results are dropped.
  ~LinkCheck();
  LinkCheck(const LinkCheck&) = delete;
  LinkCheck& operator=(const LinkCheck&) = delete;

  // What has finished since the last call, waiting up to `wait` for the first of it.
  std::vector<Finished> takeResults(std::chrono::milliseconds wait);
  // Whether every URL's result has been taken.
  bool done() const;
  std::size_t total() const { return total_; }
  // Stops starting requests and ends those under way; takeResults gives nothing more.
  void cancel();

 private:
  struct Shared;  // what the check shares with its workers, who may outlive it

  static void work(const std::shared_ptr<Shared>& shared);

  std::shared_ptr<Shared> shared_;
  std::size_t total_;
  std::size_t taken_ = 0;
};

}  // namespace orvalen
