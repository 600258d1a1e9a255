// A scratch folder for the SSH tests: keys made with ssh-keygen, a known-hosts
// file, the real OpenSSH server (/usr/sbin/sshd in the foreground on a
// loopback port, its forced command nsksim --stdio at the TACL prompt) and a
// real ssh-agent holding the test's user key. A program that is missing fails
// the test: CI installs them (scripts/setup.sh).
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <string>

namespace ctltest {

class SshScratch {
 public:
  SshScratch();
  ~SshScratch();

  QString path(const QString& name) const { return m_dir.filePath(name); }
  // A new ed25519 key pair NAME and NAME.pub, without passphrase.
  bool makeKey(const QString& name);
  // The public key's "type base64" part.
  std::string publicKey(const QString& name) const;
  // "SHA256:..." as ssh-keygen -l shows it.
  std::string fingerprint(const QString& name) const;
  // One known-hosts line naming 127.0.0.1:port with the public key of NAME.
  void writeKnownHost(uint16_t port, const QString& name) const;
  std::string knownHosts() const;

  // sshd with host key "hostkey" and the authorized key "userkey"; false when
  // it did not start listening.
  bool startSshd();
  uint16_t sshdPort() const { return m_sshdPort; }
  std::string sshdLog() const;
  // ssh-agent holding "userkey"; its socket goes into env().
  bool startAgent();
  // The agent env() names from now on.
  void useAgent(const QString& socket) { m_env.insert("SSH_AUTH_SOCK", socket); }
  QProcessEnvironment env() const { return m_env; }

 private:
  QTemporaryDir m_dir;
  std::unique_ptr<QProcess> m_sshd;
  std::unique_ptr<QProcess> m_agent;
  uint16_t m_sshdPort = 0;
  QProcessEnvironment m_env = QProcessEnvironment::systemEnvironment();
};

}  // namespace ctltest
