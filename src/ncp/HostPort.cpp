#include "ncp/HostPort.h"

namespace ncp {

namespace {

constexpr unsigned long kMaxPort = 65535;

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
  if (!field.empty() && field.front() == '[') {
    const size_t close = field.find(']');
    const std::string rest = close == std::string::npos ? std::string() : field.substr(close + 1);
    if (close == std::string::npos || close == 1 || (!rest.empty() && rest.front() != ':')) {
      throw EBadHostField("Host \"" + field + "\" is not \"[address]\" or \"[address]:port\"");
    }
    return {field.substr(1, close - 1), rest.empty() ? "23" : portOf(field, rest.substr(1))};
  }
  const size_t colon = field.find(':');
  // More than one colon: a bare IPv6 address, which holds no port.
  if (colon == std::string::npos || field.find(':', colon + 1) != std::string::npos) return {field, "23"};
  return {field.substr(0, colon), portOf(field, field.substr(colon + 1))};
}

}  // namespace ncp
