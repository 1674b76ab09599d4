#include "support/loopback_socket.h"

namespace orvalen::test {

int unusedLoopbackPort() {
  int port = 0;
  const SocketHandle socket = listenOnLoopback(&port);
  if (socket != kNoSocket) closeSocket(socket);
  return port;
}

}  // namespace orvalen::test
