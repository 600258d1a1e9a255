#include "transport/SocketPlatform.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

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
    {EINTR, 10004},        {EBADF, 10009},           {EACCES, 10013},
    {EFAULT, 10014},       {EINVAL, 10022},          {EMFILE, 10024},
    {EWOULDBLOCK, 10035},  {EAGAIN, 10035},          {EINPROGRESS, 10036},
    {EALREADY, 10037},     {ENOTSOCK, 10038},        {EDESTADDRREQ, 10039},
    {EMSGSIZE, 10040},     {EPROTOTYPE, 10041},      {ENOPROTOOPT, 10042},
    {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044}, {EOPNOTSUPP, 10045},
    {EPFNOSUPPORT, 10046}, {EAFNOSUPPORT, 10047},    {EADDRINUSE, 10048},
    {EADDRNOTAVAIL, 10049}, {ENETDOWN, 10050},       {ENETUNREACH, 10051},
    {ENETRESET, 10052},    {ECONNABORTED, 10053},    {ECONNRESET, 10054},
    {EPIPE, 10054},        {ENOBUFS, 10055},         {EISCONN, 10056},
    {ENOTCONN, 10057},     {ESHUTDOWN, 10058},       {ETOOMANYREFS, 10059},
    {ETIMEDOUT, 10060},    {ECONNREFUSED, 10061},    {ELOOP, 10062},
    {ENAMETOOLONG, 10063}, {EHOSTDOWN, 10064},       {EHOSTUNREACH, 10065},
    {ENOTEMPTY, 10066},    {EUSERS, 10068},          {EDQUOT, 10069},
    {ESTALE, 10070},       {EREMOTE, 10071},         {ENFILE, 10024},
};

// The name service has no code of its own for a missing entry; Windows
// Sockets reports it as "No Data".
constexpr int kNoData = 11004;

int codeFromResolver(int eai) {
  switch (eai) {
    case EAI_NONAME:
      return 11001;
    case EAI_AGAIN:
      return 11002;
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
      return 11003;
  }
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

int lookupHost(const std::string& name, uint32_t* addr) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
  if (rc != 0) return codeFromResolver(rc);
  if (found == nullptr) return kNoData;
  *addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  ::freeaddrinfo(found);
  return 0;
}

bool parseDotted(const std::string& text, uint32_t* addr) {
  in_addr parsed{};
  if (::inet_aton(text.c_str(), &parsed) == 0) return false;
  *addr = parsed.s_addr;
  return true;
}

uint16_t portToNetwork(unsigned long port) { return htons(static_cast<uint16_t>(port)); }

Handle open(SocketType type, int protocol) {
  const int kind = type == SocketType::Stream     ? SOCK_STREAM
                   : type == SocketType::Datagram ? SOCK_DGRAM
                                                  : SOCK_RAW;
  const int fd = ::socket(AF_INET, kind, protocol);
  if (fd < 0) return kInvalid;
  const int flags = ::fcntl(fd, F_GETFL, 0);
  ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);
#ifdef SO_NOSIGPIPE
  const int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &one, sizeof one);
#endif
  return fd;
}

int connectIpv4(Handle h, uint32_t addr, uint16_t port) {
  sockaddr_in sin{};
  sin.sin_family = AF_INET;
  sin.sin_addr.s_addr = addr;
  sin.sin_port = port;
  if (::connect(static_cast<int>(h), reinterpret_cast<const sockaddr*>(&sin), sizeof sin) == 0 ||
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

ptrdiff_t send(Handle h, const char* data, size_t len) {
  return ::send(static_cast<int>(h), data, len, kSendFlags);
}

ptrdiff_t receive(Handle h, char* buffer, size_t size) {
  return ::recv(static_cast<int>(h), buffer, size, 0);
}

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
