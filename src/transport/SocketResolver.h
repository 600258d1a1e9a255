// SocketResolver: turns the socket's Addr, Port and Proto texts into what the
// system's connect needs, with the resolver's own failure messages.
//
// Called by TWSocket::Connect only. Host names are looked up blocking (the
// first IPv4 address is taken). Every failure is thrown as ESocketException
// carrying the resolver's message ("Winsock Resolve Host: ...").
#pragma once

#include <cstdint>
#include <string>

#include "transport/SocketPlatform.h"

struct ResolvedProto {
  int protocol;
  socketplatform::SocketType type;
};

class SocketResolver {
 public:
  static ResolvedProto proto(const std::string& proto);
  // Port in network byte order.
  static uint16_t port(const std::string& port, const std::string& proto);
  // IPv4 address in network byte order.
  static uint32_t host(const std::string& host);
};
