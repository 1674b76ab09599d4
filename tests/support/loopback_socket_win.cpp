#include <winsock2.h>

#include "support/loopback_socket.h"

namespace orvalen::test {

namespace {

SOCKET native(SocketHandle socket) {
  return static_cast<SOCKET>(socket);
}

void startWinsock() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
}

}  // namespace

SocketHandle listenOnLoopback(int* port) {
  startWinsock();
  const SOCKET fd = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (fd == INVALID_SOCKET) return kNoSocket;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 64) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::closesocket(fd);
    return kNoSocket;
  }
  *port = ntohs(address.sin_port);
  return static_cast<SocketHandle>(fd);
}

bool waitReadable(SocketHandle socket, int ms) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(native(socket), &readable);
  timeval wait{ms / 1000, (ms % 1000) * 1000};
  return ::select(0, &readable, nullptr, nullptr, &wait) > 0;
}

SocketHandle acceptConnection(SocketHandle listener) {
  const SOCKET fd = ::accept(native(listener), nullptr, nullptr);
  return fd == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(fd);
}

long receiveSome(SocketHandle socket, char* buffer, std::size_t size) {
  return ::recv(native(socket), buffer, static_cast<int>(size), 0);
}

bool sendAll(SocketHandle socket, std::string_view bytes) {
  while (!bytes.empty()) {
    const int sent = ::send(native(socket), bytes.data(), static_cast<int>(bytes.size()), 0);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

void closeSocket(SocketHandle socket) {
  ::closesocket(native(socket));
}

}  // namespace orvalen::test
