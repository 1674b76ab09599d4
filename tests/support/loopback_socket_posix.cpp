#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

#include "support/loopback_socket.h"

namespace orvalen::test {

SocketHandle listenOnLoopback(int* port) {
  // A client that goes away while we write must not end the test program.
  std::signal(SIGPIPE, SIG_IGN);
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return kNoSocket;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 64) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    return kNoSocket;
  }
  *port = ntohs(address.sin_port);
  return fd;
}

bool waitReadable(SocketHandle socket, int ms) {
  pollfd entry{static_cast<int>(socket), POLLIN, 0};
  return ::poll(&entry, 1, ms) > 0;
}

SocketHandle acceptConnection(SocketHandle listener) {
  const int fd = ::accept(static_cast<int>(listener), nullptr, nullptr);
  return fd < 0 ? kNoSocket : fd;
}

long receiveSome(SocketHandle socket, char* buffer, std::size_t size) {
  return static_cast<long>(::recv(static_cast<int>(socket), buffer, size, 0));
}

bool sendAll(SocketHandle socket, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(static_cast<int>(socket), bytes.data(), bytes.size(), 0);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

void closeSocket(SocketHandle socket) {
  ::close(static_cast<int>(socket));
}

}  // namespace orvalen::test
