#pragma once

// TCP sockets on the loopback interface, for servers that tests start (http_test_server.h).
// BSD sockets on POSIX systems, Winsock on Windows.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvalen::test {

using SocketHandle = std::intptr_t;
constexpr SocketHandle kNoSocket = -1;

// A socket listening on 127.0.0.1 at a port the system chooses (*port), or kNoSocket.
SocketHandle listenOnLoopback(int* port);
// Whether the socket has something to read (a connection, for a listening one) within ms.
bool waitReadable(SocketHandle socket, int ms);
SocketHandle acceptConnection(SocketHandle listener);
// The number of bytes read; 0 or less when the peer has closed or the socket failed.
long receiveSome(SocketHandle socket, char* buffer, std::size_t size);
bool sendAll(SocketHandle socket, std::string_view bytes);
void closeSocket(SocketHandle socket);

// A loopback port where nothing listens: one the system handed out and took back.
int unusedLoopbackPort();

}  // namespace orvalen::test
