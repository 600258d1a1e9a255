// A local file ncpctl cannot use is the operator's to mend, not the host's
// fault: exit 1 with a sentence that names the file, never "cannot connect".
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "CtlRun.h"
#include "SshScratch.h"
#include "support/NskSimProcess.h"

using ctltest::runCtl;

namespace {

void writeFile(const QString& path, const QByteArray& text) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
}

}  // namespace

TEST(NcpctlLocalFile, ThatCannotBeUsedIsAUsageErrorNamingTheFile) {
  ctltest::SshScratch scratch;
  ASSERT_TRUE(scratch.makeKey("hostkey"));
  korvtest::NskSimProcess sim({"--ssh-host-key", scratch.path("hostkey")});
  ASSERT_TRUE(sim.started());
  writeFile(scratch.path("empty.pem"), "");
  writeFile(scratch.path("garbage.pem"), "-----BEGIN CERTIFICATE-----\nnot base64\n-----END CERTIFICATE-----\n");
  ASSERT_TRUE(QDir().mkpath(scratch.path("folder.pem")));
  // Not even root can make a file under a plain file.
  writeFile(scratch.path("plain"), "");
  const QString knownHosts = scratch.path("plain/known_hosts");

  const QString tls = "telnets://127.0.0.1:1";
  const std::vector<std::pair<QStringList, QString>> rows = {
      {{"--host", tls, "--ca-file", scratch.path("empty.pem")}, "the CA file " + scratch.path("empty.pem")},
      {{"--host", tls, "--ca-file", scratch.path("garbage.pem")}, "the CA file " + scratch.path("garbage.pem")},
      {{"--host", tls, "--ca-file", scratch.path("folder.pem")}, "the CA file " + scratch.path("folder.pem")},
      {{"--host", QString::fromStdString(sim.sshHost()), "--known-hosts", knownHosts, "--accept-new-host-key"},
       "the known-hosts file " + knownHosts + " cannot be read or written"}};
  for (const auto& [args, sentence] : rows) {
    const auto r = runCtl(args + QStringList{"--user", "OPS.OPER", "--password-stdin", "pathmons"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.err.rfind("ncpctl: " + sentence.toStdString(), 0), 0u) << r.err;
  }
}
