// Passwords reach ncpctl only through standard input (or the terminal) and go
// nowhere else: not into its process arguments, not into its output, its
// error sentences or its debug trace, even when the host echoes them back;
// not into a core dump, and not left behind in the strings they came from.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>

#include "CtlRun.h"
#include "nsk/SecretText.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"

using korvtest::NskSimProcess;

namespace {

const std::string kTacl = "Tacl-7731-pw";
const std::string kNcp = "Ncp-9412-pw";

QStringList simArgs(const QStringList& more = {}) {
  return QStringList{"--tacl-password", QString::fromStdString(kTacl), "--ncp-password", QString::fromStdString(kNcp),
                     "--echo-passwords"} +
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
  auto process = ctltest::startCtl(ctltest::demoArgs(sim) << "--debug"
                                                          << "--timeout"
                                                          << "3"
                                                          << "tree",
                                   passwords());
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
  const auto refused = ctltest::runCtl(ctltest::demoArgs(sim) << "--debug"
                                                              << "tree",
                                       QByteArray::fromStdString(kTacl + "\n" + wrong + "\n"));
  EXPECT_EQ(refused.exitCode, 4);
  expectNoPassword(refused.err, "stderr");
  EXPECT_EQ(refused.err.find(wrong), std::string::npos) << refused.err;
}

// The host's refusal quotes the NCP password ("CANNOT" in "... CANNOT BE
// STARTED"): the error sentence and the trace show the line masked, as the
// audit record does.
TEST(NcpctlSecret, ARefusalLineQuotingAPasswordShowsItMaskedInTheSentenceAndTrace) {
  NskSimProcess sim({"--ncp-password", "Cannot", "--refuse", "TCPIP1"});
  ASSERT_TRUE(sim.started());
  const auto r = ctltest::runCtl(ctltest::demoArgs(sim) << "--debug"
                                                        << "start"
                                                        << "process"
                                                        << "TCPIP1",
                                 "secret1\nCannot\n");
  EXPECT_EQ(r.exitCode, 9) << r.err;
  EXPECT_EQ(QString::fromStdString(r.err).count("**** BE STARTED"), 2) << r.err;
  EXPECT_FALSE(QString::fromStdString(r.err).contains("cannot be started", Qt::CaseInsensitive)) << r.err;
}

// The kernel gives a process that is not dumpable /proc/PID files (status,
// mem, ...) owned by root, which shows from outside when ncpctl runs as another user (as root
// the test starts it as nobody).
TEST(NcpctlSecret, ProcessIsNotDumpableWhileItHoldsThePasswords) {
  NskSimProcess sim({"--silent-on", "STATUS LINE"});
  ASSERT_TRUE(sim.started());
  // An audit folder the user it runs as may write in.
  QTemporaryDir audit;
  QFile::setPermissions(audit.path(), QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther |
                                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  QProcess ctl;
  ctl.setProgram(QStringLiteral(KORV_NCPCTL_PATH));
  ctl.setArguments(ctltest::demoArgs(sim) << "--timeout"
                                          << "60"
                                          << "--audit-file" << audit.filePath("audit.jsonl") << "tree");
  ctl.setChildProcessModifier([] {
    if (getuid() != 0) return;
    const gid_t nobody = 65534;
    if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0) _exit(99);
  });
  ctl.start();
  ASSERT_TRUE(ctl.waitForStarted());
  ctl.write(ctltest::kDemoPasswords);
  ctl.closeWriteChannel();
  ASSERT_TRUE(korvtest::waitUntil(
      [&] {
        const auto sent = sim.commandsReceived();
        return std::find(sent.begin(), sent.end(), "STATUS LINE *") != sent.end();
      },
      20000))
      << ctl.readAllStandardError().toStdString();
  const QString statusPath = QStringLiteral("/proc/%1/status").arg(ctl.processId());
  struct stat entry {};
  ASSERT_EQ(stat(statusPath.toLocal8Bit().constData(), &entry), 0);
  QFile status(statusPath);
  ASSERT_TRUE(status.open(QIODevice::ReadOnly));
  const QByteArray text = status.readAll();
  const qsizetype uid = text.indexOf("\nUid:\t");
  ASSERT_GE(uid, 0);
  EXPECT_NE(text.mid(uid + 6, text.indexOf('\t', uid + 6) - uid - 6).toInt(), 0) << "ncpctl runs as another user";
  EXPECT_EQ(entry.st_uid, 0u) << "its /proc entries belong to root: it cannot be dumped";
  ctl.kill();
  ctl.waitForFinished();
}

// A short password lives inside the string object itself, and a move leaves
// its bytes there: the SecretText made from it wipes them.
TEST(SecretText, TheStringItIsMadeFromKeepsNoByteOfThePassword) {
  std::string source = "Tacl-7731";
  const char* bytes = source.data();
  const size_t capacity = source.capacity();
  const SecretText secret(std::move(source));
  EXPECT_EQ(secret.text(), "Tacl-7731");
  EXPECT_EQ(std::string(bytes, capacity).find_first_not_of('\0'), std::string::npos);
}
