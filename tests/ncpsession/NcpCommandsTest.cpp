// The NCP listings and control commands against a scripted host: which lines
// become which events, the order of the load and the refresh, the exact
// command lines, and where the answers of unexamined commands go.
#include <gtest/gtest.h>

#include "SessionFixture.h"

using korvtest::waitUntil;

class NcpCommands : public SessionFixture {
 protected:
  void SetUp() override {
    taclLogon();
    ncpLogon();
    events.clear();
    debug.clear();
  }
};

// A PATHMON whose name would change the NCPCOM command is skipped.
TEST_F(NcpCommands, PathmonListingReportsEachPathmonLineThenItsEnd) {
  session.GetPathmon();
  const std::string pm1 = "$PM1     B  100,12   OPS.OPER";
  const std::string pm2 = "$PM02    B";
  EXPECT_EQ(host.answer("Process        Pri PFR %WT Userid\r\n" + pm1 + "\r\n$X       A\r\n$P;LOGOFFB\r\n" + pm2 +
                        "\r\n$DATA.OPS 5> "),
            "STATUS *, PROG $*.*.PATHMON");
  ASSERT_TRUE(waitEvent("008"));
  EXPECT_EQ(events, (std::vector<std::string>{"004" + pm1, "004" + pm2, "008"}));
  EXPECT_TRUE(hasDebug(&session, "EvGetPathmon->" + pm1));
  EXPECT_TRUE(hasDebug(&session,
                       "EvGetPathmon skipped: PATHMON name \"$P;LOGOFF\" holds a blank, comma, quote or "
                       "semicolon, which would change the command"));
}

TEST_F(NcpCommands, LoadRunsTheFourListingsInOrderAndRaisesOneEventPerObject) {
  session.GetNetObjects();
  const std::string p1 = objectLine("P1", "STARTED");
  const std::string odd = "   \\SYS1" + std::string(38, ' ') + "STOPPED";  // name of one part
  const std::string s1 = stationLine("S1", "L1", "P1");
  const std::string s1status = objectLine("S1", "STOPPED");
  const std::string l1 = objectLine("L1", "ABNORMAL");
  EXPECT_EQ(host.answer("STATUS PROCESS\r\n\r\n" + p1 + "\r\n" + odd + "\r\n$PM1 4 > "), "STATUS PROCESS *");
  EXPECT_EQ(host.answer("  Station info\r\n" + s1 + "\r\n" + p1 + "\r\n$PM1 5 > "), "INFO STATION *");
  EXPECT_EQ(host.answer(s1status + "\r\n E not a status line\r\n$PM1 6 > "), "STATUS STATION *");
  EXPECT_EQ(host.answer(l1 + "\r\n$PM1 7 > "), "STATUS LINE *");
  ASSERT_TRUE(waitUntil([&] { return session.State() == atsIdle; }));
  EXPECT_EQ(events, (std::vector<std::string>{"005" + p1, "005" + odd, "009" + s1, "010" + s1status, "011" + l1}));
  EXPECT_EQ(session.NetObjectsStep(), 4u);
  ASSERT_TRUE(host.caughtUp());
  EXPECT_EQ(host.lines().size(), 12u) << "the load ends after STATUS LINE";
}

TEST_F(NcpCommands, RefreshLetsAnOperatorCommandGoBetweenItsSteps) {
  session.StatusAll();
  ASSERT_EQ(host.nextLine(), "STATUS PROCESS *");
  session.StartLine("L1");
  EXPECT_EQ(session.QueueCount(), 1);
  const std::string p1 = objectLine("P1", "STARTED");
  host.send("STATUS PROCESS *\r\n" + p1 + "\r\n$PM1 4 > ");
  EXPECT_EQ(host.answer("$PM1 5 > "), "START LINE L1");
  const std::string s1 = objectLine("S1", "STARTED");
  EXPECT_EQ(host.answer(s1 + "\r\n$PM1 6 > "), "STATUS STATION *");
  const std::string l1 = objectLine("L1", "STARTING");
  EXPECT_EQ(host.answer(l1 + "\r\n$PM1 7 > "), "STATUS LINE *");
  ASSERT_TRUE(waitUntil([&] { return session.State() == atsIdle; }));
  EXPECT_EQ(events, (std::vector<std::string>{"013" + p1, "010" + s1, "011" + l1}));
  ASSERT_FALSE(strings.empty());
  EXPECT_EQ(strings.back().state, atsCommandEnd);
  EXPECT_EQ(strings.back().text, "$PM1 5 > ");
}

TEST_F(NcpCommands, SingleObjectRequestsTraceEveryLineAndRaiseTheirCode) {
  const struct {
    void (TNCPTelnet::*op)(const std::string&);
    const char* command;
    const char* trace;
    const char* code;
  } cases[] = {
      {&TNCPTelnet::StatusLine, "STATUS LINE L1", "EvStatusLine->", "011"},
      {&TNCPTelnet::StatusProcess, "STATUS PROCESS P1", "EvStatusProcess->", "013"},
      {&TNCPTelnet::StatusStation, "STATUS STATION S1", "EvStatusStation->", "010"},
  };
  for (const auto& c : cases) {
    events.clear();
    debug.clear();
    (session.*c.op)(std::string(c.command).substr(std::string(c.command).rfind(' ') + 1));
    const std::string object = objectLine("X1", "STOPPED");
    EXPECT_EQ(host.answer("Header\r\n" + object + "\r\n$PM1 8 > "), c.command);
    ASSERT_TRUE(waitUntil([&] { return session.State() == atsIdle; }));
    EXPECT_EQ(events, std::vector<std::string>{c.code + object});
    EXPECT_TRUE(hasDebug(nullptr, std::string(c.trace) + "Header"));
    EXPECT_TRUE(hasDebug(nullptr, std::string(c.trace) + object));
    EXPECT_TRUE(hasDebug(nullptr, std::string(c.trace) + "$PM1 8 > "));
  }
}

TEST_F(NcpCommands, ControlCommandsSendTheirExactLinesAndHandTheAnswerToTheOwner) {
  session.SignOn("P1");
  session.KeyChange("P1");
  session.WarmBoot("P1");
  session.StartProcess("P1");
  session.StopStation("S1");
  session.ExitNCP();
  const std::vector<std::string> expected{"DELIVER PROCESS P1, /LOGON ALL/",
                                          "DELIVER PROCESS P1, \"PIN KEY CHANGE B\"",
                                          "DELIVER PROCESS P1, /9501****/",
                                          "START PROCESS P1",
                                          "STOP STATION S1",
                                          "EXIT"};
  for (const auto& line : expected) EXPECT_EQ(host.answer("DONE\r\n$PM1 9 > "), line);
  ASSERT_TRUE(waitUntil([&] { return session.State() == atsIdle; }));
  EXPECT_TRUE(events.empty());
  size_t done = 0;
  for (const auto& s : strings) {
    EXPECT_EQ(s.sender, &session);
    if (s.text == "DONE" && s.state == atsCommand) ++done;
  }
  EXPECT_EQ(done, expected.size());
}

TEST_F(NcpCommands, LogoutOutputReachesTheOwnersLineHandler) {
  strings.clear();
  session.Logout();
  EXPECT_EQ(host.answer("Session ended\r\n"), "LOGOUT");
  ASSERT_TRUE(waitUntil([&] { return !strings.empty(); }));
  EXPECT_EQ(strings[0].text, "Session ended");
  EXPECT_EQ(strings[0].state, atsCommand);
  host.closeClient();
  ASSERT_TRUE(waitUntil([&] { return !session.IsConnected(); }));
}
