#include "transport/SocketResolver.h"

#include <cctype>
#include <cstdlib>

#include "transport/SocketErrors.h"

namespace sp = socketplatform;

namespace {

// IANA protocol numbers of the protocols known without a look-up.
constexpr int kTcp = 6, kUdp = 17, kRaw = 255;

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
  if (proto == "tcp") return {kTcp, sp::SocketType::Stream};
  if (proto == "udp") return {kUdp, sp::SocketType::Datagram};
  if (proto == "raw") return {kRaw, sp::SocketType::Raw};
  ResolvedProto found{};
  const int code = sp::lookupProtocol(proto, &found.protocol, &found.type);
  if (code != 0) {
    throw ESocketException(
        "Winsock Resolve Proto: Cannot convert protocol '" + proto + "' - " + socketerrors::message(code), code);
  }
  return found;
}

uint16_t SocketResolver::port(const std::string& port, const std::string& proto) {
  if (port.empty() || port.size() >= 32) {
    throw ESocketException("Winsock Resolve Port: Invalid Port.", 0);
  }
  if (std::isdigit(static_cast<unsigned char>(port.front()))) {
    return sp::portToNetwork(std::strtoul(port.c_str(), nullptr, 10));
  }
  if (proto.empty()) throw ESocketException("Winsock Resolve Port: Invalid Proto.", 0);
  uint16_t found = 0;
  const int code = sp::lookupService(port, proto, &found);
  if (code != 0) {
    throw ESocketException("Winsock Resolve Port: Cannot convert port '" + port + "' - " + socketerrors::message(code),
                           code);
  }
  return found;
}

std::vector<sp::Address> SocketResolver::host(const std::string& host) {
  if (host.empty() || host.size() > 256) {
    throw ESocketException("Winsock Resolve Host: '" + host + "' Invalid Hostname.", 0);
  }
  // No host name holds a colon: such text can only be an IPv6 address.
  const bool ipv6 = host.find(':') != std::string::npos;
  if (ipv6 || isDottedNumeric(host)) {
    sp::Address addr;
    const bool valid = ipv6 ? sp::parseIpv6(host, &addr) : sp::parseDotted(host, &addr);
    if (!valid) throw ESocketException("Winsock Resolve Host: '" + host + "' Invalid IP address.", 0);
    return {addr};
  }
  std::vector<sp::Address> addrs;
  const int code = sp::lookupHost(host, &addrs);
  if (code != 0) {
    throw ESocketException(
        "Winsock Resolve Host: Cannot convert host address '" + host + "' - " + socketerrors::message(code), code);
  }
  return addrs;
}
