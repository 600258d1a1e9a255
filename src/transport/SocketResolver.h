// SocketResolver: turns the socket's Addr, Port and Proto texts into what the
// system's connect needs, with the resolver's own failure messages.
//
// Called by TWSocket::Connect only. An address may be IPv4 or IPv6 text; host
// names are looked up blocking, in both families, and every address is given
// for the socket to try in turn. Every failure is thrown as ESocketException
// carrying the resolver's message ("Winsock Resolve Host: ...").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
  // The host's addresses, never none, in the order to try them.
  static std::vector<socketplatform::Address> host(const std::string& host);
};
