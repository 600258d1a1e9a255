#include "support/TlsLab.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTcpServer>

#include "support/EventLoop.h"

namespace korvtest {

namespace {

constexpr const char* kStunnel = "/usr/bin/stunnel4";
const QStringList kNewKey{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes"};

}  // namespace

TlsLab::TlsLab() {
  openssl(
      QStringList{"req", "-x509"} + kNewKey +
      QStringList{"-keyout", path("ca.key"), "-out", caFile(), "-subj", "/CN=Korvanedrestolin Test CA", "-days", "30"});
  QFile ext(path("localhost.ext"));
  if (ext.open(QIODevice::WriteOnly)) ext.write("subjectAltName=DNS:localhost\n");
}

TlsFiles TlsLab::issue(const QString& name, int days) {
  const TlsFiles files{path(name + ".pem"), path(name + ".key")};
  const QString request = path(name + ".csr");
  openssl(QStringList{"req", "-new"} + kNewKey +
          QStringList{"-keyout", files.key, "-out", request, "-subj", "/CN=localhost"});
  openssl({"x509", "-req", "-in", request, "-CA", caFile(), "-CAkey", path("ca.key"), "-CAcreateserial", "-out",
           files.cert, "-days", QString::number(days), "-extfile", path("localhost.ext")});
  return files;
}

TlsFiles TlsLab::selfSigned(const QString& name) {
  const TlsFiles files{path(name + ".pem"), path(name + ".key")};
  openssl(QStringList{"req", "-x509"} + kNewKey +
          QStringList{"-keyout", files.key, "-out", files.cert, "-subj", "/CN=localhost", "-addext",
                      "subjectAltName=DNS:localhost", "-days", "30"});
  return files;
}

std::string TlsLab::pin(const QString& certFile) {
  QProcess process;
  process.start("openssl", {"x509", "-in", certFile, "-noout", "-fingerprint", "-sha256"});
  process.waitForFinished();
  // "sha256 Fingerprint=AB:CD:..."
  const QString line = QString::fromLatin1(process.readAllStandardOutput()).trimmed();
  return "sha256:" + line.section('=', 1).remove(':').toLower().toStdString();
}

bool TlsLab::openssl(const QStringList& args) {
  QProcess process;
  process.start("openssl", args);
  const bool ok =
      process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
  if (!ok)
    ADD_FAILURE() << "openssl " << args.join(' ').toStdString() << ": " << process.errorString().toStdString()
                  << process.readAllStandardError().toStdString();
  return ok;
}

Stunnel::Stunnel(const TlsLab& lab, const TlsFiles& files, uint16_t backendPort) {
  {
    // A port free now; stunnel binds it before saying so (see below).
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    m_port = probe.serverPort();
  }
  const QString config = lab.path(QString("stunnel-%1.conf").arg(m_port));
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly)) ADD_FAILURE() << "cannot write " << config.toStdString();
  file.write(QString("foreground = yes\npid =\ndebug = 6\n[telnets]\naccept = 127.0.0.1:%1\n"
                     "connect = 127.0.0.1:%2\ncert = %3\nkey = %4\n")
                 .arg(m_port)
                 .arg(backendPort)
                 .arg(files.cert, files.key)
                 .toLocal8Bit());
  file.close();
  m_process.setProcessChannelMode(QProcess::MergedChannels);
  QObject::connect(&m_process, &QProcess::readyRead, [this] { m_log += QString::fromLocal8Bit(m_process.readAll()); });
  m_process.start(kStunnel, {config});
  if (!m_process.waitForStarted())
    ADD_FAILURE() << kStunnel << " did not start: " << m_process.errorString().toStdString();
  if (!waitLog(QString("bound to 127.0.0.1:%1").arg(m_port)))
    ADD_FAILURE() << "stunnel did not listen: " << m_log.toStdString();
}

Stunnel::~Stunnel() {
  if (m_process.state() == QProcess::NotRunning) return;
  m_process.terminate();
  if (!m_process.waitForFinished(10000)) m_process.kill();
}

bool Stunnel::forwardedNothing() {
  // "Connection reset/closed: 0 byte(s) sent to TLS, 0 byte(s) sent to socket"
  if (!waitLog("byte(s) sent to socket")) return false;
  return !m_log.contains("connected remote server") && m_log.contains(" 0 byte(s) sent to socket");
}

bool Stunnel::waitLog(const QString& text) {
  return waitUntil([&] { return m_log.contains(text) || m_process.state() == QProcess::NotRunning; }, 30000) &&
         m_log.contains(text);
}

}  // namespace korvtest
