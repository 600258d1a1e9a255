// SocketPlatform: the operating system's sockets behind one small interface.
//
// TWSocket and SocketResolver call only these functions, so they hold no
// system-specific code. Every failure is reported as a Windows Sockets code
// (10061 refused, 10054 reset, 10035 would block, ...), the codes the
// system's messages and events carry on every platform. This file pair is the
// POSIX implementation; a Windows one would sit beside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace socketplatform {

using Handle = intptr_t;
constexpr Handle kInvalid = -1;

enum class SocketType { Stream, Datagram, Raw };

// Name service. Each returns 0 or the Windows Sockets code of the failure.
// Addresses and ports are in network byte order.
int lookupProtocol(const std::string& name, int* protocol, SocketType* type);
int lookupService(const std::string& name, const std::string& proto, uint16_t* port);
// Blocking; the first IPv4 address of the name.
int lookupHost(const std::string& name, uint32_t* addr);
// Dotted numeric IPv4 text (a.b.c.d and its shorter forms); false if invalid.
bool parseDotted(const std::string& text, uint32_t* addr);
uint16_t portToNetwork(unsigned long port);

// Windows Sockets code for the calling thread's last system error.
int lastError();
// Windows Sockets code for an errno value.
int fromErrno(int err);

// A non-blocking IPv4 socket, set so that writing to a broken connection
// never raises SIGPIPE.
Handle open(SocketType type, int protocol);
// Starts a non-blocking connect to an IPv4 address and port (both in network
// order). Returns 0 when it completed or is under way, else the code.
int connectIpv4(Handle h, uint32_t addr, uint16_t port);
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
