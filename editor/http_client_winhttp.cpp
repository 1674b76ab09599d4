// The HTTP client on Windows: the system's WinHTTP, in synchronous mode, one session per
// request on the calling worker's thread.

#include <windows.h>
#include <winhttp.h>

#include <climits>

#include "editor/link_check.h"

namespace orvalen {

namespace {

constexpr const wchar_t* kFirstBytesRange = L"Range: bytes=0-1023";

class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  ~InternetHandle() {
    if (handle_) WinHttpCloseHandle(handle_);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HINTERNET handle_;
};

std::wstring wide(const std::string& utf8) {
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), length);
  return text;
}

LinkResult failure(DWORD error) {
  switch (error) {
    case ERROR_WINHTTP_TIMEOUT:
      return {LinkStatus::kTimedOut, 0, {}};
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      return {LinkStatus::kNameNotFound, 0, {}};
    case ERROR_WINHTTP_CANNOT_CONNECT:
      return {LinkStatus::kRefused, 0, {}};
    default:
      return {LinkStatus::kFailed, 0, "WinHTTP error " + std::to_string(error)};
  }
}

struct UrlParts {
  std::wstring host;
  std::wstring pathAndQuery;
  INTERNET_PORT port = 0;
  bool secure = false;
};

bool crackUrl(const std::wstring& url, UrlParts* parts) {
  URL_COMPONENTS components{};
  components.dwStructSize = sizeof components;
  components.dwHostNameLength = static_cast<DWORD>(-1);
  components.dwUrlPathLength = static_cast<DWORD>(-1);
  components.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(url.c_str(), 0, 0, &components)) return false;
  parts->host.assign(components.lpszHostName, components.dwHostNameLength);
  parts->pathAndQuery.assign(components.lpszUrlPath, components.dwUrlPathLength);
  parts->pathAndQuery.append(components.lpszExtraInfo, components.dwExtraInfoLength);
  if (parts->pathAndQuery.empty()) parts->pathAndQuery = L"/";
  parts->port = components.nPort;
  parts->secure = components.nScheme == INTERNET_SCHEME_HTTPS;
  return true;
}

void setDwordOption(HINTERNET handle, DWORD option, DWORD value) {
  WinHttpSetOption(handle, option, &value, sizeof value);
}

class WinHttpClient : public HttpClient {
 public:
  // WinHTTP's synchronous calls cannot be interrupted safely from another thread, so a
  // cancelled check lets the requests under way run to their time-out.
  LinkResult ask(const std::string& url, HttpMethod method, std::chrono::milliseconds timeout,
                 int maxRedirects, const std::atomic<bool>& cancelled) override {
    UrlParts parts;
    if (cancelled || !crackUrl(wide(url), &parts)) return failure(GetLastError());
    InternetHandle session(WinHttpOpen(L"Orvalen/1.0", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return failure(GetLastError());
    const int ms = static_cast<int>(std::min<long long>(timeout.count(), INT_MAX));
    WinHttpSetTimeouts(session.get(), ms, ms, ms, ms);
    InternetHandle connection(WinHttpConnect(session.get(), parts.host.c_str(), parts.port, 0));
    if (!connection) return failure(GetLastError());
    InternetHandle request(
        WinHttpOpenRequest(connection.get(), method == HttpMethod::kHead ? L"HEAD" : L"GET",
                           parts.pathAndQuery.c_str(), nullptr, WINHTTP_NO_REFERER,
                           WINHTTP_DEFAULT_ACCEPT_TYPES, parts.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request) return failure(GetLastError());
    // The wait for the answer's headers has a time-out of its own, 90 s unless set.
    setDwordOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, static_cast<DWORD>(ms));
    setDwordOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY,
                   WINHTTP_OPTION_REDIRECT_POLICY_ALWAYS);
    setDwordOption(request.get(), WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS,
                   static_cast<DWORD>(maxRedirects));
    const bool get = method == HttpMethod::kGetFirstBytes;
    if (!WinHttpSendRequest(request.get(), get ? kFirstBytesRange : WINHTTP_NO_ADDITIONAL_HEADERS,
                            get ? static_cast<DWORD>(-1) : 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr)) {
      return failure(GetLastError());
    }
    return statusOf(request.get());
  }

 private:
  static LinkResult statusOf(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                             WINHTTP_NO_HEADER_INDEX)) {
      return failure(GetLastError());
    }
    const int code = static_cast<int>(status);
    return {code >= 400 ? LinkStatus::kHttpError : LinkStatus::kOk, code, {}};
  }
};

}  // namespace

std::shared_ptr<HttpClient> makeSystemHttpClient() {
  return std::make_shared<WinHttpClient>();
}

}  // namespace orvalen
