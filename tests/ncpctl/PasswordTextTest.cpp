// Passwords are read as UTF-8, as a terminal or a pipe sends them, and go to
// the host in Latin-1, as the user names do; a password Latin-1 cannot hold
// is refused before anything is sent.
#include <gtest/gtest.h>

#include "CtlRun.h"
#include "support/NskSimProcess.h"

using ctltest::runCtl;
using korvtest::NskSimProcess;

TEST(NcpctlPasswordText, LetterTypedInUtf8GoesToTheHostAsItsLatin1Byte) {
  NskSimProcess sim({"--tacl-password", "Tacl-" + QString(QChar(0xFF)) + "-pw"});
  ASSERT_TRUE(sim.started());
  const auto r = runCtl(ctltest::demoArgs(sim) << "pathmons", "Tacl-\xC3\xBF-pw\nsecret2\n");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "$PM01\n$PM02\n$XPNT\n");
}

TEST(NcpctlPasswordText, CharacterOutsideLatin1IsRefusedBeforeAnythingIsSent) {
  NskSimProcess sim;
  ASSERT_TRUE(sim.started());
  const auto r = runCtl(ctltest::demoArgs(sim) << "pathmons", "Tacl-\xE2\x82\xAC-pw\nsecret2\n");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "ncpctl: the TACL password holds a character outside Latin-1\n");
  EXPECT_TRUE(sim.transcript().empty());
}
