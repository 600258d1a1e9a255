// Passwords are read as UTF-8, as a terminal or a pipe sends them, and go to
// the host in Latin-1, as the user names do; one Latin-1 cannot hold is
// refused before anything is sent.
#include <gtest/gtest.h>

#include "CtlRun.h"
#include "support/NskSimProcess.h"

TEST(NcpctlPasswordText, GoesToTheHostInLatin1OrIsRefused) {
  korvtest::NskSimProcess sim({"--tacl-password", "Tacl-" + QString(QChar(0xFF)) + "-pw"});
  ASSERT_TRUE(sim.started());
  const auto latin1 = ctltest::runCtl(ctltest::demoArgs(sim) << "pathmons", "Tacl-\xC3\xBF-pw\nsecret2\n");
  EXPECT_EQ(latin1.exitCode, 0) << latin1.err;
  const size_t sent = sim.transcript().size();

  const auto euro = ctltest::runCtl(ctltest::demoArgs(sim) << "pathmons", "Tacl-\xE2\x82\xAC-pw\nsecret2\n");
  EXPECT_EQ(euro.exitCode, 1);
  EXPECT_EQ(euro.err, "ncpctl: the TACL password holds a character outside Latin-1\n");
  EXPECT_EQ(sim.transcript().size(), sent);
}
