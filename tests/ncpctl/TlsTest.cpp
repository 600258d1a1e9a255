// ncpctl over telnets:// through the system's stunnel in front of the
// simulator, with certificates the test makes: the whole road over a verified
// certificate, the refusals (exit 7, the certificate's identity, nothing
// forwarded to the host), a pinned certificate, and a CA file without a
// certificate, which is the operator's to mend (exit 1).
#include <gtest/gtest.h>

#include <QTemporaryFile>

#include "CtlRun.h"
#include "support/NskSimProcess.h"
#include "support/TlsLab.h"
#include "transport/SocketErrors.h"

using ctltest::runCtl;
using korvtest::NskSimProcess;
using korvtest::Stunnel;
using korvtest::TlsFiles;
using korvtest::TlsLab;

namespace {

QStringList tlsArgs(const QString& host, const Stunnel& stunnel) {
  return {"--host",          QString("telnets://%1:%2").arg(host).arg(stunnel.port()),
          "--user",          "OPS.OPER",
          "--ncp-user",      "NCPOPER",
          "--password-stdin"};
}

TEST(TlsRoad, TreeOverAVerifiedCertificateIsTheTreeOverTelnetAndNoPasswordShows) {
  TlsLab lab;
  NskSimProcess sim;
  Stunnel stunnel(lab, lab.issue("host"), sim.port());
  const auto plain = runCtl(ctltest::demoArgs(sim) + QStringList{"tree"});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;

  const auto tls = runCtl(tlsArgs("localhost", stunnel) + QStringList{"--ca-file", lab.caFile(), "--debug", "tree"});
  ASSERT_EQ(tls.exitCode, 0) << tls.err;
  EXPECT_EQ(tls.out, plain.out);
  EXPECT_EQ(tls.out.find("secret"), std::string::npos);
  EXPECT_EQ(tls.err.find("secret"), std::string::npos);
  EXPECT_NE(tls.err.find("EvGetPathmon"), std::string::npos) << "the trace covers the logon";
  EXPECT_EQ(tls.err.find("Farewell: the host did not end"), std::string::npos) << "its close_notify ends the stream";
}

TEST(TlsRoad, PinnedSelfSignedCertificateIsAccepted) {
  TlsLab lab;
  NskSimProcess sim;
  const TlsFiles own = lab.selfSigned("own");
  Stunnel stunnel(lab, own, sim.port());
  const auto r = runCtl(tlsArgs("localhost", stunnel) +
                        QStringList{"--pin", QString::fromStdString(lab.pin(own.cert)), "pathmons"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "$PM01\n$PM02\n$XPNT\n");
}

TEST(TlsRoad, NsksimServesTheSameDialogueOverItsOwnTlsPort) {
  TlsLab lab;
  const TlsFiles files = lab.issue("sim");
  NskSimProcess sim({"--tls-cert", files.cert, "--tls-key", files.key});
  ASSERT_NE(sim.tlsPort(), 0);
  const auto plain = runCtl(ctltest::demoArgs(sim) + QStringList{"tree"});
  const auto tls = runCtl({"--host", QString("telnets://localhost:%1").arg(sim.tlsPort()), "--user", "OPS.OPER",
                           "--ncp-user", "NCPOPER", "--password-stdin", "--ca-file", lab.caFile(), "tree"});
  ASSERT_EQ(tls.exitCode, 0) << tls.err;
  EXPECT_EQ(tls.out, plain.out);
}

TEST(TlsRoad, AHostThatDoesNotSpeakTlsIsAHandshakeFailureNotAVerificationOne) {
  NskSimProcess sim;
  const auto r = runCtl({"--host", QString("telnets://127.0.0.1:%1").arg(sim.port()), "--user", "OPS.OPER",
                         "--password-stdin", "pathmons"});
  EXPECT_EQ(r.exitCode, 2) << r.err;
  EXPECT_NE(r.err.find(WSocketErrorDesc(socketerrors::kTlsHandshakeFailed)), std::string::npos) << r.err;
}

TEST(TlsRoad, CaFileWithoutACertificateIsAUsageError) {
  QTemporaryFile empty;
  ASSERT_TRUE(empty.open());
  const auto r = runCtl({"--host", "telnets://127.0.0.1:1", "--user", "U", "--password-stdin", "--ca-file",
                         empty.fileName(), "pathmons"});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_EQ(r.err,
            "ncpctl: the CA file " + empty.fileName().toStdString() + " holds no certificate that can be read\n");
}

struct RefusalRow {
  const char* label;
  const char* host;  // as typed after telnets://
  bool expired;      // the CA's certificate expired yesterday
  bool selfSigned;   // stunnel serves a self-signed one instead
  bool pinAnother;   // --pin names another certificate
  int code;
};

void PrintTo(const RefusalRow& row, std::ostream* os) { *os << row.label; }

class TlsRefusal : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(TlsRefusal, ExitsSevenWithTheCertificateAndForwardsNothing) {
  const RefusalRow& row = GetParam();
  TlsLab lab;
  NskSimProcess sim;
  const TlsFiles served = row.selfSigned ? lab.selfSigned("served") : lab.issue("served", row.expired ? -1 : 30);
  Stunnel stunnel(lab, served, sim.port());
  QStringList args = tlsArgs(row.host, stunnel) + QStringList{"--ca-file", lab.caFile()};
  if (row.pinAnother) args << "--pin" << QString::fromStdString(lab.pin(lab.issue("trusted").cert));

  const auto r = runCtl(args + QStringList{"tree"});
  EXPECT_EQ(r.exitCode, 7) << r.err;
  EXPECT_NE(r.err.find(WSocketErrorDesc(row.code) + "; nothing was sent"), std::string::npos) << r.err;
  const std::string pin = lab.pin(served.cert);
  EXPECT_NE(r.err.find("certificate " + pin), std::string::npos) << r.err;
  // A changed certificate is never offered to be trusted instead.
  EXPECT_EQ(r.err.find("to trust it: --pin " + pin) != std::string::npos, !row.pinAnother) << r.err;
  EXPECT_TRUE(r.out.empty());
  EXPECT_TRUE(stunnel.forwardedNothing());
  EXPECT_TRUE(sim.transcript().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TlsRefusal,
    ::testing::Values(RefusalRow{"WrongHostName", "127.0.0.1", false, false, false, socketerrors::kTlsWrongHost},
                      RefusalRow{"Expired", "localhost", true, false, false, socketerrors::kTlsExpired},
                      RefusalRow{"SelfSignedNotTrusted", "localhost", false, true, false, socketerrors::kTlsUntrusted},
                      RefusalRow{"PinnedCertificateChanged", "localhost", false, false, true,
                                 socketerrors::kTlsCertificateChanged}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
