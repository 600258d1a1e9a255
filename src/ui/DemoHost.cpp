#include "ui/DemoHost.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#ifdef __linux__
#include <sys/prctl.h>

#include <csignal>
#endif

DemoHost::~DemoHost() {
  if (m_process.state() == QProcess::NotRunning) return;
  m_process.terminate();
  if (!m_process.waitForFinished(3000)) {
    m_process.kill();
    m_process.waitForFinished(3000);
  }
}

bool DemoHost::start(const QString& program, QString* error) {
  m_process.setProgram(program);
  m_process.setArguments({"--port", "0"});
  m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef __linux__
  m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
  m_process.start();
  if (!m_process.waitForStarted(kStartMs)) {
    *error = QCoreApplication::translate("DemoHost", "The host simulator %1 did not start: %2")
                 .arg(program, m_process.errorString());
    return false;
  }
  const QDeadlineTimer deadline(kStartMs);
  while (!m_process.canReadLine() && m_process.state() == QProcess::Running && !deadline.hasExpired())
    m_process.waitForReadyRead(int(deadline.remainingTime()));
  bool ok = false;
  const uint port = m_process.canReadLine() ? QString::fromLatin1(m_process.readLine()).trimmed().toUInt(&ok) : 0;
  if (!ok || port == 0 || port > 65535) {
    *error = QCoreApplication::translate("DemoHost", "The host simulator %1 gave no port.").arg(program);
    return false;
  }
  m_port = quint16(port);
  return true;
}

QString DemoHost::hostPort() const { return m_port ? QString("127.0.0.1:%1").arg(m_port) : QString(); }
