// Hosts reached by an IPv6 address or by a name with several addresses: the
// whole road of ncpctl to a simulator that listens on one address only. The
// names come from a hosts file of the test's own, mounted over /etc/hosts in a
// private mount namespace, so the run does not depend on the machine's names.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

#include "CtlRun.h"
#include "support/NskSimProcess.h"

using korvtest::NskSimProcess;

namespace {

struct HostRow {
  const char* label;
  QString bind;       // where the simulator listens
  QString hostsFile;  // empty: the machine's own names
  QString hostText;   // "%1" is the simulator's port
};

void PrintTo(const HostRow& row, std::ostream* os) { *os << row.label; }

bool loopbackIpv6() {
  QTcpServer probe;
  return probe.listen(QHostAddress::LocalHostIPv6, 0);
}

bool privateMountNamespace() { return QProcess::execute("unshare", {"-rm", "true"}) == 0; }

// ncpctl's "tree", inside a mount namespace where hostsFile is /etc/hosts
// when one is given.
ctltest::CtlResult runTree(const QStringList& ctlArgs, const QString& hostsFile) {
  QTemporaryDir dir;
  QProcess process;
  if (hostsFile.isEmpty()) {
    process.setProgram(QStringLiteral(KORV_NCPCTL_PATH));
    process.setArguments(ctlArgs);
  } else {
    const QString path = dir.filePath("hosts");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(hostsFile.toLatin1());
    file.close();
    process.setProgram("unshare");
    process.setArguments(QStringList{"-rm", "sh", "-c", R"(mount --bind "$0" /etc/hosts && exec "$@")", path,
                                     QStringLiteral(KORV_NCPCTL_PATH)} +
                         ctlArgs);
  }
  process.start();
  process.waitForStarted();
  process.write(ctltest::kDemoPasswords);
  process.closeWriteChannel();
  return ctltest::finishCtl(process);
}

class HostAddress : public ::testing::TestWithParam<HostRow> {};

TEST_P(HostAddress, TheRoadReachesTheSimulatorOnItsOnlyAddress) {
  const HostRow& row = GetParam();
  if (!loopbackIpv6()) GTEST_SKIP() << "this machine has no ::1";
  if (!row.hostsFile.isEmpty() && !privateMountNamespace()) {
    GTEST_SKIP() << "no private mount namespace here (unshare -rm), so no hosts file of the test's own";
  }
  NskSimProcess sim({"--bind", row.bind});
  ASSERT_TRUE(sim.started());

  const QString host = row.hostText.arg(sim.port());
  const auto r = runTree({"--host", host, "--user", "OPS.OPER", "--ncp-user", "NCPOPER", "--password-stdin", "tree"},
                         row.hostsFile);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("$PM01"), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Families, HostAddress,
                         ::testing::Values(HostRow{"Ipv6Literal", "::1", "", "[::1]:%1"},
                                           HostRow{"NameWithAaaaOnly", "::1", "::1 korv-sim\n", "korv-sim:%1"},
                                           // ::1 comes first and refuses; 127.0.0.1 answers.
                                           HostRow{"Ipv6RefusesIpv4Answers", "127.0.0.1",
                                                   "::1 korv-sim\n127.0.0.1 korv-sim\n", "korv-sim:%1"},
                                           // The system's order puts 127.0.0.1 first, which refuses; 127.0.0.2 answers.
                                           HostRow{"FirstOfTwoIpv4Refuses", "127.0.0.2",
                                                   "127.0.0.2 korv-sim\n127.0.0.1 korv-sim\n", "korv-sim:%1"}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
