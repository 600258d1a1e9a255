// SocketPlatform: the operating system's sockets behind one small interface.
//
// TWSocket and SocketResolver call only these functions, so they hold no
// system-specific code. Every failure is reported as a Windows Sockets code
// (10061 refused, 10054 reset, 10035 would block, ...; SocketErrors.h), the
// codes the system's messages and events carry on every platform. This file pair is the
// POSIX implementation; a Windows one would sit beside it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace socketplatform {

using Handle = intptr_t;
constexpr Handle kInvalid = -1;

enum class SocketType { Stream, Datagram, Raw };

// An IPv4 or IPv6 address in network byte order (IPv4: the first four bytes).
struct Address {
  bool ipv6 = false;
  std::array<uint8_t, 16> bytes{};
  uint32_t scope = 0;  // the IPv6 zone, an interface index
};

// Name service. Each returns 0 or the Windows Sockets code of the failure.
// Addresses and ports are in network byte order.
int lookupProtocol(const std::string& name, int* protocol, SocketType* type);
int lookupService(const std::string& name, const std::string& proto, uint16_t* port);
// Blocking; every IPv6 and IPv4 address of the name, in the order the system
// prefers for connecting.
int lookupHost(const std::string& name, std::vector<Address>* addrs);
// Dotted numeric IPv4 text (a.b.c.d and its shorter forms); false if invalid.
bool parseDotted(const std::string& text, Address* addr);
// Numeric IPv6 text, with a zone if any ("fe80::1%eth0"); false if invalid.
bool parseIpv6(const std::string& text, Address* addr);
uint16_t portToNetwork(unsigned long port);

// Windows Sockets code for the calling thread's last system error.
int lastError();
// Windows Sockets code for an errno value.
int fromErrno(int err);

// A non-blocking socket of the address's family, set so that writing to a
// broken connection never raises SIGPIPE. A stream socket sends every write
// at once: held back for the peer's acknowledgement, the last of a few small
// telnet replies waits out the host's delayed acknowledgement (some 40 ms)
// before the host goes on.
Handle open(const Address& addr, SocketType type, int protocol);
// Starts a non-blocking connect to the address and port (in network order).
// Returns 0 when it completed or is under way, else the code.
int connectTo(Handle h, const Address& addr, uint16_t port);
// The outcome of a finished non-blocking connect: 0 or the code.
int connectOutcome(Handle h);
// Results as for send/recv: count, or -1 with lastError().
ptrdiff_t send(Handle h, const char* data, size_t len);
ptrdiff_t receive(Handle h, char* buffer, size_t size);
// What a receive would give now, without taking it: 1 data waits, 0 the peer
// has ended the stream, -1 with *code an error (10035 = nothing yet).
int peek(Handle h, int* code);
// Bytes the system holds unread.
size_t pending(Handle h);
void shutdownSend(Handle h);
// The handle is gone afterwards whatever the system reports, so there is
// nothing to retry and nothing to report.
void close(Handle h);

}  // namespace socketplatform
