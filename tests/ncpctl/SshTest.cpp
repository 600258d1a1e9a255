// ncpctl over ssh:// against the simulator's own SSH side (libssh's server):
// the password login is the TACL logon, then the road is the one telnet
// takes; a refused login is a refused TACL logon. A revoked host key is
// refused, and a known-hosts file that cannot be written is the operator's to
// mend (exit 1).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include "CtlRun.h"
#include "SshScratch.h"
#include "support/NskSimProcess.h"

using ctltest::runCtl;
using korvtest::NskSimProcess;

namespace {

const QByteArray kPasswords = "Tacl-5521-pw\nNcp-6630-pw\n";

class NcpctlSsh : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch.makeKey("hostkey"));
    startSim();
  }

  void startSim(const QStringList& more = {}) {
    sim = std::make_unique<NskSimProcess>(QStringList{"--ssh-host-key", scratch.path("hostkey"), "--tacl-password",
                                                      "Tacl-5521-pw", "--ncp-password", "Ncp-6630-pw"} +
                                          more);
    ASSERT_TRUE(sim->started());
    ASSERT_NE(sim->sshPort(), 0);
  }

  QStringList args(const std::string& host) const {
    return {"--host",
            QString::fromStdString(host),
            "--user",
            "OPS.OPER",
            "--ncp-user",
            "NCPOPER",
            "--password-stdin",
            "--known-hosts",
            scratch.path("known_hosts"),
            "--accept-new-host-key"};
  }

  ctltest::SshScratch scratch;
  std::unique_ptr<NskSimProcess> sim;
};

}  // namespace

TEST_F(NcpctlSsh, PasswordLoginTakesTheTelnetRoadAfterTheLogon) {
  // One connection each, so that the two dialogues compare line by line.
  const auto telnet = runCtl(args(sim->hostPort()) << "--connections"
                                                   << "1"
                                                   << "--format"
                                                   << "json"
                                                   << "tree",
                             kPasswords);
  ASSERT_EQ(telnet.exitCode, 0) << telnet.err;
  const std::vector<std::string> telnetCommands = sim->commandsReceived();

  const auto ssh = runCtl(args(sim->sshHost()) << "--connections"
                                               << "1"
                                               << "--debug"
                                               << "--format"
                                               << "json"
                                               << "tree",
                          kPasswords);
  ASSERT_EQ(ssh.exitCode, 0) << ssh.err;
  EXPECT_EQ(ssh.out, telnet.out);
  // The service menu's TACL, the logon and its password are the SSH login's.
  std::vector<std::string> sshCommands = sim->commandsReceived();
  sshCommands.erase(sshCommands.begin(), sshCommands.begin() + static_cast<long>(telnetCommands.size()));
  ASSERT_GE(telnetCommands.size(), 3u);
  EXPECT_EQ(sshCommands, std::vector<std::string>(telnetCommands.begin() + 3, telnetCommands.end()));
  // Unknown, and added as --accept-new-host-key says.
  EXPECT_NE(scratch.knownHosts().find(scratch.publicKey("hostkey")), std::string::npos);
  for (const char* secret : {"Tacl-5521-pw", "Ncp-6630-pw"}) {
    EXPECT_EQ(ssh.out.find(secret), std::string::npos);
    EXPECT_EQ(ssh.err.find(secret), std::string::npos) << ssh.err;
  }
}

TEST_F(NcpctlSsh, RefusedPasswordIsARefusedTaclLogon) {
  const QString audit = scratch.path("audit.jsonl");
  const auto run = runCtl(args(sim->sshHost()) << "--audit-file" << audit << "tree", "wrong\nNcp-6630-pw\n");
  EXPECT_EQ(run.exitCode, 3) << run.err;
  EXPECT_NE(run.err.find("refused the TACL logon of OPS.OPER"), std::string::npos) << run.err;
  EXPECT_TRUE(sim->commandsReceived().empty());
  QFile trail(audit);
  ASSERT_TRUE(trail.open(QIODevice::ReadOnly));
  const QJsonObject record = QJsonDocument::fromJson(trail.readLine()).object();
  EXPECT_EQ(record["action"].toString(), "connect");
  EXPECT_EQ(record["outcome"].toString(), "refused");
  EXPECT_TRUE(trail.atEnd());
}

TEST_F(NcpctlSsh, RevokedHostKeyIsRefusedBesideAPlainLineAndNeverAdded) {
  const std::string entry = "[127.0.0.1]:" + std::to_string(sim->sshPort()) + " " + scratch.publicKey("hostkey") + "\n";
  QFile file(scratch.path("known_hosts"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray::fromStdString("@revoked " + entry + entry));
  file.close();
  // args() accepts a new host key.
  const auto run = runCtl(args(sim->sshHost()) << "pathmons", kPasswords);
  EXPECT_EQ(run.exitCode, 7) << run.err;
  EXPECT_NE(run.err.find("REVOKED HOST KEY DETECTED"), std::string::npos) << run.err;
  EXPECT_EQ(scratch.knownHosts(), "@revoked " + entry + entry);
}

TEST_F(NcpctlSsh, KnownHostsFileThatCannotBeWrittenIsAUsageError) {
  ASSERT_TRUE(QDir().mkpath(scratch.path("known_hosts")));
  const auto run = runCtl(args(sim->sshHost()) << "pathmons", kPasswords);
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_EQ(run.err, "ncpctl: the known-hosts file " + scratch.path("known_hosts").toStdString() +
                         " cannot be read or written\n");
}

TEST_F(NcpctlSsh, GreetingCutIntoPiecesStillEndsAtTheTaclPrompt) {
  startSim({"--chunk", "1", "--chunk-delay-ms", "1"});
  const auto run = runCtl(args(sim->sshHost()) << "pathmons", kPasswords);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "$PM01\n$PM02\n$XPNT\n");
}
