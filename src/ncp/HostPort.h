// HostPort: the host field as the operator types it, split into the transport,
// the host and the port: an optional scheme ("telnet://", "telnets://",
// "ssh://"; telnet without one) followed by "host", "host:port",
// "[IPv6 address]:port", "[IPv6 address]" or a bare IPv6 address; without a
// port the scheme's own is used (23, 992, 22). The one reader of that field,
// for the session's Logon and for ncpctl's --host.
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
  TransportKind transport = TransportKind::Telnet;
  std::string host;
  std::string port;  // decimal, without leading zeros
};

// Throws EBadHostField.
HostPort splitHostPort(const std::string& field);

// The scheme that names a transport: "telnet", "telnets" or "ssh".
std::string schemeName(TransportKind transport);

}  // namespace ncp
