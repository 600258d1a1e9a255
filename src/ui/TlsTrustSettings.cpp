#include "ui/TlsTrustSettings.h"

std::string TlsTrustSettings::hostKey(const ncp::HostPort& hostPort) {
  const bool ipv6 = hostPort.host.find(':') != std::string::npos;
  const std::string host = ipv6 ? "[" + hostPort.host + "]" : hostPort.host;
  return ncp::schemeName(hostPort.transport) + "://" + host + ":" + hostPort.port;
}

TlsTrust TlsTrustSettings::trustFor(const std::string& hostKey) const {
  TlsTrust trust;
  trust.caFile = m_ini.readString(kCaFiles, hostKey, "");
  const std::string pin = m_ini.readString(kPins, hostKey, "");
  trust.pin = normalizedPin(pin).value_or(pin);
  return trust;
}

void TlsTrustSettings::writePin(const std::string& hostKey, const std::string& pin) const {
  m_ini.writeString(kPins, hostKey, pin);
}
