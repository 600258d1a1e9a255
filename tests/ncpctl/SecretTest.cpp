// Passwords reach ncpctl only through standard input (or the terminal) and go
// nowhere else: not into its process arguments, not into its output, its
// error sentences or its debug trace, even when the host echoes them back.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "CtlRun.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"

using korvtest::NskSimProcess;

namespace {

const std::string kTacl = "Tacl-7731-pw";
const std::string kNcp = "Ncp-9412-pw";

QStringList simArgs(const QStringList& more = {}) {
  return QStringList{"--tacl-password", QString::fromStdString(kTacl), "--ncp-password",
                     QString::fromStdString(kNcp), "--echo-passwords"} +
         more;
}

QByteArray passwords() { return QByteArray::fromStdString(kTacl + "\n" + kNcp + "\n"); }

void expectNoPassword(const std::string& text, const char* where) {
  EXPECT_EQ(text.find(kTacl), std::string::npos) << where << ": " << text;
  EXPECT_EQ(text.find(kNcp), std::string::npos) << where << ": " << text;
}

}  // namespace

TEST(NcpctlSecret, PasswordsNeverShowInArgumentsOutputOrDebugTrace) {
  // The host goes silent in the middle of the load, so the process is still
  // running (logged on, both passwords used) when its arguments are read.
  NskSimProcess sim(simArgs({"--silent-on", "STATUS LINE"}));
  ASSERT_TRUE(sim.started());
  auto process = ctltest::startCtl(ctltest::demoArgs(sim) << "--debug" << "--timeout" << "3" << "tree", passwords());
  const QString cmdline = QStringLiteral("/proc/%1/cmdline").arg(process->processId());
  ASSERT_TRUE(korvtest::waitUntil(
      [&] {
        for (const auto& c : sim.commandsReceived()) {
          if (c == "STATUS LINE *") return true;
        }
        return false;
      },
      20000));
  QFile file(cmdline);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const std::string arguments = file.readAll().toStdString();
  EXPECT_NE(arguments.find("--password-stdin"), std::string::npos);
  expectNoPassword(arguments, "cmdline");
  const auto r = ctltest::finishCtl(*process);
  EXPECT_EQ(r.exitCode, 5);
  expectNoPassword(r.out, "stdout");
  expectNoPassword(r.err, "stderr");
  // The trace is there: what it lacks is the passwords, not everything.
  EXPECT_NE(r.err.find("EvNCPLogin->"), std::string::npos);
}

TEST(NcpctlSecret, ACompleteRunAndARefusedOneKeepThePasswordsOutOfEveryOutput) {
  NskSimProcess sim(simArgs());
  ASSERT_TRUE(sim.started());
  for (const auto& json : {QStringList{}, QStringList{"--format", "json"}}) {
    const auto r = ctltest::runCtl(ctltest::demoArgs(sim) << "--debug" << json << "tree", passwords());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    expectNoPassword(r.out, "stdout");
    expectNoPassword(r.err, "stderr");
  }
  // A refused NCP logon: the wrong password is a secret too.
  const std::string wrong = "Wrong-5501-pw";
  const auto refused = ctltest::runCtl(ctltest::demoArgs(sim) << "--debug" << "tree",
                                       QByteArray::fromStdString(kTacl + "\n" + wrong + "\n"));
  EXPECT_EQ(refused.exitCode, 4);
  expectNoPassword(refused.err, "stderr");
  EXPECT_EQ(refused.err.find(wrong), std::string::npos) << refused.err;
}
