#include "CtlRun.h"

#include <QProcess>

#include "support/NskSimProcess.h"

namespace ctltest {

QStringList demoArgs(const korvtest::NskSimProcess& sim) {
  return {"--host", QString::fromStdString(sim.hostPort()), "--user", "OPS.OPER", "--ncp-user", "NCPOPER",
          "--password-stdin"};
}

std::unique_ptr<QProcess> startCtl(const QStringList& args, const QByteArray& input, const QProcessEnvironment& env) {
  auto process = std::make_unique<QProcess>();
  process->setProcessEnvironment(env);
  process->setProgram(QStringLiteral(KORV_NCPCTL_PATH));
  process->setArguments(args);
  process->start();
  process->waitForStarted();
  process->write(input);
  process->closeWriteChannel();
  return process;
}

CtlResult finishCtl(QProcess& process, int waitMs) {
  CtlResult r;
  r.finished = process.waitForFinished(waitMs);
  if (!r.finished) {
    process.kill();
    process.waitForFinished();
  }
  r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  r.out = process.readAllStandardOutput().toStdString();
  r.err = process.readAllStandardError().toStdString();
  return r;
}

CtlResult runCtl(const QStringList& args, const QByteArray& input, int waitMs, const QProcessEnvironment& env) {
  auto process = startCtl(args, input, env);
  return finishCtl(*process, waitMs);
}

}  // namespace ctltest
