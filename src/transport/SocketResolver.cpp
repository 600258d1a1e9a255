#include "transport/SocketResolver.h"

#include <arpa/inet.h>
#include <cctype>
#include <cstdlib>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "transport/SocketPlatform.h"
#include "transport/TWSocket.h"

namespace {

// The name service has no Windows Sockets code of its own for a missing
// entry; Windows reports it as "No Data".
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
      return socketplatform::lastError();
    default:
      return 11003;
  }
}

std::string describe(int code) {
  return WSocketErrorDesc(code) + " (#" + std::to_string(code) + ")";
}

bool isDottedNumeric(const std::string& text) {
  for (char c : text) {
    if (c != '.' && !std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return std::isdigit(static_cast<unsigned char>(text.front())) != 0;
}

}  // namespace

ResolvedProto SocketResolver::proto(const std::string& proto) {
  if (proto.empty() || proto.size() >= 32) {
    throw ESocketException("Winsock Resolve Proto: Invalid Protocol.", 0);
  }
  if (proto == "tcp") return {IPPROTO_TCP, SOCK_STREAM};
  if (proto == "udp") return {IPPROTO_UDP, SOCK_DGRAM};
  if (proto == "raw") return {IPPROTO_RAW, SOCK_RAW};
  const protoent* entry = getprotobyname(proto.c_str());
  if (entry == nullptr) {
    throw ESocketException(
        "Winsock Resolve Proto: Cannot convert protocol '" + proto + "' - " + describe(kNoData),
        kNoData);
  }
  const int type = entry->p_proto == IPPROTO_TCP   ? SOCK_STREAM
                   : entry->p_proto == IPPROTO_UDP ? SOCK_DGRAM
                                                   : SOCK_RAW;
  return {entry->p_proto, type};
}

uint16_t SocketResolver::port(const std::string& port, const std::string& proto) {
  if (port.empty() || port.size() >= 32) {
    throw ESocketException("Winsock Resolve Port: Invalid Port.", 0);
  }
  if (std::isdigit(static_cast<unsigned char>(port.front()))) {
    return htons(static_cast<uint16_t>(std::strtoul(port.c_str(), nullptr, 10)));
  }
  if (proto.empty()) throw ESocketException("Winsock Resolve Port: Invalid Proto.", 0);
  const servent* entry = getservbyname(port.c_str(), proto.c_str());
  if (entry == nullptr) {
    throw ESocketException(
        "Winsock Resolve Port: Cannot convert port '" + port + "' - " + describe(kNoData),
        kNoData);
  }
  return static_cast<uint16_t>(entry->s_port);
}

uint32_t SocketResolver::host(const std::string& host) {
  if (host.empty() || host.size() > 256) {
    throw ESocketException("Winsock Resolve Host: '" + host + "' Invalid Hostname.", 0);
  }
  if (isDottedNumeric(host)) {
    in_addr addr{};
    if (inet_aton(host.c_str(), &addr) == 0) {
      throw ESocketException("Winsock Resolve Host: '" + host + "' Invalid IP address.", 0);
    }
    return addr.s_addr;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int rc = getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (rc != 0 || found == nullptr) {
    const int code = rc != 0 ? codeFromResolver(rc) : kNoData;
    throw ESocketException(
        "Winsock Resolve Host: Cannot convert host address '" + host + "' - " + describe(code),
        code);
  }
  const uint32_t addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(found);
  return addr;
}
