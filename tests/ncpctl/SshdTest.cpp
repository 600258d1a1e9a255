// ncpctl over ssh:// through the real OpenSSH server, whose forced command is
// the simulator's TACL prompt on standard input and output: the whole road
// with the user's key from a real ssh-agent, an agent that never answers, and
// the host key checks, where a refusal comes before any login is tried.
#include <gtest/gtest.h>

#include <QLocalServer>

#include "CtlRun.h"
#include "SshScratch.h"
#include "support/NskSimProcess.h"

using ctltest::runCtl;

namespace {

// The TACL password goes unused: the agent's key logs in.
const QByteArray kPasswords = "unused\nsecret2\n";

class NcpctlSshd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch.startSshd());
    ASSERT_TRUE(scratch.startAgent());
  }

  ctltest::CtlResult run(const QString& command, bool acceptNew = false, const QStringList& more = {}) {
    QStringList args{"--host",
                     QString("ssh://127.0.0.1:%1").arg(scratch.sshdPort()),
                     "--user",
                     qgetenv("USER"),
                     "--ncp-user",
                     "NCPOPER",
                     "--password-stdin",
                     "--known-hosts",
                     scratch.path("known_hosts")};
    if (qgetenv("USER").isEmpty()) args[3] = "root";
    if (acceptNew) args << "--accept-new-host-key";
    return runCtl(args << more << command, kPasswords, 90000, scratch.env());
  }

  // No login was tried: the refusal came before anything of the user's was sent.
  void expectNoLoginTried() {
    const std::string log = scratch.sshdLog();
    EXPECT_EQ(log.find("Accepted"), std::string::npos) << log;
    EXPECT_EQ(log.find("Failed"), std::string::npos) << log;
  }

  ctltest::SshScratch scratch;
};

}  // namespace

TEST_F(NcpctlSshd, AgentKeyRunsTheWholeRoad) {
  scratch.writeKnownHost(scratch.sshdPort(), "hostkey");
  const auto ssh = run("tree");
  ASSERT_EQ(ssh.exitCode, 0) << ssh.err;

  korvtest::NskSimProcess plain;
  ASSERT_TRUE(plain.started());
  const auto telnet = runCtl(ctltest::demoArgs(plain) << "tree");
  ASSERT_EQ(telnet.exitCode, 0) << telnet.err;
  EXPECT_EQ(ssh.out, telnet.out);
}

TEST_F(NcpctlSshd, AgentThatNeverAnswersIsPassedOverWithinTheTimeout) {
  scratch.writeKnownHost(scratch.sshdPort(), "hostkey");
  // Listening and never accepting: the kernel takes the connection and the
  // request, and no answer ever comes.
  QLocalServer mute;
  ASSERT_TRUE(mute.listen(scratch.path("mute.sock")));
  scratch.useAgent(mute.fullServerName());
  // The server takes keys only: with the agent passed over, no method is left.
  const auto ssh = run("check", false, {"--timeout", "2"});
  ASSERT_TRUE(ssh.finished) << ssh.err;
  EXPECT_EQ(ssh.exitCode, 3) << ssh.err;
  EXPECT_EQ(ssh.out.rfind("NCP UNKNOWN - ", 0), 0u) << ssh.out;
}

TEST_F(NcpctlSshd, ChangedHostKeyIsRefusedEvenWithAcceptNew) {
  ASSERT_TRUE(scratch.makeKey("otherkey"));
  scratch.writeKnownHost(scratch.sshdPort(), "otherkey");
  const std::string before = scratch.knownHosts();
  const auto ssh = run("tree", true);
  EXPECT_EQ(ssh.exitCode, 7) << ssh.err;
  EXPECT_NE(ssh.err.find("has changed (now " + scratch.fingerprint("hostkey") + ")"), std::string::npos) << ssh.err;
  EXPECT_EQ(scratch.knownHosts(), before);
  expectNoLoginTried();
}

TEST_F(NcpctlSshd, UnknownHostKeyIsRefusedWithoutAcceptNewAndAddedWithIt) {
  const auto refused = run("pathmons");
  EXPECT_EQ(refused.exitCode, 7) << refused.err;
  EXPECT_NE(refused.err.find("is not known (" + scratch.fingerprint("hostkey") + ")"), std::string::npos)
      << refused.err;
  EXPECT_EQ(scratch.knownHosts(), "");
  expectNoLoginTried();

  const auto accepted = run("pathmons", true);
  EXPECT_EQ(accepted.exitCode, 0) << accepted.err;
  EXPECT_EQ(accepted.out, "$PM01\n$PM02\n$XPNT\n");
  EXPECT_NE(scratch.knownHosts().find(scratch.publicKey("hostkey")), std::string::npos);
}
