#include "ncp/HostPort.h"

#include <QByteArray>

namespace ncp {

namespace {

constexpr unsigned long kMaxPort = 65535;

struct Scheme {
  TransportKind transport;
  const char* name;
  const char* defaultPort;
};

constexpr Scheme kSchemes[] = {
    {TransportKind::Telnet, "telnet", "23"},
    {TransportKind::TelnetTls, "telnets", "992"},
    {TransportKind::Ssh, "ssh", "22"},
};

// The scheme the field starts with, and the rest after "://"; telnet when it
// has none.
const Scheme& schemeOf(const std::string& field, std::string* rest) {
  const size_t mark = field.find("://");
  if (mark == std::string::npos) {
    *rest = field;
    return kSchemes[0];
  }
  const QByteArray name = QByteArray::fromStdString(field.substr(0, mark)).toLower();
  for (const Scheme& scheme : kSchemes) {
    if (name == scheme.name) {
      *rest = field.substr(mark + 3);
      return scheme;
    }
  }
  throw EBadHostField("Host \"" + field + "\" does not start with telnet://, telnets:// or ssh://");
}

// A port of digits only, from 1 to 65535; a larger one would wrap round to
// another port on its way into the socket.
std::string portOf(const std::string& field, const std::string& text) {
  unsigned long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      value = 0;
      break;
    }
    value = value * 10 + static_cast<unsigned long>(c - '0');
    if (value > kMaxPort) break;
  }
  if (value == 0 || value > kMaxPort) {
    throw EBadHostField("The port of host \"" + field + "\" is not a number from 1 to 65535");
  }
  return std::to_string(value);
}

}  // namespace

HostPort splitHostPort(const std::string& field) {
  std::string address;
  const Scheme& scheme = schemeOf(field, &address);
  const TransportKind kind = scheme.transport;
  if (!address.empty() && address.front() == '[') {
    const size_t close = address.find(']');
    const std::string rest = close == std::string::npos ? std::string() : address.substr(close + 1);
    if (close == std::string::npos || close == 1 || (!rest.empty() && rest.front() != ':')) {
      throw EBadHostField("Host \"" + field + "\" is not \"[address]\" or \"[address]:port\"");
    }
    return {kind, address.substr(1, close - 1), rest.empty() ? scheme.defaultPort : portOf(field, rest.substr(1))};
  }
  const size_t colon = address.find(':');
  // More than one colon: a bare IPv6 address, which holds no port.
  if (colon == std::string::npos || address.find(':', colon + 1) != std::string::npos) {
    return {kind, address, scheme.defaultPort};
  }
  return {kind, address.substr(0, colon), portOf(field, address.substr(colon + 1))};
}

std::string schemeName(TransportKind transport) {
  for (const Scheme& scheme : kSchemes) {
    if (scheme.transport == transport) return scheme.name;
  }
  return kSchemes[0].name;
}

}  // namespace ncp
