// ncpctl check against the simulator: the status line and the plugin state
// for thresholds the sample network meets and passes, and UNKNOWN (3) on
// standard output for every run that cannot count.
#include <gtest/gtest.h>

#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>

#include "CtlRun.h"
#include "TestNetwork.h"
#include "support/NskSimProcess.h"
#include "support/TlsLab.h"

using ctltest::runCtl;
using ctltest::TestNetwork;
using korvtest::NskSimProcess;

namespace {

struct CheckRow {
  const char* name;
  QStringList args;
  int exitCode;
  std::string line;
};

void PrintTo(const CheckRow& row, std::ostream* out) { *out << row.name; }

}  // namespace

class NcpctlCheck : public ::testing::TestWithParam<CheckRow> {};

// $PA01 of the sample: 4 started, 2 starting, 3 stopped, 3 abnormal objects;
// its four lines (one shared by two stations) one of each.
TEST_P(NcpctlCheck, StatusLineAndExitCodeFollowTheThresholds) {
  NskSimProcess sim({"--network", TestNetwork::sample().writeFile()});
  ASSERT_TRUE(sim.started());
  const auto r = runCtl(ctltest::demoArgs(sim) << "check" << GetParam().args);
  EXPECT_EQ(r.exitCode, GetParam().exitCode) << r.err;
  EXPECT_EQ(r.out, GetParam().line + "\n");
  EXPECT_EQ(r.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NcpctlCheck,
    ::testing::Values(
        CheckRow{"NoThresholds",
                 {},
                 0,
                 "NCP OK - 4 started, 2 starting, 3 stopped, 3 abnormal | started=4;; starting=2;; stopped=3;; "
                 "abnormal=3;;"},
        CheckRow{"Warning",
                 {"--warning", "abnormal=2", "--critical", "abnormal=5"},
                 1,
                 "NCP WARNING - 4 started, 2 starting, 3 stopped, 3 abnormal | started=4;; starting=2;; stopped=3;; "
                 "abnormal=3;2;5"},
        CheckRow{"CriticalOverWarning",
                 {"--warning", "stopped=1", "--critical=abnormal=@3:4"},
                 2,
                 "NCP CRITICAL - 4 started, 2 starting, 3 stopped, 3 abnormal | started=4;; starting=2;; "
                 "stopped=3;1; abnormal=3;;@3:4"},
        CheckRow{"TooFewStarted",
                 {"--critical", "started=5:"},
                 2,
                 "NCP CRITICAL - 4 started, 2 starting, 3 stopped, 3 abnormal | started=4;;5: starting=2;; "
                 "stopped=3;; abnormal=3;;"},
        CheckRow{"LinesOnceEach",
                 {"--type", "line", "--critical", "abnormal=0"},
                 2,
                 "NCP CRITICAL - 1 started, 1 starting, 1 stopped, 1 abnormal | started=1;; starting=1;; "
                 "stopped=1;; abnormal=1;;0"},
        CheckRow{"OneName",
                 {"--name", "SA1", "--critical", "started=1:"},
                 0,
                 "NCP OK - 1 started, 0 starting, 0 stopped, 0 abnormal | started=1;;1: starting=0;; stopped=0;; "
                 "abnormal=0;;"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NcpctlCheckUnknown, EveryRunThatCannotCountIsUnknownOnStandardOutput) {
  korvtest::TlsLab lab;
  const korvtest::TlsFiles untrusted = lab.selfSigned("sim");
  NskSimProcess sim(
      {"--network", TestNetwork::sample().writeFile(), "--tls-cert", untrusted.cert, "--tls-key", untrusted.key});
  ASSERT_TRUE(sim.started());
  QTcpServer probe;
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
  const QString closedPort = "127.0.0.1:" + QString::number(probe.serverPort());
  probe.close();
  // An audit file under a plain file cannot be made.
  QTemporaryDir dir;
  QFile plain(dir.filePath("plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();

  const std::vector<std::pair<QStringList, QByteArray>> rows = {
      {{"--host", closedPort, "--user", "U", "--password-stdin", "check"}, ctltest::kDemoPasswords},
      {ctltest::demoArgs(sim) << "check"
                              << "--name"
                              << "NOPE",
       ctltest::kDemoPasswords},
      {ctltest::demoArgs(sim) << "check"
                              << "--warning"
                              << "stopped=5:1",
       ctltest::kDemoPasswords},
      {ctltest::demoArgs(sim) << "check", ""},
      {{"--host", QString("telnets://localhost:%1").arg(sim.tlsPort()), "--user", "U", "--password-stdin", "check"},
       ctltest::kDemoPasswords},
      {ctltest::demoArgs(sim) << "--audit-file" << dir.filePath("plain/audit.jsonl") << "check",
       ctltest::kDemoPasswords}};
  for (const auto& [args, input] : rows) {
    const auto r = runCtl(args, input);
    EXPECT_EQ(r.exitCode, 3) << args.join(' ').toStdString();
    EXPECT_EQ(r.out.rfind("NCP UNKNOWN - ", 0), 0u) << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
  }
}
