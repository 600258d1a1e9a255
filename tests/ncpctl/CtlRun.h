// Runs the real ncpctl binary for a test: with arguments and standard input,
// to its end (or as a running process, for tests that look at it meanwhile).
// The wait limits only keep a broken run from hanging the test.
#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QStringList>
#include <memory>
#include <string>

class QProcess;

namespace korvtest {
class NskSimProcess;
}

namespace ctltest {

struct CtlResult {
  bool finished = false;  // ended by itself, not killed at the wait limit
  int exitCode = -1;
  std::string out;
  std::string err;
};

// The demo passwords as --password-stdin reads them.
inline const QByteArray kDemoPasswords = "secret1\nsecret2\n";

// --host, --user OPS.OPER, --ncp-user NCPOPER, --password-stdin for sim.
QStringList demoArgs(const korvtest::NskSimProcess& sim);

CtlResult runCtl(const QStringList& args, const QByteArray& input = kDemoPasswords, int waitMs = 90000,
                 const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

// Starts ncpctl and writes input to it; the caller waits or looks.
std::unique_ptr<QProcess> startCtl(const QStringList& args, const QByteArray& input = kDemoPasswords,
                                   const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
CtlResult finishCtl(QProcess& process, int waitMs = 90000);

}  // namespace ctltest
