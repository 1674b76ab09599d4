#pragma once

// A small HTTP/1.1 server on 127.0.0.1 that a test starts, so that HTTP clients are tried
// without the internet. Each connection gets one answer and is closed. The paths:
//   /ok          200 with a short body
//   /missing     404
//   /moved       302 to /ok;  /moved-away  301 to /missing;  /loop  302 to itself
//   /slow        answers after kSlowAnswer (or when the server stops)
//   /no-head     HEAD: 405; GET: 200 and a body that never ends, as a live stream
//   /head-only-dead  HEAD: 403; GET: 404
// Anything else is 404 too. A query after the path is ignored.

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/loopback_socket.h"

namespace orvalen::test {

class HttpTestServer {
 public:
  static constexpr std::chrono::seconds kSlowAnswer{12};

  HttpTestServer();
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  bool listening() const { return listener_ != kNoSocket; }
  // "http://127.0.0.1:<port><path>"
  std::string url(const std::string& path) const;
  // The requests received so far, as "METHOD PATH".
  std::vector<std::string> requests();

 private:
  void acceptLoop();
  void answer(SocketHandle connection);
  void answerStream(SocketHandle connection);
  void waitUnlessStopped(std::chrono::milliseconds time);

  int port_ = 0;
  SocketHandle listener_;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;  // guards the two below
  std::vector<std::thread> connections_;
  std::vector<std::string> requests_;
  std::thread acceptor_;
};

}  // namespace orvalen::test
