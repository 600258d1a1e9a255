// Refusals, the change of PATHMON, control commands and the host's close,
// against the host simulator, checked by events and by what the simulator
// received.
#include <gtest/gtest.h>

#include <algorithm>

#include "Console.h"
#include "ncp/NcpParsing.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"

using korvtest::NskSimProcess;

namespace {

std::vector<std::string> after(const std::vector<std::string>& lines, size_t from) {
  return {lines.begin() + static_cast<long>(std::min(from, lines.size())), lines.end()};
}

class OnTheSimulator : public ::testing::Test {
 protected:
  void loggedOnToNcp() {
    ASSERT_TRUE(sim.started());
    ASSERT_TRUE(console.logonTacl(sim.hostPort(), "OPS.OPER", "secret1"));
    ASSERT_GE(console.pathmons().size(), 2u);
    ASSERT_TRUE(console.logonNcp(console.pathmons().front(), "secret2"));
    ASSERT_FALSE(console.withCode("006").empty());
  }

  NskSimProcess sim;
  Console console;
};

}  // namespace

TEST_F(OnTheSimulator, WrongTaclPasswordIsRefused) {
  ASSERT_TRUE(sim.started());
  ASSERT_TRUE(console.logonTacl(sim.hostPort(), "OPS.OPER", "wrong"));
  EXPECT_EQ(console.events, std::vector<std::string>{"001"});
  EXPECT_FALSE(console.session.Authorized());
  const auto commands = sim.commandsReceived();
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands.back(), "#mysystem");
}

TEST_F(OnTheSimulator, WrongNcpPasswordIsRefusedAndNcpcomIsLeft) {
  ASSERT_TRUE(sim.started());
  ASSERT_TRUE(console.logonTacl(sim.hostPort(), "OPS.OPER", "secret1"));
  const size_t from = console.events.size();
  ASSERT_TRUE(console.logonNcp(console.pathmons().front(), "wrong"));
  EXPECT_EQ(console.codeRuns(from), std::vector<std::string>{"007"});
  const auto commands = sim.commandsReceived();
  ASSERT_GE(commands.size(), 2u);
  EXPECT_EQ(commands[commands.size() - 2], "wrong");
  EXPECT_EQ(commands.back(), "EXIT");

  console.session.StatusAll();
  console.session.StatusLine("LTCP01");
  korvtest::spin(200);
  EXPECT_EQ(sim.commandsReceived().size(), commands.size());

  // The refusal left NCPCOM; a further logon starts from scratch.
  EXPECT_FALSE(console.session.NCPStarted());
  const std::string next = console.pathmons()[1];
  const size_t retry = console.events.size();
  const size_t retrySent = sim.commandsReceived().size();
  ASSERT_TRUE(console.logonNcp(next, "secret2"));
  EXPECT_EQ(console.codeRuns(retry), (std::vector<std::string>{"006", "005", "009", "010", "011"}));
  EXPECT_EQ(after(sim.commandsReceived(), retrySent),
            (std::vector<std::string>{"NCPCOM " + next, "SET USER NCPOPER", "secret2", "STATUS PROCESS *",
                                      "INFO STATION *", "STATUS STATION *", "STATUS LINE *"}));
  // The new PATHMON's objects are loaded and named under it.
  for (const auto& e : console.withCode("005", retry)) EXPECT_NE(e.find(next), std::string::npos) << e;
}

TEST_F(OnTheSimulator, ChangeOfPathmonLeavesNcpcomAndSendsThePasswordRightAfterTheNewStart) {
  loggedOnToNcp();
  const std::string next = console.pathmons()[1];
  const size_t from = console.events.size();
  const size_t sent = sim.commandsReceived().size();
  console.session.LogonNCP(next, "NCPOPER", "secret2");
  ASSERT_GT(console.events.size(), from);
  EXPECT_EQ(console.events[from], "012");
  ASSERT_TRUE(korvtest::waitUntil(
      [&] { return !console.withCode("006", from).empty() || !console.withCode("007", from).empty(); }));
  ASSERT_TRUE(console.waitIdle());
  const auto commands = after(sim.commandsReceived(), sent);
  ASSERT_GE(commands.size(), 3u);
  EXPECT_EQ(commands[0], "EXIT");
  EXPECT_EQ(commands[1], "NCPCOM " + next);
  EXPECT_EQ(commands[2], "secret2") << "no SET USER on a change of PATHMON";

  // The host takes the password of the NCP user set before, so the change
  // logs on without a refusal.
  EXPECT_TRUE(console.withCode("007", from).empty());
  EXPECT_EQ(console.withCode("006", from).size(), 1u);
  EXPECT_TRUE(console.session.NCPAuthorized());
}

TEST_F(OnTheSimulator, StartedLineShowsItsNewStatus) {
  loggedOnToNcp();
  std::string stopped;
  for (const auto& e : console.withCode("011")) {
    if (ncp::objectStatus(e) == nsStopped && ncp::objectName(e)) stopped = *ncp::objectName(e);
  }
  ASSERT_FALSE(stopped.empty()) << "the network has a stopped line";
  const size_t from = console.events.size();
  const size_t sent = sim.commandsReceived().size();
  console.session.StartLine(stopped);
  console.session.StatusLine(stopped);
  ASSERT_TRUE(console.waitEvent("011", from));
  ASSERT_TRUE(console.waitIdle());
  const auto status = console.withCode("011", from);
  ASSERT_EQ(status.size(), 1u);
  EXPECT_EQ(ncp::objectName(status[0]), stopped);
  EXPECT_EQ(ncp::objectStatus(status[0]), nsStarted);
  EXPECT_EQ(after(sim.commandsReceived(), sent),
            (std::vector<std::string>{"START LINE " + stopped, "STATUS LINE " + stopped}));

  // The refresh of everything sees it too, in the order processes, stations, lines.
  const size_t refresh = console.events.size();
  console.session.StatusAll();
  ASSERT_TRUE(console.waitEvent("011", refresh));
  ASSERT_TRUE(console.waitIdle());
  EXPECT_EQ(console.codeRuns(refresh), (std::vector<std::string>{"013", "010", "011"}));
  bool seen = false;
  for (const auto& e : console.withCode("011", refresh)) {
    if (ncp::objectName(e) == stopped) seen = ncp::objectStatus(e) == nsStarted;
  }
  EXPECT_TRUE(seen);
}

TEST_F(OnTheSimulator, DeliverMessagesReachTheHostAsTyped) {
  loggedOnToNcp();
  const auto process = ncp::objectName(console.withCode("005").front());
  ASSERT_TRUE(process.has_value());
  const size_t sent = sim.commandsReceived().size();
  console.session.SignOn(*process);
  console.session.KeyChange(*process);
  console.session.WarmBoot(*process);
  ASSERT_TRUE(console.waitIdle());
  EXPECT_EQ(after(sim.commandsReceived(), sent),
            (std::vector<std::string>{"DELIVER PROCESS " + *process + ", /LOGON ALL/",
                                      "DELIVER PROCESS " + *process + ", \"PIN KEY CHANGE B\"",
                                      "DELIVER PROCESS " + *process + ", /9501****/"}));
}

TEST_F(OnTheSimulator, LogoutEndsWithTheHostClosingTheConnection) {
  loggedOnToNcp();
  const size_t sent = sim.commandsReceived().size();
  const size_t lines = console.ownerLines.size();
  console.session.ExitNCP();
  console.session.Logout();
  ASSERT_TRUE(korvtest::waitUntil([&] { return console.closedByHost; }));
  EXPECT_FALSE(console.session.IsConnected());
  EXPECT_EQ(after(sim.commandsReceived(), sent), (std::vector<std::string>{"EXIT", "LOGOUT"}));
  EXPECT_GT(console.ownerLines.size(), lines) << "the answers went to the owner's line handler";
}
