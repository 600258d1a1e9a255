// A host that echoes passwords like a broken host: the debug transcript of
// the whole road (TACL logon, NCP logon, load, a PATHMON change) never shows
// either password, in any letter case.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "Operator.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"

using korvtest::NskSimProcess;
using ncp::NcpEvent;

namespace {

std::string upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

TEST(Passwords, EchoedPasswordsNeverReachTheDebugTranscript) {
  NskSimProcess sim({"--echo-passwords"});
  ASSERT_TRUE(sim.started());
  reltest::Operator op;
  ASSERT_TRUE(op.fullRoad(sim.hostPort()));
  // A PATHMON change sends the NCP password once more.
  op.session.LogonNCP("$PM02", "NCPOPER", "secret2");
  ASSERT_TRUE(korvtest::waitUntil([&] { return op.count(NcpEvent::NcpLoggedOn) == 2 && op.idle(); }));

  const auto commands = sim.commandsReceived();
  ASSERT_NE(std::find(commands.begin(), commands.end(), "secret1"), commands.end());
  ASSERT_GE(std::count(commands.begin(), commands.end(), "secret2"), 2);
  ASSERT_GT(op.debug.size(), 10u);
  for (const std::string& line : op.debug) {
    EXPECT_EQ(upper(line).find("SECRET1"), std::string::npos) << line;
    EXPECT_EQ(upper(line).find("SECRET2"), std::string::npos) << line;
  }
}

}  // namespace
