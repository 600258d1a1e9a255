#include "transport/SocketPlatform.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "transport/SocketErrors.h"

namespace socketplatform {

namespace {

#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
constexpr int kSendFlags = 0;
#endif

struct ErrnoCode {
  int err;
  int code;
};

constexpr ErrnoCode kErrnoCodes[] = {
    {EINTR, 10004},           {EBADF, 10009},         {EACCES, 10013},       {EFAULT, 10014},
    {EINVAL, 10022},          {EMFILE, 10024},        {EWOULDBLOCK, 10035},  {EAGAIN, 10035},
    {EINPROGRESS, 10036},     {EALREADY, 10037},      {ENOTSOCK, 10038},     {EDESTADDRREQ, 10039},
    {EMSGSIZE, 10040},        {EPROTOTYPE, 10041},    {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043},
    {ESOCKTNOSUPPORT, 10044}, {EOPNOTSUPP, 10045},    {EPFNOSUPPORT, 10046}, {EAFNOSUPPORT, 10047},
    {EADDRINUSE, 10048},      {EADDRNOTAVAIL, 10049}, {ENETDOWN, 10050},     {ENETUNREACH, 10051},
    {ENETRESET, 10052},       {ECONNABORTED, 10053},  {ECONNRESET, 10054},   {EPIPE, 10054},
    {ENOBUFS, 10055},         {EISCONN, 10056},       {ENOTCONN, 10057},     {ESHUTDOWN, 10058},
    {ETOOMANYREFS, 10059},    {ETIMEDOUT, 10060},     {ECONNREFUSED, 10061}, {ELOOP, 10062},
    {ENAMETOOLONG, 10063},    {EHOSTDOWN, 10064},     {EHOSTUNREACH, 10065}, {ENOTEMPTY, 10066},
    {EUSERS, 10068},          {EDQUOT, 10069},        {ESTALE, 10070},       {EREMOTE, 10071},
    {ENFILE, 10024},
};

// The name service has no code of its own for a missing entry; Windows
// Sockets reports it as "No Data".
using socketerrors::kNoData;

int codeFromResolver(int eai) {
  switch (eai) {
    case EAI_NONAME:
      return socketerrors::kHostNotFound;
    case EAI_AGAIN:
      return socketerrors::kTryAgain;
#ifdef EAI_NODATA
    case EAI_NODATA:
      return kNoData;
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
      return kNoData;
#endif
    case EAI_SYSTEM:
      return lastError();
    default:
      return socketerrors::kNoRecovery;
  }
}

Address fromSockaddr(const sockaddr* sa) {
  Address addr;
  if (sa->sa_family == AF_INET6) {
    const auto* sin6 = reinterpret_cast<const sockaddr_in6*>(sa);
    addr.ipv6 = true;
    std::memcpy(addr.bytes.data(), &sin6->sin6_addr, 16);
    addr.scope = sin6->sin6_scope_id;
  } else {
    std::memcpy(addr.bytes.data(), &reinterpret_cast<const sockaddr_in*>(sa)->sin_addr, 4);
  }
  return addr;
}

}  // namespace

int fromErrno(int err) {
  for (const ErrnoCode& row : kErrnoCodes) {
    if (row.err == err) return row.code;
  }
  return err;
}

int lastError() { return fromErrno(errno); }

int lookupProtocol(const std::string& name, int* protocol, SocketType* type) {
  const protoent* entry = ::getprotobyname(name.c_str());
  if (entry == nullptr) return kNoData;
  *protocol = entry->p_proto;
  *type = entry->p_proto == IPPROTO_TCP   ? SocketType::Stream
          : entry->p_proto == IPPROTO_UDP ? SocketType::Datagram
                                          : SocketType::Raw;
  return 0;
}

int lookupService(const std::string& name, const std::string& proto, uint16_t* port) {
  const servent* entry = ::getservbyname(name.c_str(), proto.c_str());
  if (entry == nullptr) return kNoData;
  *port = static_cast<uint16_t>(entry->s_port);
  return 0;
}

int lookupHost(const std::string& name, std::vector<Address>* addrs) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
  if (rc != 0) return codeFromResolver(rc);
  addrs->clear();
  for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family == AF_INET || entry->ai_family == AF_INET6) addrs->push_back(fromSockaddr(entry->ai_addr));
  }
  ::freeaddrinfo(found);
  return addrs->empty() ? kNoData : 0;
}

bool parseDotted(const std::string& text, Address* addr) {
  in_addr parsed{};
  if (::inet_aton(text.c_str(), &parsed) == 0) return false;
  *addr = Address{};
  std::memcpy(addr->bytes.data(), &parsed, 4);
  return true;
}

bool parseIpv6(const std::string& text, Address* addr) {
  addrinfo hints{};
  hints.ai_family = AF_INET6;
  hints.ai_flags = AI_NUMERICHOST;
  addrinfo* found = nullptr;
  if (::getaddrinfo(text.c_str(), nullptr, &hints, &found) != 0) return false;
  *addr = fromSockaddr(found->ai_addr);
  ::freeaddrinfo(found);
  return true;
}

uint16_t portToNetwork(unsigned long port) { return htons(static_cast<uint16_t>(port)); }

Handle open(const Address& addr, SocketType type, int protocol) {
  const int kind = type == SocketType::Stream ? SOCK_STREAM : type == SocketType::Datagram ? SOCK_DGRAM : SOCK_RAW;
  const int fd = ::socket(addr.ipv6 ? AF_INET6 : AF_INET, kind, protocol);
  if (fd < 0) return kInvalid;
  const int flags = ::fcntl(fd, F_GETFL, 0);
  ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  if (type == SocketType::Stream) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  }
#ifdef SO_NOSIGPIPE
  const int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &one, sizeof one);
#endif
  return fd;
}

int connectTo(Handle h, const Address& addr, uint16_t port) {
  sockaddr_storage storage{};
  socklen_t length = 0;
  if (addr.ipv6) {
    auto* sin6 = reinterpret_cast<sockaddr_in6*>(&storage);
    sin6->sin6_family = AF_INET6;
    std::memcpy(&sin6->sin6_addr, addr.bytes.data(), 16);
    sin6->sin6_scope_id = addr.scope;
    sin6->sin6_port = port;
    length = sizeof *sin6;
  } else {
    auto* sin = reinterpret_cast<sockaddr_in*>(&storage);
    sin->sin_family = AF_INET;
    std::memcpy(&sin->sin_addr, addr.bytes.data(), 4);
    sin->sin_port = port;
    length = sizeof *sin;
  }
  if (::connect(static_cast<int>(h), reinterpret_cast<const sockaddr*>(&storage), length) == 0 ||
      errno == EINPROGRESS) {
    return 0;
  }
  return lastError();
}

int connectOutcome(Handle h) {
  int err = 0;
  socklen_t len = sizeof err;
  if (::getsockopt(static_cast<int>(h), SOL_SOCKET, SO_ERROR, &err, &len) != 0) return lastError();
  return err == 0 ? 0 : fromErrno(err);
}

ptrdiff_t send(Handle h, const char* data, size_t len) { return ::send(static_cast<int>(h), data, len, kSendFlags); }

ptrdiff_t receive(Handle h, char* buffer, size_t size) { return ::recv(static_cast<int>(h), buffer, size, 0); }

int peek(Handle h, int* code) {
  char byte;
  const ptrdiff_t n = ::recv(static_cast<int>(h), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  if (n > 0) return 1;
  if (n == 0) return 0;
  *code = lastError();
  return -1;
}

size_t pending(Handle h) {
  int n = 0;
  if (::ioctl(static_cast<int>(h), FIONREAD, &n) != 0 || n < 0) return 0;
  return static_cast<size_t>(n);
}

void shutdownSend(Handle h) { ::shutdown(static_cast<int>(h), SHUT_WR); }

void close(Handle h) { ::close(static_cast<int>(h)); }

}  // namespace socketplatform
