#include "NskSimProcess.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#ifndef KORV_NSKSIM_PATH
#define KORV_NSKSIM_PATH ""
#endif

namespace korvtest {

namespace {
// Only an upper bound on the wait for the port line: a large generated
// network on a loaded machine takes many seconds to build.
constexpr int kStartTimeoutMs = 120000;
}  // namespace

NskSimProcess::NskSimProcess(const QStringList& extraArgs) {
  // One directory per simulator for its transcript; kept until the process ends.
  static QTemporaryDir dir;
  static int counter = 0;
  if (!dir.isValid()) {
    ADD_FAILURE() << "nsksim: no temporary directory";
    return;
  }
  m_transcriptPath = dir.filePath(QStringLiteral("transcript-%1.txt").arg(++counter)).toStdString();
  const QString program = QStringLiteral(KORV_NSKSIM_PATH);
  if (program.isEmpty()) {
    ADD_FAILURE() << "nsksim: KORV_NSKSIM_PATH is not defined for this test";
    return;
  }
  m_process = new QProcess;
  m_process->setProgram(program);
  m_process->setArguments(QStringList{"--port", "0", "--transcript", QString::fromStdString(m_transcriptPath)} +
                          extraArgs);
  m_process->setProcessChannelMode(QProcess::SeparateChannels);
  m_process->start();
  if (!m_process->waitForStarted(kStartTimeoutMs)) {
    ADD_FAILURE() << "nsksim did not start: " << m_process->errorString().toStdString();
    return;
  }
  QElapsedTimer timer;
  timer.start();
  const uint port = portLine(timer);
  if (port == 0) return;
  m_port = static_cast<uint16_t>(port);
  if (extraArgs.contains("--tls-cert")) m_tlsPort = static_cast<uint16_t>(portLine(timer));
  if (extraArgs.contains("--ssh-host-key")) m_sshPort = static_cast<uint16_t>(portLine(timer, "ssh "));
}

unsigned NskSimProcess::portLine(const QElapsedTimer& timer, const QString& prefix) {
  while (!m_process->canReadLine() && timer.elapsed() < kStartTimeoutMs && m_process->state() == QProcess::Running) {
    m_process->waitForReadyRead(100);
  }
  bool ok = false;
  const QString line = m_process->canReadLine() ? QString::fromLatin1(m_process->readLine()).trimmed() : QString();
  const uint port = line.startsWith(prefix) ? line.mid(prefix.size()).toUInt(&ok) : 0;
  if (!ok || port == 0 || port > 65535) {
    ADD_FAILURE() << "nsksim gave no port line; stderr: " << m_process->readAllStandardError().toStdString();
    return 0;
  }
  return port;
}

NskSimProcess::~NskSimProcess() {
  if (!m_process) return;
  if (m_process->state() != QProcess::NotRunning) {
    m_process->kill();
    m_process->waitForFinished(kStartTimeoutMs);
  }
  delete m_process;
}

bool NskSimProcess::started() const { return m_port != 0 && m_process && m_process->state() == QProcess::Running; }

uint16_t NskSimProcess::port() const { return m_port; }

std::string NskSimProcess::hostPort() const { return "127.0.0.1:" + std::to_string(m_port); }

std::vector<std::string> NskSimProcess::transcript() const {
  std::vector<std::string> lines;
  QFile file(QString::fromStdString(m_transcriptPath));
  if (!file.open(QIODevice::ReadOnly)) return lines;
  const QByteArray all = file.readAll();
  // Only complete lines: the simulator may be writing the next one right now.
  qsizetype start = 0;
  for (qsizetype end = all.indexOf('\n'); end >= 0; end = all.indexOf('\n', start)) {
    lines.push_back(all.mid(start, end - start).toStdString());
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> NskSimProcess::commandsReceived() const {
  std::vector<std::string> commands;
  for (const std::string& line : transcript()) {
    if (line.rfind("CMD ", 0) == 0) commands.push_back(line.substr(4));
  }
  return commands;
}

}  // namespace korvtest
