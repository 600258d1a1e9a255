// The host dialogue of the simulator end to end over a real socket: telnet
// negotiation, service menu, TACL logon, system name, PATHMON listing, NCPCOM
// and the NCP logon, with right and wrong credentials.
#include <gtest/gtest.h>

#include <algorithm>

#include "SimDialogue.h"
#include "support/NskSimProcess.h"

using namespace simtest;

namespace {

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

TEST(NskSimDialogue, NegotiatesLikeAHostThenSendsBannerAndMenuTogether) {
  korvtest::NskSimProcess sim;
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  const std::string menu = client.readUntil(kMenuPrompt);
  ASSERT_FALSE(menu.empty());
  const std::string& raw = client.raw();
  // The host's requests in order: DO TERMINAL-TYPE first, then SEND, then the rest.
  EXPECT_EQ(raw.compare(0, 3, "\xff\xfd\x18"), 0);
  const size_t send = raw.find(std::string("\xff\xfa\x18\x01\xff\xf0", 6));
  const size_t rest = raw.find("\xff\xfb\x01\xff\xfb\x03\xff\xfd\x1f");
  ASSERT_NE(send, std::string::npos);
  ASSERT_NE(rest, std::string::npos);
  EXPECT_LT(send, rest);
  // Nothing after the menu prompt: the host waits for a choice.
  EXPECT_TRUE(endsWith(raw, kMenuPrompt));
  EXPECT_TRUE(client.readFor(200).empty());

  const std::vector<std::string> neg = sim.transcript();
  const std::vector<std::string> expected = {"NEG WILL 24", "SB 24 00 56 54 31 30 30", "NEG DO 1", "NEG DO 3",
                                             "NEG WONT 31"};
  EXPECT_EQ(neg, expected);
}

TEST(NskSimDialogue, BannerAndMenuArriveInOneRead) {
  korvtest::NskSimProcess sim;
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  ASSERT_FALSE(client.readUntil(kMenuPrompt).empty());
  // The reply to the last negotiation answer is the banner with the menu: the
  // console looks for the menu prompt within one received chunk.
  const size_t lastCommand = client.raw().rfind("\xff\xfd\x1f");
  const std::string text = client.raw().substr(lastCommand + 3);
  EXPECT_NE(text.find("Enter Choice> "), std::string::npos);
  EXPECT_EQ(text.find('\xff'), std::string::npos);
}

TEST(NskSimDialogue, WholeRoadWithTheRightPasswords) {
  korvtest::NskSimProcess sim;
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  ASSERT_FALSE(client.readUntil(kMenuPrompt).empty());

  // Each answer starts with the echo of the line and its CR LF.
  client.sendLine("TACL");
  EXPECT_EQ(client.readUntil("> "), "TACL\r\nTACL 1> ");
  client.sendLine("logon " + kTaclUser);
  EXPECT_EQ(client.readUntil(": "), "logon " + kTaclUser + "\r\nPassword: ");

  const std::string logon = tacl(client, kTaclPassword);
  EXPECT_EQ(logon.find(kTaclPassword), std::string::npos) << "password echoed";
  EXPECT_EQ(logon.find("*ERROR*"), std::string::npos);
  EXPECT_TRUE(endsWith(logon, "> "));
  EXPECT_TRUE(client.readFor(100).empty());

  const std::string subvol = tacl(client, "SETPROMPT SUBVOL");
  ASSERT_EQ(subvol.rfind("SETPROMPT SUBVOL\r\n", 0), 0u);
  const std::string subvolPrompt = lines(subvol).back();
  EXPECT_TRUE(endsWith(subvolPrompt, "> "));
  EXPECT_NE(subvolPrompt[subvolPrompt.size() - 3], ' ');

  const std::vector<std::string> system = lines(tacl(client, "#mysystem"));
  ASSERT_EQ(system.size(), 3u);
  EXPECT_EQ(system[0], "#mysystem");
  EXPECT_EQ(system[1], "\\KORVDEMO");
  EXPECT_EQ(system[2], subvolPrompt);

  const std::vector<std::string> pathmons = lines(tacl(client, "STATUS *, PROG $*.*.PATHMON"));
  std::vector<std::string> names;
  for (const std::string& line : pathmons) {
    if (col(line, 10, 10) == "B") names.push_back(col(line, 1, 9));
  }
  const std::vector<std::string> expectedNames = {pad("$PM01", 9), pad("$PM02", 9), pad("$XPNT", 9)};
  EXPECT_EQ(names, expectedNames);
  EXPECT_EQ(pathmons.back(), subvolPrompt);

  client.sendLine("NCPCOM $PM01");
  const std::vector<std::string> start = lines(client.readUntil(" > "));
  const std::string ncpPrompt = start.back();
  EXPECT_NE(ncpPrompt.find("2 >"), std::string::npos);
  EXPECT_TRUE(endsWith(ncpPrompt, "> "));
  for (size_t i = 0; i + 1 < start.size(); ++i) EXPECT_EQ(start[i].find("2 >"), std::string::npos) << start[i];
  EXPECT_TRUE(client.readFor(100).empty());

  client.sendLine("SET USER " + kNcpUser);
  EXPECT_EQ(client.readUntil(": "), "SET USER " + kNcpUser + "\r\nPASSWORD: ");
  EXPECT_TRUE(client.readFor(100).empty());

  const std::string ncpAnswer = ncp(client, kNcpPassword);
  EXPECT_EQ(ncpAnswer.find(kNcpPassword), std::string::npos) << "password echoed";
  std::vector<std::string> answer = lines(ncpAnswer);
  EXPECT_EQ(answer.back(), ncpPrompt);
  answer.pop_back();
  while (!answer.empty() && answer.back().empty()) answer.pop_back();
  ASSERT_FALSE(answer.empty());
  EXPECT_EQ(col(answer.back(), 31, 31), "1") << answer.back();

  EXPECT_EQ(lines(tacl(client, "EXIT")).back(), subvolPrompt);
  client.sendLine("LOGOUT");
  EXPECT_TRUE(client.waitClosed());

  const std::vector<std::string> expectedCommands = {"TACL",         "logon " + kTaclUser,
                                                     kTaclPassword,  "SETPROMPT SUBVOL",
                                                     "#mysystem",    "STATUS *, PROG $*.*.PATHMON",
                                                     "NCPCOM $PM01", "SET USER " + kNcpUser,
                                                     kNcpPassword,   "EXIT",
                                                     "LOGOUT"};
  EXPECT_EQ(sim.commandsReceived(), expectedCommands);
}

TEST(NskSimDialogue, WrongTaclUserOrPasswordLeavesTheConnectionLoggedOff) {
  korvtest::NskSimProcess sim;
  ASSERT_TRUE(sim.started());
  const std::pair<std::string, std::string> attempts[] = {
      {kTaclUser, "wrong"}, {"SUPER.SUPER", kTaclPassword}, {kTaclUser, "SECRET1"}};
  for (const auto& [user, password] : attempts) {
    SCOPED_TRACE(user + " / " + password);
    RawTelnetClient client(sim.port());
    ASSERT_FALSE(client.readUntil(kMenuPrompt).empty());
    client.sendLine("TACL");
    ASSERT_FALSE(client.readUntil("TACL 1> ").empty());
    client.sendLine("logon " + user);
    ASSERT_FALSE(client.readUntil("Password: ").empty());
    const std::string refused = tacl(client, password);
    EXPECT_NE(refused.find("*ERROR*"), std::string::npos);
    EXPECT_TRUE(endsWith(refused, "> "));
    EXPECT_FALSE(tacl(client, "SETPROMPT SUBVOL").empty());
    // No system line: the console counts the logon as refused.
    for (const std::string& line : lines(tacl(client, "#mysystem"))) EXPECT_NE(col(line, 1, 1), "\\") << line;
    EXPECT_EQ(lines(tacl(client, "NCPCOM $PM01")).back().find("2 >"), std::string::npos);
  }
}

TEST(NskSimDialogue, WrongNcpPasswordIsRefusedAndObjectsStayHidden) {
  korvtest::NskSimProcess sim;
  ASSERT_TRUE(sim.started());
  for (const std::string& user : {kNcpUser, std::string("OTHER")}) {
    RawTelnetClient client(sim.port());
    ASSERT_TRUE(taclLogon(client));
    ASSERT_FALSE(ncp(client, "NCPCOM $PM01").empty());
    client.sendLine("SET USER " + user);
    ASSERT_FALSE(client.readUntil("PASSWORD: ").empty());
    std::vector<std::string> answer = lines(ncp(client, user == kNcpUser ? "wrong" : kNcpPassword));
    answer.pop_back();
    while (!answer.empty() && answer.back().empty()) answer.pop_back();
    ASSERT_FALSE(answer.empty());
    EXPECT_NE(col(answer.back(), 31, 31), "1") << answer.back();
    EXPECT_TRUE(objectLines(ncp(client, "STATUS PROCESS *")).empty());
    EXPECT_TRUE(objectLines(ncp(client, "STATUS LINE LTCP01")).empty());
  }
}

TEST(NskSimDialogue, NcpcomRestartedAfterSetUserTakesThatUsersPassword) {
  korvtest::NskSimProcess sim;
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  ASSERT_TRUE(ncpLogon(client));
  tacl(client, "EXIT");
  const std::string restart = ncp(client, "NCPCOM $PM02");
  EXPECT_NE(restart.find("2 >"), std::string::npos);
  std::vector<std::string> answer = lines(ncp(client, kNcpPassword));
  answer.pop_back();
  while (!answer.empty() && answer.back().empty()) answer.pop_back();
  ASSERT_FALSE(answer.empty());
  EXPECT_EQ(col(answer.back(), 31, 31), "1") << answer.back();
  EXPECT_FALSE(objectLines(ncp(client, "STATUS PROCESS *")).empty());
}

TEST(NskSimDialogue, UnknownThingsGetAnErrorAndTheCurrentPrompt) {
  korvtest::NskSimProcess sim;
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  ASSERT_TRUE(taclLogon(client));
  const std::string taclPrompt = lines(tacl(client, "")).back();

  const std::vector<std::string> unknownPathmon = lines(tacl(client, "NCPCOM $NOPE"));
  EXPECT_GE(unknownPathmon.size(), 3u);
  EXPECT_EQ(unknownPathmon.back(), taclPrompt);
  const std::vector<std::string> unknownTacl = lines(tacl(client, "FROBNICATE"));
  EXPECT_GE(unknownTacl.size(), 3u);
  EXPECT_EQ(unknownTacl.back(), taclPrompt);

  ASSERT_FALSE(ncp(client, "NCPCOM $PM02").empty());
  const std::string ncpPrompt = lines(ncp(client, "")).back();
  const std::vector<std::string> unknownNcp = lines(ncp(client, "FROBNICATE LINE X"));
  EXPECT_GE(unknownNcp.size(), 3u);
  EXPECT_EQ(unknownNcp.back(), ncpPrompt);
  // Not logged on to NCP yet: no listing.
  EXPECT_TRUE(objectLines(ncp(client, "STATUS PROCESS *")).empty());
}

TEST(NskSimDialogue, LogoutClosesTheConnection) {
  korvtest::NskSimProcess sim;
  ASSERT_TRUE(sim.started());
  for (const bool inNcpcom : {false, true}) {
    RawTelnetClient client(sim.port());
    ASSERT_TRUE(inNcpcom ? ncpLogon(client) : taclLogon(client));
    client.sendLine("LOGOUT");
    EXPECT_TRUE(client.waitClosed());
    EXPECT_EQ(client.closeError(), QAbstractSocket::RemoteHostClosedError);
  }
}

TEST(NskSimDialogue, InputLineEndsAndTelnetCommandsAreParsedNotTakenAsText) {
  korvtest::NskSimProcess sim;
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  ASSERT_FALSE(client.readUntil(kMenuPrompt).empty());
  // CR NUL, a CR whose LF comes in a later send, and a bare LF all end one line.
  client.send(std::string("TACL\r\0", 6));
  ASSERT_FALSE(client.readUntil("TACL 1> ").empty());
  client.send("logon " + kTaclUser + "\r");
  ASSERT_FALSE(client.readUntil("Password: ").empty());
  client.send("\n" + kTaclPassword + "\n");
  const std::string logon = client.readUntil("> ");
  ASSERT_FALSE(logon.empty());
  ASSERT_EQ(logon.find("*ERROR*"), std::string::npos);
  // A NOP inside a line and a sub-negotiation between lines leave the text alone.
  client.send("SETPROMPT\xff\xf1 SUBVOL\r\n");
  ASSERT_FALSE(client.readUntil("> ").empty());
  client.send(std::string("\xff\xfa\x1f\x00\x50\x00\x18\xff\xf0", 9) + "#mysystem\r\n");
  EXPECT_EQ(lines(client.readUntil("> "))[1], "\\KORVDEMO");

  const std::vector<std::string> commands = {"TACL", "logon " + kTaclUser, kTaclPassword, "SETPROMPT SUBVOL",
                                             "#mysystem"};
  EXPECT_EQ(sim.commandsReceived(), commands);
  const std::vector<std::string> transcript = sim.transcript();
  EXPECT_NE(std::find(transcript.begin(), transcript.end(), "SB 31 00 50 00 18"), transcript.end());
}
