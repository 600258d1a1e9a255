#include "CtlRun.h"

#include <QProcess>
#include <QTemporaryDir>

#include "support/NskSimProcess.h"

namespace {

// ncpctl's default audit file goes into a folder of the test run, never into
// the home of whoever runs the tests; every ncpctl started inherits this.
const bool kConfigInTestFolder = [] {
  static QTemporaryDir folder;
  return qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit());
}();

}  // namespace

namespace ctltest {

QStringList demoArgs(const korvtest::NskSimProcess& sim) {
  return {"--host",          QString::fromStdString(sim.hostPort()), "--user", "OPS.OPER", "--ncp-user", "NCPOPER",
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
