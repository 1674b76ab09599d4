// The HTTP client on Linux: libcurl's easy interface, one handle per request, on the calling
// worker's thread.

#include <curl/curl.h>

#include <mutex>

#include "editor/link_check.h"

namespace orvalen {

namespace {

// Enough of a body to know that the server sends one; a GET stops there.
constexpr long kFirstBytes = 1024;

struct Transfer {
  const std::atomic<bool>* cancelled;
  bool stoppedAfterFirstBytes = false;
};

size_t stopAtFirstBytes(char*, size_t, size_t, void* data) {
  static_cast<Transfer*>(data)->stoppedAfterFirstBytes = true;
  return 0;  // anything but the size given ends the transfer
}

int stopWhenCancelled(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return *static_cast<Transfer*>(data)->cancelled ? 1 : 0;
}

LinkResult resultOf(CURLcode code, long httpStatus, const Transfer& transfer, const char* error) {
  LinkResult result;
  result.httpStatus = static_cast<int>(httpStatus);
  const bool answered =
      code == CURLE_OK || (code == CURLE_WRITE_ERROR && transfer.stoppedAfterFirstBytes);
  if (answered) {
    result.status = httpStatus >= 400 ? LinkStatus::kHttpError : LinkStatus::kOk;
    return result;
  }
  switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
      result.status = LinkStatus::kTimedOut;
      break;
    case CURLE_COULDNT_RESOLVE_HOST:
      result.status = LinkStatus::kNameNotFound;
      break;
    case CURLE_COULDNT_CONNECT:
      result.status = LinkStatus::kRefused;
      break;
    default:
      result.status = LinkStatus::kFailed;
      break;
  }
  result.detail = *error ? error : curl_easy_strerror(code);
  return result;
}

class CurlClient : public HttpClient {
 public:
  CurlClient() {
    // Once per process and never undone: workers of a cancelled check may still be using
    // libcurl when a new client is made.
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  }

  LinkResult ask(const std::string& url, HttpMethod method, std::chrono::milliseconds timeout,
                 int maxRedirects, const std::atomic<bool>& cancelled) override {
    CURL* curl = curl_easy_init();
    if (!curl) return {LinkStatus::kFailed, 0, "out of memory"};
    Transfer transfer{&cancelled};
    char error[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, static_cast<long>(maxRedirects));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count()));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // no SIGALRM for time-outs in threads
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Orvalen/1.0");
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, stopWhenCancelled);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, stopAtFirstBytes);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    if (method == HttpMethod::kHead) {
      curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    } else {
      curl_easy_setopt(curl, CURLOPT_RANGE, ("0-" + std::to_string(kFirstBytes - 1)).c_str());
    }
    const CURLcode code = curl_easy_perform(curl);
    long httpStatus = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &httpStatus);
    curl_easy_cleanup(curl);
    return resultOf(code, httpStatus, transfer, error);
  }
};

}  // namespace

std::shared_ptr<HttpClient> makeSystemHttpClient() {
  return std::make_shared<CurlClient>();
}

}  // namespace orvalen
