// TlsTrustSettings: what the settings file trusts for telnets:// hosts, the
// window's known-hosts list. Keys name the host as "telnets://host:port" (an
// IPv6 address in brackets):
//   [TLS.Pins]     the certificate the operator trusted for that host,
//                  "sha256:<64 hex digits>"; only that certificate is accepted
//                  then, and the line is removed by hand to trust another.
//   [TLS.CAFiles]  a PEM file of the authorities that verify that host's
//                  certificate instead of the system's.
// Like SettingsFile it reads or writes the file at once on each call.
// Used by the main window before each logon and when the operator trusts a
// certificate.
#pragma once

#include <QString>
#include <string>

#include "ncp/HostPort.h"
#include "transport/TlsCertificate.h"
#include "ui/IniFile.h"

class TlsTrustSettings {
 public:
  static constexpr const char* kPins = "TLS.Pins";
  static constexpr const char* kCaFiles = "TLS.CAFiles";

  explicit TlsTrustSettings(QString path) : m_ini(std::move(path)) {}

  static std::string hostKey(const ncp::HostPort& hostPort);

  // A pin that is not well formed is kept as written: it matches no
  // certificate, so the host is refused rather than trusted by default.
  TlsTrust trustFor(const std::string& hostKey) const;
  // Throws IniWriteError.
  void writePin(const std::string& hostKey, const std::string& pin) const;

 private:
  IniFile m_ini;
};
