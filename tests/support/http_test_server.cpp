#include "support/http_test_server.h"

namespace orvalen::test {

namespace {

struct Request {
  std::string method;
  std::string path;
};

// The request line of what the client sent up to the end of its headers.
Request readRequest(SocketHandle connection) {
  std::string received;
  char buffer[2048];
  while (received.find("\r\n\r\n") == std::string::npos && received.size() < 65536) {
    const long got = receiveSome(connection, buffer, sizeof buffer);
    if (got <= 0) break;
    received.append(buffer, static_cast<std::size_t>(got));
  }
  Request request;
  const std::size_t methodEnd = received.find(' ');
  const std::size_t pathEnd = received.find(' ', methodEnd + 1);
  if (methodEnd == std::string::npos || pathEnd == std::string::npos) return request;
  request.method = received.substr(0, methodEnd);
  request.path = received.substr(methodEnd + 1, pathEnd - methodEnd - 1);
  return request;
}

std::string response(int status, const std::string& reason, const std::string& headers = "",
                     const std::string& body = "") {
  return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n" + headers +
         "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

std::string redirect(int status, const std::string& location) {
  return response(status, "Found", "Location: " + location + "\r\n");
}

}  // namespace

HttpTestServer::HttpTestServer() : listener_(listenOnLoopback(&port_)) {
  if (listening()) acceptor_ = std::thread([this] { acceptLoop(); });
}

HttpTestServer::~HttpTestServer() {
  stopping_ = true;
  if (acceptor_.joinable()) acceptor_.join();
  for (std::thread& connection : connections_) connection.join();
  if (listening()) closeSocket(listener_);
}

std::string HttpTestServer::url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> HttpTestServer::requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void HttpTestServer::acceptLoop() {
  while (!stopping_) {
    if (!waitReadable(listener_, 50)) continue;
    const SocketHandle connection = acceptConnection(listener_);
    if (connection == kNoSocket) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    connections_.emplace_back([this, connection] {
      answer(connection);
      closeSocket(connection);
    });
  }
}

void HttpTestServer::answer(SocketHandle connection) {
  const Request request = readRequest(connection);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request.method + " " + request.path);
  }
  const bool head = request.method == "HEAD";
  const std::string path = request.path.substr(0, request.path.find('?'));
  if (path == "/ok") {
    sendAll(connection, response(200, "OK", "", head ? "" : "ok"));
  } else if (path == "/moved") {
    sendAll(connection, redirect(302, "/ok"));
  } else if (path == "/moved-away") {
    sendAll(connection, redirect(301, "/missing"));
  } else if (path == "/loop") {
    sendAll(connection, redirect(302, "/loop"));
  } else if (path == "/slow") {
    waitUnlessStopped(kSlowAnswer);
    sendAll(connection, response(200, "OK"));
  } else if (path == "/no-head" && head) {
    sendAll(connection, response(405, "Method Not Allowed", "Allow: GET\r\n"));
  } else if (path == "/no-head") {
    answerStream(connection);
  } else if (path == "/head-only-dead" && head) {
    sendAll(connection, response(403, "Forbidden"));
  } else {
    sendAll(connection, response(404, "Not Found"));
  }
}

// A live stream: headers without a length, then data until the client goes away.
void HttpTestServer::answerStream(SocketHandle connection) {
  if (!sendAll(connection, "HTTP/1.1 200 OK\r\nContent-Type: video/mp2t\r\n\r\n")) return;
  const std::string chunk(4096, 'G');
  while (!stopping_ && sendAll(connection, chunk)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void HttpTestServer::waitUnlessStopped(std::chrono::milliseconds time) {
  const auto end = std::chrono::steady_clock::now() + time;
  while (!stopping_ && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace orvalen::test
