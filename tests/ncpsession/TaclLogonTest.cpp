// The TACL logon against a scripted host: the exact dialogue, its prompts,
// the outcome events and the start of a new connection.
#include <gtest/gtest.h>

#include "SessionFixture.h"

using korvtest::waitUntil;

using TaclLogon = SessionFixture;

TEST_F(TaclLogon, BannerIsDiscardedAndTheWholeDialogueRunsToLoggedOn) {
  connectSession();
  EXPECT_TRUE(hasDebug(&session, "Connected: 0"));
  EXPECT_EQ(session.Host, "127.0.0.1");
  EXPECT_EQ(session.Port, std::to_string(host.port()));

  host.send("NonStop banner 1> \r\nmore banner\r\n");
  ASSERT_TRUE(host.caughtUp());
  EXPECT_TRUE(host.lines().empty()) << "nothing is sent before the service menu";
  host.send("1. TACL\r\n2. Other\r\nEnter Choice> ");
  EXPECT_EQ(host.answer("TACL 1> "), "TACL");
  EXPECT_EQ(host.answer("Password: "), "logon OPS.OPER");
  EXPECT_EQ(host.answer("\r\nLast logon: today\r\n1> "), "secret1");
  EXPECT_EQ(host.answer("$DATA.OPS 2> "), "SETPROMPT SUBVOL");
  EXPECT_EQ(host.answer("\\ABCDEFGH\r\n$DATA.OPS 3> "), "#mysystem");
  ASSERT_TRUE(waitEvent("002"));

  const std::vector<std::string> expected{"003\\ABCDEFGH", "002"};
  EXPECT_EQ(events, expected);
  EXPECT_EQ(events[0].size(), 12u);
  EXPECT_TRUE(session.Authorized());
  EXPECT_EQ(session.TACLLogonStepCount(), 5);
  ASSERT_EQ(connects.size(), 1u);
  EXPECT_EQ(connects[0], &session);
  EXPECT_TRUE(hasDebug(&session, "Connected"));
  EXPECT_EQ(session.State(), atsIdle);
  for (const auto& d : debug) EXPECT_EQ(d.text.find("secret1"), std::string::npos) << d.text;
}

TEST_F(TaclLogon, MenuPromptCutAcrossTwoChunksStillStartsTheDialogue) {
  connectSession();
  host.send("Enter Cho");
  ASSERT_TRUE(host.caughtUp());
  EXPECT_TRUE(host.lines().empty());
  host.send("ice> ");
  EXPECT_EQ(host.nextLine(), "TACL");
}

TEST_F(TaclLogon, OnlyTheExactTaclPromptEndsTheFirstStep) {
  connectSession();
  host.send("Enter Choice> ");
  ASSERT_EQ(host.answer("TACL 2> "), "TACL");
  ASSERT_TRUE(host.caughtUp());
  EXPECT_EQ(host.lines().size(), 1u) << "a prompt one character off does not end the step";
  host.send("\r\nTACL 1>  ");
  ASSERT_TRUE(host.caughtUp());
  EXPECT_EQ(host.lines().size(), 1u) << "further text on the prompt's line does not end it";
  host.send("\r\ntacl 1> ");
  ASSERT_TRUE(host.caughtUp());
  EXPECT_EQ(host.lines().size(), 1u);
  host.send("\r\nTACL 1> ");
  EXPECT_EQ(host.nextLine(), "logon OPS.OPER");
}

TEST_F(TaclLogon, RefusedPasswordEndsWithRefusalAndStillReportsTheConnect) {
  connectSession();
  host.send("Enter Choice> ");
  host.answer("TACL 1> ");
  host.answer("Password: ");
  host.answer("\r\n*ERROR* Invalid user name or password\r\nTACL 1> ");
  host.answer("TACL 2> ");
  EXPECT_EQ(host.answer("*ERROR* not logged on\r\nTACL 3> "), "#mysystem");
  ASSERT_TRUE(waitEvent("001"));
  EXPECT_EQ(events, std::vector<std::string>{"001"});
  EXPECT_FALSE(session.Authorized());
  EXPECT_EQ(connects.size(), 1u);
}

TEST_F(TaclLogon, UnassignedStateEventStillRunsToTheEndWithDebugAndConnect) {
  session.OnNCPState = nullptr;
  connectSession();
  host.send("Enter Choice> ");
  host.answer("TACL 1> ");
  host.answer("Password: ");
  host.answer("\r\n1> ");
  host.answer("2> ");
  host.answer("\\SYS1\r\n3> ");
  ASSERT_TRUE(waitUntil([&] { return connects.size() == 1; }));
  EXPECT_TRUE(hasDebug(&session, "Connected"));
  EXPECT_TRUE(session.Authorized());
  EXPECT_TRUE(events.empty());
}

// The host field as typed: its host and port, or a refusal before anything is
// opened. A port outside 1..65535 would otherwise wrap to another port.
struct HostFieldRow {
  std::string field;
  std::string host, port;  // empty host: refused
  TransportKind transport = TransportKind::Telnet;
};

void PrintTo(const HostFieldRow& row, std::ostream* os) { *os << row.field; }

class HostField : public SessionFixture, public ::testing::WithParamInterface<HostFieldRow> {};

TEST_P(HostField, SplitsIntoHostAndPortOrIsRefused) {
  const HostFieldRow& row = GetParam();
  if (row.host.empty()) {
    EXPECT_THROW(session.Logon(row.field, "U", "P"), EUnsafeCommandText);
    EXPECT_FALSE(session.IsConnected());
    return;
  }
  try {
    session.Logon(row.field, "U", "P");
  } catch (const ESocketException&) {
  }
  session.Disconnect();
  EXPECT_EQ(session.Host, row.host);
  EXPECT_EQ(session.Port, row.port);
  EXPECT_EQ(session.Transport, row.transport);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, HostField,
    ::testing::Values(HostFieldRow{"localhost", "localhost", "23"}, HostFieldRow{"localhost:23", "localhost", "23"},
                      HostFieldRow{"127.0.0.1:2323", "127.0.0.1", "2323"}, HostFieldRow{"[::1]:2323", "::1", "2323"},
                      HostFieldRow{"[::1]", "::1", "23"}, HostFieldRow{"::1", "::1", "23"},
                      HostFieldRow{"localhost:1", "localhost", "1"},
                      HostFieldRow{"localhost:65535", "localhost", "65535"}, HostFieldRow{"localhost:0", "", ""},
                      HostFieldRow{"localhost:65536", "", ""}, HostFieldRow{"localhost:88858", "", ""},
                      HostFieldRow{"localhost:4294967319", "", ""}, HostFieldRow{"localhost:", "", ""},
                      HostFieldRow{"localhost:telnet", "", ""}, HostFieldRow{"localhost:23x", "", ""},
                      HostFieldRow{"localhost:-23", "", ""}, HostFieldRow{"[::1]:0", "", ""},
                      HostFieldRow{"[::1]:65536", "", ""}, HostFieldRow{"[::1]:", "", ""},
                      HostFieldRow{"[::1]x", "", ""}, HostFieldRow{"[::1", "", ""},
                      HostFieldRow{"telnet://localhost", "localhost", "23"},
                      HostFieldRow{"TELNETS://[::1]", "::1", "992", TransportKind::TelnetTls},
                      HostFieldRow{"ssh://localhost", "localhost", "22", TransportKind::Ssh},
                      HostFieldRow{"ssh://localhost:2222", "localhost", "2222", TransportKind::Ssh},
                      HostFieldRow{"http://localhost", "", ""}, HostFieldRow{"ssh://localhost:0", "", ""}));

TEST_F(TaclLogon, SecondLogonOnAnOpenConnectionReconnectsAndStartsClean) {
  taclLogon();
  // A command whose end never comes would hold the next logon back.
  session.GetPathmon();
  ASSERT_EQ(host.nextLine(), "STATUS *, PROG $*.*.PATHMON");
  ASSERT_EQ(session.State(), atsCommand);
  events.clear();
  debug.clear();

  session.Logon(host.hostPort(), "OPS.OPER", "secret1");
  EXPECT_TRUE(hasDebug(&session, "Connected: 1"));
  EXPECT_EQ(session.State(), atsIdle);
  EXPECT_EQ(session.QueueCount(), 0);
  EXPECT_FALSE(session.Authorized());
  ASSERT_TRUE(waitUntil([&] { return host.connectionCount() == 2 && host.clientConnected(); }));
  host.send("Enter Choice> ");
  EXPECT_EQ(host.answer("TACL 1> "), "TACL");
  host.answer("Password: ");
  host.answer("\r\n1> ");
  host.answer("2> ");
  host.answer("\\SYS2\r\n3> ");
  ASSERT_TRUE(waitEvent("002"));
  EXPECT_EQ(events, (std::vector<std::string>{"003\\SYS2", "002"}));
}

TEST_F(TaclLogon, OwnersDataHandlerComesBackAfterTheHostClosedTheSession) {
  int probes = 0;
  session.OnDataAvailable = [&](TTnCnx*, const char* buffer, int len) {
    if (std::string(buffer, static_cast<size_t>(len)) == "probe") ++probes;
  };
  session.Disconnect();  // before any logon: the owner's handler stays
  ASSERT_TRUE(session.OnDataAvailable);
  taclLogon();
  host.closeClient();
  ASSERT_TRUE(waitUntil([&] { return !session.IsConnected(); }));
  connectSession();  // the session's own handler is still installed here
  session.Disconnect();
  ASSERT_TRUE(session.OnDataAvailable);
  session.OnDataAvailable(&session, "probe", 5);
  EXPECT_EQ(probes, 1) << "the owner's handler, not the session's, is back";
}

TEST_F(TaclLogon, UnsafeTextIsRefusedBeforeAnythingIsClosedOrSent) {
  EXPECT_THROW(session.Logon(host.hostPort(), "OPS.OPER\r\nSTOP", "x"), EUnsafeCommandText);
  EXPECT_THROW(session.Logon(host.hostPort() + "\n", "OPS.OPER", "x"), EUnsafeCommandText);
  EXPECT_THROW(session.Logon(host.hostPort(), "", "x"), EUnsafeCommandText);
  // The port plus 65536 must not wrap round to the host's port.
  EXPECT_THROW(session.Logon("127.0.0.1:" + std::to_string(host.port() + 65536), "OPS.OPER", "x"), EUnsafeCommandText);

  taclLogon();
  // Connections are accepted in the order they were opened: one a refused
  // logon had opened would be counted before this one.
  EXPECT_EQ(host.connectionCount(), 1);
  const size_t sent = host.lines().size();
  debug.clear();
  EXPECT_THROW(session.Logon(host.hostPort(), "OPS.OPER", "pw\x7f"), EUnsafeCommandText);
  EXPECT_THROW(session.Logon(host.hostPort(), "OPS.OPER", std::string("pw\0x", 4)), EUnsafeCommandText);
  ASSERT_TRUE(host.caughtUp());
  EXPECT_TRUE(session.IsConnected());
  EXPECT_TRUE(session.Authorized());
  EXPECT_EQ(host.connectionCount(), 1);
  EXPECT_EQ(host.lines().size(), sent);
  EXPECT_TRUE(debug.empty());
}
