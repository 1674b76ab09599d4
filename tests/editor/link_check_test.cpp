// The link check with the platform's HTTP client (libcurl, WinHTTP) against a server of the
// test's own on 127.0.0.1.

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "editor/link_check.h"
#include "support/http_test_server.h"

namespace orvalen {
namespace {

using std::chrono::milliseconds;
using test::HttpTestServer;

struct Expected {
  std::string url;
  LinkStatus status;
  int httpStatus;
};

std::map<std::size_t, LinkResult> allResults(LinkCheck& check) {
  std::map<std::size_t, LinkResult> results;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!check.done() && std::chrono::steady_clock::now() < end) {
    for (LinkCheck::Finished& finished : check.takeResults(milliseconds(200))) {
      EXPECT_TRUE(results.emplace(finished.index, finished.result).second) << finished.index;
    }
  }
  return results;
}

TEST(LinkCheckTest, TellsEachLinkWhatBecameOfIt) {
  HttpTestServer server;
  ASSERT_TRUE(server.listening());
  const std::string refused = "http://127.0.0.1:" + std::to_string(test::unusedLoopbackPort());
  const std::vector<Expected> cases = {
      {server.url("/ok"), LinkStatus::kOk, 200},
      {server.url("/missing"), LinkStatus::kHttpError, 404},
      {server.url("/moved"), LinkStatus::kOk, 200},
      {server.url("/moved-away"), LinkStatus::kHttpError, 404},
      {server.url("/loop"), LinkStatus::kFailed, 0},
      {server.url("/slow"), LinkStatus::kTimedOut, 0},
      {server.url("/no-head"), LinkStatus::kOk, 200},
      {server.url("/head-only-dead"), LinkStatus::kHttpError, 404},
      {refused + "/x.m3u8", LinkStatus::kRefused, 0},
      {server.url("/ok"), LinkStatus::kOk, 200},  // asked for once, reported for both
      {"rtmp://127.0.0.1/live/1", LinkStatus::kNotChecked, 0},
      {"videos/local.mp4", LinkStatus::kNotChecked, 0},
  };
  std::vector<std::string> urls;
  for (const Expected& expected : cases) urls.push_back(expected.url);
  LinkCheckLimits limits;
  // Long enough for a redirect loop's requests under Wine on a busy machine, well short of
  // the slow answer.
  limits.timeout = milliseconds(4000);
  limits.maxRedirects = 3;
  LinkCheck check(makeSystemHttpClient(), urls, limits);

  const auto started = std::chrono::steady_clock::now();
  std::map<std::size_t, LinkResult> results = allResults(check);
  EXPECT_LT(std::chrono::steady_clock::now() - started, HttpTestServer::kSlowAnswer);
  ASSERT_EQ(results.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(results[i].status, cases[i].status) << cases[i].url << " " << results[i].detail;
    if (cases[i].httpStatus) {
      EXPECT_EQ(results[i].httpStatus, cases[i].httpStatus) << cases[i].url;
    }
  }
  std::size_t okRequests = 0;
  for (const std::string& request : server.requests()) okRequests += request == "HEAD /ok";
  EXPECT_EQ(okRequests, 2u);  // its own and the redirect's
}

TEST(LinkCheckTest, CancellingStopsAtOnceAndReportsNothingMore) {
  HttpTestServer server;
  ASSERT_TRUE(server.listening());
  const std::vector<std::string> urls(20, server.url("/slow"));
  std::vector<std::string> distinct;
  for (std::size_t i = 0; i < urls.size(); ++i)
    distinct.push_back(urls[i] + "?" + std::to_string(i));
  LinkCheck check(makeSystemHttpClient(), distinct);
  EXPECT_TRUE(check.takeResults(milliseconds(300)).empty());
  const auto cancelled = std::chrono::steady_clock::now();
  check.cancel();
  EXPECT_TRUE(check.done());
  EXPECT_TRUE(check.takeResults(milliseconds(100)).empty());
  EXPECT_LT(std::chrono::steady_clock::now() - cancelled, milliseconds(1000));
}

}  // namespace
}  // namespace orvalen
