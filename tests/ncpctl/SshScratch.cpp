#include "SshScratch.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>

namespace ctltest {

namespace {

constexpr int kWaitMs = 60000;

// Runs a program to its end; a missing one fails the test.
QByteArray run(const QString& program, const QStringList& args, const QProcessEnvironment& env = {}) {
  if (!QFileInfo(program).isExecutable()) {
    ADD_FAILURE() << program.toStdString() << " is missing (scripts/setup.sh installs it)";
    return {};
  }
  QProcess process;
  if (!env.isEmpty()) process.setProcessEnvironment(env);
  process.start(program, args);
  if (!process.waitForFinished(kWaitMs) || process.exitCode() != 0) {
    ADD_FAILURE() << program.toStdString() << " failed: " << process.readAllStandardError().toStdString();
  }
  return process.readAllStandardOutput();
}

QByteArray fileText(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& text) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(text);
}

// A loopback port nobody listens on now.
uint16_t freePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

// Reads the process's output until a line holds text; false (with what it
// said in *seen) when it ends first.
bool waitForLine(QProcess& process, const QByteArray& text, QProcess::ProcessChannel channel, QByteArray* seen) {
  process.setReadChannel(channel);
  process.waitForStarted(kWaitMs);
  while (process.state() == QProcess::Running || process.canReadLine()) {
    while (process.canReadLine()) {
      const QByteArray line = process.readLine();
      *seen += line;
      if (line.contains(text)) return true;
    }
    process.waitForReadyRead(kWaitMs);
  }
  *seen += process.readAll();
  return false;
}

}  // namespace

SshScratch::SshScratch() { EXPECT_TRUE(m_dir.isValid()); }

SshScratch::~SshScratch() {
  for (auto* process : {m_sshd.get(), m_agent.get()}) {
    if (process == nullptr) continue;
    process->kill();
    process->waitForFinished(kWaitMs);
  }
}

bool SshScratch::makeKey(const QString& name) {
  run("/usr/bin/ssh-keygen", {"-q", "-t", "ed25519", "-N", "", "-C", name, "-f", path(name)});
  return QFileInfo::exists(path(name + ".pub"));
}

std::string SshScratch::publicKey(const QString& name) const {
  const QList<QByteArray> words = fileText(path(name + ".pub")).split(' ');
  return words.size() >= 2 ? (words[0] + ' ' + words[1]).toStdString() : std::string();
}

std::string SshScratch::fingerprint(const QString& name) const {
  const QList<QByteArray> words = run("/usr/bin/ssh-keygen", {"-l", "-f", path(name + ".pub")}).split(' ');
  return words.size() >= 2 ? words[1].toStdString() : std::string();
}

void SshScratch::writeKnownHost(uint16_t port, const QString& name) const {
  writeFile(path("known_hosts"), QByteArray("[127.0.0.1]:") + QByteArray::number(port) + ' ' +
                                     QByteArray::fromStdString(publicKey(name)) + '\n');
}

std::string SshScratch::knownHosts() const { return fileText(path("known_hosts")).toStdString(); }

bool SshScratch::startSshd() {
  if (!makeKey("hostkey") || !makeKey("userkey")) return false;
  QFile::copy(path("userkey.pub"), path("authorized_keys"));
  // The server's privilege separation folder; a fresh container has none.
  QDir().mkpath("/run/sshd");
  m_sshdPort = freePort();
  const QByteArray config = "ListenAddress 127.0.0.1:" + QByteArray::number(m_sshdPort) + "\n" + "HostKey " +
                            path("hostkey").toUtf8() + "\n" + "AuthorizedKeysFile " + path("authorized_keys").toUtf8() +
                            "\n" + "ForceCommand " + QByteArray(KORV_NSKSIM_PATH) +
                            " --stdio\n"
                            "PidFile none\n"
                            "UsePAM no\n"
                            "StrictModes no\n"
                            "PasswordAuthentication no\n"
                            "KbdInteractiveAuthentication no\n"
                            "PermitRootLogin prohibit-password\n"
                            "LogLevel VERBOSE\n"
                            // The login shell runs the forced command after
                            // the start-up files of HOME: the machine user's
                            // own (a stuck one stalls every login) stay out.
                            "SetEnv HOME=" +
                            m_dir.path().toUtf8() + "\n";
  writeFile(path("sshd_config"), config);
  const QString program = "/usr/sbin/sshd";
  if (!QFileInfo(program).isExecutable()) {
    ADD_FAILURE() << "/usr/sbin/sshd is missing (scripts/setup.sh installs openssh-server)";
    return false;
  }
  m_sshd = std::make_unique<QProcess>();
  m_sshd->start(program, {"-D", "-e", "-f", path("sshd_config")});
  QByteArray said;
  const bool listening = waitForLine(*m_sshd, "Server listening", QProcess::StandardError, &said);
  if (!listening) {
    ADD_FAILURE() << "sshd did not start (" << m_sshd->exitCode() << ", " << m_sshd->errorString().toStdString()
                  << "): " << said.toStdString() << m_sshd->readAllStandardOutput().toStdString();
  }
  return listening;
}

std::string SshScratch::sshdLog() const {
  m_sshd->setReadChannel(QProcess::StandardError);
  m_sshd->waitForReadyRead(0);
  return m_sshd->readAllStandardError().toStdString();
}

bool SshScratch::startAgent() {
  const QString program = "/usr/bin/ssh-agent";
  if (!QFileInfo(program).isExecutable()) {
    ADD_FAILURE() << "ssh-agent is missing (scripts/setup.sh installs openssh-client)";
    return false;
  }
  const QString socket = path("agent.sock");
  m_agent = std::make_unique<QProcess>();
  m_agent->start(program, {"-D", "-a", socket});
  // It names its socket once it listens there.
  QByteArray said;
  if (!waitForLine(*m_agent, "SSH_AUTH_SOCK", QProcess::StandardOutput, &said)) {
    ADD_FAILURE() << "ssh-agent did not start: " << said.toStdString();
    return false;
  }
  useAgent(socket);
  run("/usr/bin/ssh-add", {"-q", path("userkey")}, m_env);
  return true;
}

}  // namespace ctltest
