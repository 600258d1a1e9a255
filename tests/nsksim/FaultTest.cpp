// The fault switches of the simulator: they must change the byte stream or the
// connection exactly as documented and nothing else, since the reliability
// tests of the console rest on them. Also the simulator's own robustness
// against bad client bytes.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <QTcpSocket>
#include <cerrno>
#include <random>

#include "SimDialogue.h"
#include "support/NskSimProcess.h"

using namespace simtest;

namespace {

// The data a client sees on a fixed road through the dialogue, telnet
// commands removed.
std::string walkTheRoad(RawTelnetClient& client) {
  std::string data;
  data += client.readUntil(kMenuPrompt);
  for (const char* line : {"TACL", "logon OPS.OPER"}) {
    client.sendLine(line);
    data += client.readUntil(std::string(line) == "TACL" ? "TACL 1> " : "Password: ");
  }
  data += tacl(client, kTaclPassword);
  data += tacl(client, "SETPROMPT SUBVOL");
  data += tacl(client, "#mysystem");
  data += ncp(client, "NCPCOM $PM01");
  client.sendLine("SET USER " + kNcpUser);
  data += client.readUntil("PASSWORD: ");
  data += ncp(client, kNcpPassword);
  data += ncp(client, "STATUS STATION *");
  data += ncp(client, "INFO STATION *");
  client.sendLine("LOGOUT");
  client.waitClosed();
  data += client.readFor(0);
  return data;
}

// How a plain socket client sees the end of the connection: 0 for an orderly
// close, ECONNRESET for a reset, -1 when it stays open. The text before it is
// returned in *text.
int endOfConnection(uint16_t port, const std::string& sendAfterMenu, std::string* text) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -2;
  }
  timeval timeout{1, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  // Refuse the terminal type and answer the rest, all at once.
  const char answers[] = "\xff\xfc\x18\xff\xfd\x01\xff\xfd\x03\xff\xfc\x1f";
  ::send(fd, answers, sizeof answers - 1, 0);
  bool sent = sendAfterMenu.empty();
  int result = -1;
  for (;;) {
    char buffer[4096];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n == 0) {
      result = 0;
      break;
    }
    if (n < 0) {
      result = errno == ECONNRESET ? ECONNRESET : -1;
      break;
    }
    text->append(buffer, static_cast<size_t>(n));
    if (!sent && text->find(kMenuPrompt) != std::string::npos) {
      ::send(fd, sendAfterMenu.data(), sendAfterMenu.size(), 0);
      sent = true;
    }
  }
  ::close(fd);
  return result;
}

}  // namespace

TEST(NskSimFaults, ChunkedOutputCarriesTheSameBytes) {
  korvtest::NskSimProcess plain({"--page", "0"});
  korvtest::NskSimProcess chunked({"--page", "0", "--chunk", "1"});
  ASSERT_TRUE(plain.started());
  ASSERT_TRUE(chunked.started());
  RawTelnetClient a(plain.port());
  RawTelnetClient b(chunked.port());
  const std::string expected = walkTheRoad(a);
  ASSERT_NE(expected.find("Goodbye"), std::string::npos);
  EXPECT_EQ(walkTheRoad(b), expected);
  EXPECT_EQ(b.raw(), a.raw());
}

TEST(NskSimFaults, ChunkDelayCutsTheMenuIntoSeveralReads) {
  korvtest::NskSimProcess sim({"--chunk", "16", "--chunk-delay-ms", "5"});
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  const int before = client.reads();
  ASSERT_FALSE(client.readUntil(kMenuPrompt).empty());
  EXPECT_GE(client.reads() - before, 5);
}

TEST(NskSimFaults, SprinkledOutputKeepsEveryPrintableCharacter) {
  korvtest::NskSimProcess plain({"--page", "0"});
  korvtest::NskSimProcess sprinkled({"--page", "0", "--sprinkle"});
  ASSERT_TRUE(plain.started());
  ASSERT_TRUE(sprinkled.started());
  RawTelnetClient a(plain.port());
  RawTelnetClient b(sprinkled.port());
  const std::string expected = walkTheRoad(a);
  const std::string got = walkTheRoad(b);
  EXPECT_NE(got.find('\0'), std::string::npos);
  EXPECT_GT(b.telnetCommands(), a.telnetCommands() + 100);
  EXPECT_EQ(lines(got), lines(expected));
  // The menu and every echo stay free of NULs: the console reads them up to the first one.
  const size_t menuEnd = got.find(kMenuPrompt);
  EXPECT_EQ(got.substr(0, menuEnd).find('\0'), std::string::npos);
  EXPECT_NE(got.find("STATUS STATION *\r\n"), std::string::npos);
}

TEST(NskSimFaults, CloseOnAndResetOnEndTheConnectionBeforeAnswering) {
  struct Case {
    std::vector<std::string> args;
    std::string send;
    int end;
    bool menu;
  };
  const Case cases[] = {
      {{"--close-on", "TACL"}, "TACL\r\n", 0, true}, {{"--reset-on", "TACL"}, "TACL\r\n", ECONNRESET, true},
      {{"--close-on", "menu"}, "", 0, true},         {{"--reset-on", "menu"}, "", ECONNRESET, true},
      {{"--close-on", "banner"}, "", 0, false},      {{"--reset-on", "banner"}, "", ECONNRESET, false},
      {{"--close-on", "XYZ"}, "TACL\r\n", -1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    QStringList args;
    for (const std::string& a : c.args) args << QString::fromStdString(a);
    korvtest::NskSimProcess sim(args);
    ASSERT_TRUE(sim.started());
    std::string text;
    EXPECT_EQ(endOfConnection(sim.port(), c.send, &text), c.end);
    EXPECT_EQ(text.find(kMenuPrompt) != std::string::npos, c.menu);
    EXPECT_NE(text.find("KORVDEMO"), std::string::npos) << "the banner came first";
    if (c.end != -1) {
      EXPECT_EQ(text.find("TACL\r\n"), std::string::npos) << "no answer after the trigger";
    }
    if (!c.send.empty()) {
      EXPECT_EQ(sim.commandsReceived(), std::vector<std::string>{"TACL"});
    }
  }
}

TEST(NskSimFaults, SilentOnStopsAnsweringButKeepsTheConnection) {
  korvtest::NskSimProcess sim({"--silent-on", "STATUS"});
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  ASSERT_TRUE(ncpLogon(client));
  client.sendLine("STATUS LINE *");
  client.sendLine("EXIT");
  EXPECT_TRUE(client.readFor(300).empty());
  EXPECT_TRUE(client.isConnected());
  const std::vector<std::string> commands = sim.commandsReceived();
  ASSERT_GE(commands.size(), 2u);
  EXPECT_EQ(commands.back(), "EXIT");
}

TEST(NskSimFaults, FloodSendsExactlyThatManyBytesOfLinesAfterTheMenu) {
  constexpr size_t kFlood = 300000;
  korvtest::NskSimProcess sim({"--flood", QString::number(kFlood)});
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  ASSERT_FALSE(client.readUntil(kMenuPrompt).empty());
  client.sendLine("TACL");
  const std::string answer = "TACL\r\nTACL 1> ";
  const std::string data = client.readUntil(answer, 20000);
  ASSERT_EQ(data.size(), kFlood + answer.size());
  const std::string flood = data.substr(0, kFlood);
  EXPECT_EQ(flood.substr(kFlood - 2), "\r\n");
  EXPECT_EQ(flood.find("> "), std::string::npos);
  for (char c : flood) ASSERT_TRUE(c == '\r' || c == '\n' || (c >= ' ' && c < 127));
}

TEST(NskSimFaults, FloodOnPutsTheFloodBetweenTheEchoAndTheAnswerOfThatLine) {
  constexpr size_t kFlood = 100000;
  korvtest::NskSimProcess sim({"--flood", QString::number(kFlood), "--flood-on", "#mysystem"});
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  ASSERT_TRUE(taclLogon(client)) << "no flood before the line";
  const std::string answer = tacl(client, "#mysystem");
  const std::string echo = "#mysystem\r\n";
  ASSERT_GT(answer.size(), echo.size() + kFlood);
  EXPECT_EQ(answer.rfind(echo, 0), 0u);
  const std::string flood = answer.substr(echo.size(), kFlood);
  EXPECT_EQ(flood.substr(kFlood - 2), "\r\n");
  EXPECT_EQ(flood.find("> "), std::string::npos);
  EXPECT_EQ(answer.substr(echo.size() + kFlood, 11), "\\KORVDEMO\r\n");
}

TEST(NskSimFaults, HostileNegotiationStillEndsInTheMenu) {
  {
    korvtest::NskSimProcess sim({"--hostile-negotiation", "storm:2"});
    ASSERT_TRUE(sim.started());
    RawTelnetClient client(sim.port());
    ASSERT_TRUE(taclLogon(client));
    // 2 rounds of 4 verbs for 256 options, besides the usual requests.
    EXPECT_GE(client.telnetCommands(), 2 * 4 * 256);
  }
  {
    korvtest::NskSimProcess sim({"--hostile-negotiation", "oversized-sb:5000"});
    ASSERT_TRUE(sim.started());
    RawTelnetClient client(sim.port());
    ASSERT_TRUE(taclLogon(client));
    EXPECT_NE(client.raw().find("\xff\xfa\x18" + std::string(5000, 'X') + "\xff\xf0"), std::string::npos);
  }
}

TEST(NskSimFaults, EchoPasswordsEchoesThem) {
  korvtest::NskSimProcess sim({"--echo-passwords"});
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  ASSERT_FALSE(client.readUntil(kMenuPrompt).empty());
  client.sendLine("TACL");
  client.readUntil("TACL 1> ");
  client.sendLine("logon " + kTaclUser);
  client.readUntil("Password: ");
  EXPECT_EQ(tacl(client, kTaclPassword).rfind(kTaclPassword + "\r\n", 0), 0u);
}

TEST(NskSimFaults, BadClientBytesNeitherCrashNorStopTheServer) {
  korvtest::NskSimProcess sim;
  ASSERT_TRUE(sim.started());
  {
    RawTelnetClient client(sim.port());
    ASSERT_TRUE(taclLogon(client));
    // A line far beyond any command gets an answer of its own, then the prompt.
    const std::string answer = tacl(client, std::string(100000, 'A'));
    EXPECT_TRUE(lines(answer).back().size() >= 2);
    EXPECT_FALSE(tacl(client, "#mysystem").empty());
    std::mt19937 random(7);
    std::string noise(256 * 1024, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    client.send(noise);
    client.send("\xff\xfa\x18" + std::string(100000, 'Y'));  // never ends
    client.readFor(300);
  }
  RawTelnetClient next(sim.port());
  EXPECT_TRUE(ncpLogon(next));
  for (const std::string& command : sim.commandsReceived()) EXPECT_LE(command.size(), 4096u);
}
