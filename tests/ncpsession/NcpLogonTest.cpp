// The NCP logon against a scripted host: NCPCOM start, SET USER, the
// password's column 31, refusal, the start that skips SET USER, and the
// change of PATHMON.
#include <gtest/gtest.h>

#include "SessionFixture.h"

using NcpLogon = SessionFixture;

TEST_F(NcpLogon, AcceptedLogonSetsUserSendsPasswordAndReportsLoggedOn) {
  taclLogon();
  events.clear();
  session.LogonNCP("$PM1", "NCPOPER", "secret2");
  EXPECT_EQ(host.answer("NCPCOM - T9153\r\n$PM1 2 > "), "NCPCOM $PM1");
  EXPECT_EQ(host.answer("PASSWORD:"), "SET USER NCPOPER");
  ASSERT_TRUE(host.caughtUp());
  EXPECT_EQ(host.lines().size(), 7u) << "only the exact prompt \"PASSWORD: \" ends SET USER";
  host.send(" \r\nPASSWORD: ");
  EXPECT_EQ(host.nextLine(), "secret2");
  host.send("secret2\r\n" + passwordAnswer('0') + std::string(30, '-') + "1\r\n\r\n$PM1 3 > ");
  ASSERT_TRUE(waitEvent("006$PM1 3 > "));
  EXPECT_EQ(events, std::vector<std::string>{"006$PM1 3 > "});
  EXPECT_TRUE(session.NCPStarted());
  EXPECT_TRUE(session.NCPAuthorized());
  EXPECT_EQ(session.NCPLogonStep(), 3);
  EXPECT_TRUE(hasDebug(&session, "EvNCPLogin->$PM1 2 > "));
  for (const auto& d : debug) EXPECT_EQ(d.text.find("secret2"), std::string::npos) << d.text;
}

TEST_F(NcpLogon, RefusedPasswordReportsRefusalLeavesNcpcomAndBlocksStatus) {
  taclLogon();
  events.clear();
  session.LogonNCP("$PM1", "NCPOPER", "wrong");
  host.answer("$PM1 2 > ");
  host.answer("PASSWORD: ");
  // An earlier line says authorized; the last non-empty one decides.
  EXPECT_EQ(host.answer(passwordAnswer('1') + "INVALID USER OR PASSWORD\r\n\r\n$PM1 3 > "), "wrong");
  ASSERT_TRUE(waitEvent("007$PM1 3 > "));
  EXPECT_EQ(host.answer("$DATA.OPS 4> "), "EXIT");
  EXPECT_FALSE(session.NCPStarted());
  EXPECT_FALSE(session.NCPAuthorized());

  session.StatusAll();
  session.StatusLine("L1");
  session.StatusProcess("P1");
  session.StatusStation("S1");
  ASSERT_TRUE(host.caughtUp());
  EXPECT_EQ(host.lines().size(), 9u) << "no status request goes out without an NCP logon";
  EXPECT_EQ(session.QueueCount(), 0);
  EXPECT_EQ(events, std::vector<std::string>{"007$PM1 3 > "});
}

TEST_F(NcpLogon, ShortPasswordAnswerLineIsARefusal) {
  taclLogon();
  events.clear();
  session.LogonNCP("$PM1", "NCPOPER", "secret2");
  host.answer("$PM1 2 > ");
  host.answer("PASSWORD: ");
  host.answer(std::string(29, ' ') + "1\r\n$PM1 3 > ");
  ASSERT_TRUE(waitEvent("007$PM1 3 > "));
}

TEST_F(NcpLogon, StartOutputWithTheNcpPromptGoesStraightToThePassword) {
  taclLogon();
  session.LogonNCP("$PM1", "NCPOPER", "secret2");
  host.answer("NCPCOM 2 > user already set\r\n$PM1 2 > ");
  EXPECT_EQ(host.nextLine(), "secret2");
  EXPECT_FALSE(session.NCPStarted()) << "SET USER was never sent";
}

TEST_F(NcpLogon, StartEndingWithoutTheNcpPromptGoesNoFurther) {
  taclLogon();
  events.clear();
  session.LogonNCP("$NOPE", "NCPOPER", "secret2");
  EXPECT_EQ(host.answer("ERROR: no such PATHMON\r\n$DATA.OPS 4> "), "NCPCOM $NOPE");
  ASSERT_TRUE(host.caughtUp());
  EXPECT_EQ(host.lines().size(), 6u);
  EXPECT_EQ(session.State(), atsIdle);
  EXPECT_TRUE(events.empty());
}

TEST_F(NcpLogon, ChangeOfPathmonLeavesNcpcomAndSendsThePasswordRightAfterTheStart) {
  taclLogon();
  ncpLogon();
  events.clear();
  session.LogonNCP("$PM2", "NCPOPER", "secret3");
  EXPECT_EQ(events, std::vector<std::string>{"012"});
  EXPECT_FALSE(session.NCPAuthorized());
  EXPECT_EQ(host.answer("$DATA.OPS 4> "), "EXIT");
  EXPECT_EQ(host.answer("$PM2 2 > "), "NCPCOM $PM2");
  EXPECT_EQ(host.answer(passwordAnswer('1') + "$PM2 3 > "), "secret3");
  ASSERT_TRUE(waitEvent("006$PM2 3 > "));
  EXPECT_TRUE(session.NCPAuthorized());
  EXPECT_TRUE(session.NCPStarted());
}

TEST_F(NcpLogon, LogonBeforeTheTaclLogonIsConfirmedCountsAsAChange) {
  connectSession();
  session.LogonNCP("$PM1", "NCPOPER", "secret2");
  EXPECT_EQ(events, std::vector<std::string>{"012"});
  EXPECT_EQ(session.NCPLogonStep(), 1);
}

TEST_F(NcpLogon, UnsafeArgumentsAreRefusedBeforeAnyEventOrCommand) {
  taclLogon();
  ncpLogon();
  events.clear();
  const size_t sent = host.lines().size();
  EXPECT_THROW(session.LogonNCP("$PM2\r\nSTOP LINE L1", "NCPOPER", "pw"), EUnsafeCommandText);
  EXPECT_THROW(session.LogonNCP("$PM2", "NCP\tOPER", "pw"), EUnsafeCommandText);
  EXPECT_THROW(session.LogonNCP("$PM2", "NCPOPER", "pw\n"), EUnsafeCommandText);
  EXPECT_THROW(session.LogonNCP("$PM2", "", "pw"), EUnsafeCommandText);
  // Names a host may list (quoted, or with separators) that would move or
  // end the command's argument.
  for (const char* name : {"L1\r\nSTOP LINE L2", "A B", "X,Y", "A'B", "A\"B", "A;B", ""}) {
    for (auto op :
         {&TNCPTelnet::StatusLine, &TNCPTelnet::StatusProcess, &TNCPTelnet::StatusStation, &TNCPTelnet::StartLine,
          &TNCPTelnet::StartProcess, &TNCPTelnet::StartStation, &TNCPTelnet::StopLine, &TNCPTelnet::StopProcess,
          &TNCPTelnet::StopStation, &TNCPTelnet::SignOn, &TNCPTelnet::KeyChange, &TNCPTelnet::WarmBoot}) {
      EXPECT_THROW((session.*op)(name), EUnsafeCommandText) << name;
    }
  }
  ASSERT_TRUE(host.caughtUp());
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(host.lines().size(), sent);
  EXPECT_EQ(session.QueueCount(), 0);
  EXPECT_EQ(session.State(), atsIdle);
  EXPECT_TRUE(session.NCPStarted());
  EXPECT_TRUE(session.NCPAuthorized());
  EXPECT_EQ(session.NCPPassword, "secret2");
}
