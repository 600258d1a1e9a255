// HostPort: the host field as the operator types it, split into the host and
// the port: "host", "host:port", "[IPv6 address]:port", "[IPv6 address]" or a
// bare IPv6 address; without a port the telnet port 23 is used. The one reader
// of that field, for the session's Logon and for ncpctl's --host.
#pragma once

#include <string>

#include "nsk/TNSKTelnet.h"

namespace ncp {

// A host field whose port is not a number from 1 to 65535, or whose brackets
// do not close: refused like unsafe operator text, before anything is opened.
class EBadHostField : public EUnsafeCommandText {
 public:
  using EUnsafeCommandText::EUnsafeCommandText;
};

struct HostPort {
  std::string host;
  std::string port;  // decimal, without leading zeros
};

// Throws EBadHostField.
HostPort splitHostPort(const std::string& field);

}  // namespace ncp
