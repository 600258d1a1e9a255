// Certificates made by the openssl command in a scratch folder, and the
// system's stunnel put in front of a plain nsksim port: the real TLS server
// the telnets:// tests talk to. A missing openssl or stunnel4 fails the test,
// so CI must install them (scripts/setup.sh).
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <string>

namespace korvtest {

struct TlsFiles {
  QString cert;
  QString key;
};

class TlsLab {
 public:
  // Makes the test's own CA.
  TlsLab();

  QString caFile() const { return m_dir.filePath("ca.pem"); }
  // A certificate for "localhost" signed by the CA, valid for days (below 0:
  // it expired that many days ago).
  TlsFiles issue(const QString& name, int days = 30);
  // A certificate for "localhost" signed by its own key.
  TlsFiles selfSigned(const QString& name);
  // "sha256:<hex>" of a certificate file, as the openssl command computes it.
  std::string pin(const QString& certFile);
  QString path(const QString& name) const { return m_dir.filePath(name); }

 private:
  bool openssl(const QStringList& args);

  QTemporaryDir m_dir;
};

// stunnel on a free loopback port, serving files and passing the plain bytes
// to backendPort.
class Stunnel {
 public:
  Stunnel(const TlsLab& lab, const TlsFiles& files, uint16_t backendPort);
  ~Stunnel();
  Stunnel(const Stunnel&) = delete;
  Stunnel& operator=(const Stunnel&) = delete;

  uint16_t port() const { return m_port; }
  // Waits until stunnel logs the end of a client connection, then tells
  // whether any byte went from the client to the host behind it.
  bool forwardedNothing();

 private:
  bool waitLog(const QString& text);

  QProcess m_process;
  QString m_log;
  uint16_t m_port = 0;
};

}  // namespace korvtest
