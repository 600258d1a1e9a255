// ncpctl's audit trail against the simulator: each run's actions in order
// with their outcomes (accepted, refused, the connection lost), no password
// in any letter case even from a host that echoes them, and an audit file
// that cannot be written refusing the run before anything is sent.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>

#include "CtlRun.h"
#include "support/NskSimProcess.h"

using korvtest::NskSimProcess;

namespace {

std::vector<QJsonObject> records(const QString& path) {
  QFile file(path);
  std::vector<QJsonObject> out;
  if (!file.open(QIODevice::ReadOnly)) return out;
  for (const QByteArray& line : file.readAll().split('\n')) {
    if (!line.isEmpty()) out.push_back(QJsonDocument::fromJson(line).object());
  }
  return out;
}

struct AuditRun {
  const char* name;
  QStringList simArgs;
  QStringList command;
  QByteArray passwords;
  int exitCode;
  std::vector<std::string> actions;  // "action outcome", in order
  std::string objectCommand;         // the command line of the object action, if any
  std::string answerPart;            // in that action's answer
};

void PrintTo(const AuditRun& run, std::ostream* out) { *out << run.name; }

class NcpctlAudit : public ::testing::TestWithParam<AuditRun> {};

TEST_P(NcpctlAudit, EveryActionIsRecordedInOrderWithItsOutcome) {
  const AuditRun& run = GetParam();
  NskSimProcess sim(run.simArgs);
  ASSERT_TRUE(sim.started());
  QTemporaryDir dir;
  const QString path = dir.filePath("audit.jsonl");
  const auto r = ctltest::runCtl(ctltest::demoArgs(sim) << "--audit-file" << path << run.command, run.passwords);
  EXPECT_EQ(r.exitCode, run.exitCode) << r.err;

  std::vector<std::string> actions;
  for (const QJsonObject& o : records(path)) {
    actions.push_back((o["action"].toString() + ' ' + o["outcome"].toString()).toStdString());
    EXPECT_EQ(o["program"].toString(), "ncpctl");
    EXPECT_EQ(o["host"].toString().toStdString(), sim.hostPort());
    EXPECT_EQ(o["tacl_user"].toString(), "OPS.OPER");
    EXPECT_FALSE(o["os_user"].toString().isEmpty());
    if (o["object"].toString().startsWith("LINE") || o["object"].toString().startsWith("PROCESS")) {
      EXPECT_EQ(o["command"].toString().toStdString(), run.objectCommand);
      EXPECT_TRUE(o["answer"].toString().contains(QString::fromStdString(run.answerPart)))
          << o["answer"].toString().toStdString();
      EXPECT_EQ(o["pathmon"].toString(), "$PM01");
      EXPECT_EQ(o["ncp_user"].toString(), "NCPOPER");
    }
  }
  EXPECT_EQ(actions, run.actions);
}

const QByteArray kDemo = ctltest::kDemoPasswords;

INSTANTIATE_TEST_SUITE_P(
    Runs, NcpctlAudit,
    ::testing::Values(AuditRun{"Stop",
                               {},
                               {"stop", "line", "LTCP01"},
                               kDemo,
                               0,
                               {"connect accepted", "ncp-logon accepted", "stop accepted", "disconnect accepted"},
                               "STOP LINE LTCP01",
                               "STOPPED"},
                      AuditRun{"Refresh",
                               {},
                               {"status", "line", "LTCP01"},
                               kDemo,
                               0,
                               {"connect accepted", "ncp-logon accepted", "refresh accepted", "disconnect accepted"},
                               "STATUS LINE LTCP01",
                               "LTCP01"},
                      AuditRun{"Message",
                               {},
                               {"warmboot", "TCPIP1"},
                               kDemo,
                               0,
                               {"connect accepted", "ncp-logon accepted", "message accepted", "disconnect accepted"},
                               "DELIVER PROCESS TCPIP1, /9501****/",
                               "MESSAGE DELIVERED"},
                      AuditRun{"StartRefused",
                               {"--refuse", "TCPIP1"},
                               {"start", "process", "TCPIP1"},
                               kDemo,
                               9,
                               {"connect accepted", "ncp-logon accepted", "start refused", "disconnect accepted"},
                               "START PROCESS TCPIP1",
                               "CANNOT BE STARTED"},
                      AuditRun{"TaclLogonRefused", {}, {"tree"}, "wrong\nsecret2\n", 3, {"connect refused"}, "", ""},
                      AuditRun{"NcpLogonRefused",
                               {},
                               {"tree"},
                               "secret1\nwrong\n",
                               4,
                               {"connect accepted", "ncp-logon refused", "disconnect accepted"},
                               "",
                               ""},
                      AuditRun{"ConnectionLost",
                               {"--close-on", "STOP"},
                               {"stop", "line", "LTCP01"},
                               kDemo,
                               2,
                               {"connect accepted", "ncp-logon accepted", "stop lost", "disconnect lost"},
                               "STOP LINE LTCP01",
                               ""}),
    [](const ::testing::TestParamInfo<AuditRun>& info) { return std::string(info.param.name); });

TEST(NcpctlAuditFile, HoldsNoPasswordInAnyLetterCaseFromAHostThatEchoesThem) {
  const QString tacl = "Tacl-7731-pw", ncp = "Ncp-9412-pw", wrong = "Wrong-5501-pw";
  NskSimProcess sim({"--tacl-password", tacl, "--ncp-password", ncp, "--echo-passwords"});
  ASSERT_TRUE(sim.started());
  QTemporaryDir dir;
  const QString path = dir.filePath("audit.jsonl");
  const QStringList args = ctltest::demoArgs(sim) << "--audit-file" << path;
  EXPECT_EQ(
      ctltest::runCtl(args + QStringList{"stop", "line", "LTCP01"}, (tacl + "\n" + ncp + "\n").toLatin1()).exitCode, 0);
  EXPECT_EQ(ctltest::runCtl(args + QStringList{"tree"}, (tacl + "\n" + wrong + "\n").toLatin1()).exitCode, 4);

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString trail = QString::fromUtf8(file.readAll());
  EXPECT_EQ(trail.count('\n'), 7) << trail.toStdString();
  for (const QString& secret : {tacl, ncp, wrong}) {
    for (const QString& variant : {secret, secret.toUpper(), secret.toLower()}) {
      EXPECT_FALSE(trail.contains(variant)) << variant.toStdString() << " in " << trail.toStdString();
    }
  }
}

TEST(NcpctlAuditFile, ThatCannotBeWrittenExits1InOneSentenceBeforeAnythingIsSent) {
  NskSimProcess sim;
  ASSERT_TRUE(sim.started());
  QTemporaryDir dir;
  QFile plain(dir.filePath("plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  // No folder can be made under a plain file; a device is no regular file.
  for (const QString& path : {dir.filePath("plain/audit.jsonl"), QString("/dev/full")}) {
    const auto r = ctltest::runCtl(ctltest::demoArgs(sim) << "--audit-file" << path << "stop"
                                                          << "line"
                                                          << "LTCP01");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("ncpctl: cannot write the audit file " + path.toStdString() + ": ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  EXPECT_TRUE(sim.commandsReceived().empty());
}

}  // namespace
