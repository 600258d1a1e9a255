#include "LoopbackPair.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

bool loopback::makePair(int* sessionSide, int* bridgeSide) {
  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int client = -1;
  int server = -1;
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(listener, 1) == 0 &&
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    client = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (client >= 0 && ::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      server = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    }
  }
  ::close(listener);
  if (server < 0) {
    if (client >= 0) ::close(client);
    return false;
  }
  *sessionSide = server;
  *bridgeSide = client;
  return true;
}

bool loopback::writeAll(int fd, const char* data, long size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= n;
  }
  return true;
}
