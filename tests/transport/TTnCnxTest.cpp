// TTnCnx against a real loopback peer: negotiation answers on the wire, data
// delivery, status texts, the session's events and re-entry from handlers.
#include <gtest/gtest.h>

#include <algorithm>

#include "RecordingSink.h"
#include "ScriptedPeer.h"
#include "support/EventLoop.h"
#include "transport/TTnCnx.h"

namespace {

constexpr int IAC = 255, SB = 250, SE = 240, WILL = 251, WONT = 252, DO = 253, EOR = 239;

struct LoggedConnection {
  TTnCnx cnx;
  std::vector<std::string> log;
  std::string data;

  LoggedConnection() {
    cnx.OnSessionConnected = [this](TTnCnx*, uint16_t e) { log.push_back("connected " + std::to_string(e)); };
    cnx.OnSessionClosed = [this](TTnCnx* c, uint16_t e) {
      log.push_back("closed " + std::to_string(e) + (c->IsConnected() ? " (still connected)" : ""));
    };
    cnx.OnDataAvailable = [this](TTnCnx*, const char* buffer, int len) {
      log.push_back(buffer[len] == '\0' ? "data " + std::to_string(len) : "data unterminated");
      data.append(buffer, static_cast<size_t>(len));
    };
    cnx.OnDisplay = [this](TTnCnx*, const std::string& s) { log.push_back("display " + s); };
    cnx.OnEndOfRecord = [this](TTnCnx*) { log.push_back("eor"); };
    cnx.OnSendLoc = [this](TTnCnx*) { log.push_back("sendloc"); };
    cnx.OnTermType = [this](TTnCnx*) { log.push_back("termtype"); };
    cnx.OnLocalEcho = [this](TTnCnx* c) { log.push_back(std::string("localecho ") + (c->LocalEcho ? "on" : "off")); };
  }
  void open(ScriptedPeer& peer) {
    cnx.Host = "127.0.0.1";
    cnx.Port = peer.portText();
    cnx.Connect();
  }
  bool waitLog(const std::string& entry) {
    return korvtest::waitUntil([&] { return std::find(log.begin(), log.end(), entry) != log.end(); });
  }
};

TEST(TnCnxNegotiation, AnswersGoOutOnTheWireBeforeTheData) {
  ScriptedPeer peer;
  LoggedConnection c;
  c.open(peer);
  ASSERT_TRUE(peer.waitForClient());
  ASSERT_TRUE(c.waitLog("connected 0"));
  peer.send(
      bytes({'A', IAC, DO, 24, 'B', IAC, SB, 24, 1, IAC, SE, IAC, DO, 23, IAC, WILL, 1, IAC, EOR, IAC, IAC, 'C'}));
  const std::string expected = bytes({IAC,  WILL, 24,  IAC, SB, 24,  0,   'V', 'T', '1', '0', '0', IAC, SE, IAC,
                                      WILL, 23,   IAC, SB,  23, 'T', 'N', 'C', 'N', 'X', IAC, SE,  IAC, DO, 1});
  ASSERT_TRUE(peer.waitForReceived(expected.size()));
  EXPECT_EQ(hex(peer.received()), hex(expected));
  ASSERT_TRUE(c.waitLog("data 4"));
  EXPECT_EQ(c.data, bytes({'A', 'B', IAC, 'C'}));
  EXPECT_EQ(c.log, (std::vector<std::string>{"connected 0", "termtype", "sendloc", "localecho off", "eor", "data 4"}));
}

TEST(TnCnxNegotiation, HostRefusingEchoSetsLocalEcho) {
  ScriptedPeer peer;
  LoggedConnection c;
  c.open(peer);
  ASSERT_TRUE(peer.waitForClient());
  peer.send(bytes({IAC, WONT, 1}));
  ASSERT_TRUE(c.waitLog("localecho on"));
  EXPECT_TRUE(c.cnx.LocalEcho);
  peer.send(bytes({IAC, WILL, 1}));
  ASSERT_TRUE(c.waitLog("localecho off"));
  ASSERT_TRUE(peer.waitForReceived(3));
  EXPECT_EQ(hex(peer.received()), hex(bytes({IAC, DO, 1})));
}

TEST(TnCnxNegotiation, WithoutDataHandlerDataIsDroppedAndNegotiationWorks) {
  ScriptedPeer peer;
  LoggedConnection c;
  c.cnx.OnDataAvailable = nullptr;
  c.open(peer);
  ASSERT_TRUE(peer.waitForClient());
  peer.send("before" + bytes({IAC, DO, 24}) + "after");
  ASSERT_TRUE(peer.waitForReceived(3));
  EXPECT_EQ(hex(peer.received()), hex(bytes({IAC, WILL, 24})));
}

TEST(TnCnxNegotiation, NaiveHostRefusalLoopDiesOut) {
  ScriptedPeer peer;
  LoggedConnection c;
  c.open(peer);
  ASSERT_TRUE(peer.waitForClient());
  const std::string refusal = bytes({IAC, WONT, 42});
  peer.send(refusal);
  ASSERT_TRUE(peer.waitForReceived(3));
  for (int i = 0; i < 3; ++i) peer.send(refusal);  // the host answers our refusal with its own
  peer.send("end");
  ASSERT_TRUE(korvtest::waitUntil([&] { return c.data == "end"; }));
  EXPECT_EQ(hex(peer.received()), hex(bytes({IAC, WONT, 42})));
}

TEST(TnCnxData, ChunksAreDeliveredWithAZeroByteAfterThem) {
  ScriptedPeer peer;
  LoggedConnection c;
  c.open(peer);
  ASSERT_TRUE(peer.waitForClient());
  std::string text(5000, 'x');
  text[0] = '\0';
  peer.send(text);
  ASSERT_TRUE(korvtest::waitUntil([&] { return c.data.size() >= text.size(); }));
  EXPECT_EQ(c.data, text);
  for (const std::string& entry : c.log) {
    if (entry.rfind("data ", 0) == 0) {
      EXPECT_LE(std::stoi(entry.substr(5)), 2048) << entry;
    }
  }
}

TEST(TnCnxData, EveryConnectStartsWithACleanParser) {
  LoggedConnection c;
  {
    ScriptedPeer first;
    c.open(first);
    ASSERT_TRUE(first.waitForClient());
    first.send(bytes({'a', IAC, SB, 24}));  // left open by the host
    ASSERT_TRUE(korvtest::waitUntil([&] { return c.data == "a"; }));
    c.cnx.Close();
  }
  ScriptedPeer second;
  c.open(second);
  ASSERT_TRUE(second.waitForClient());
  second.send(bytes({1, 'b', IAC, SE}));
  ASSERT_TRUE(korvtest::waitUntil([&] { return c.data.size() >= 3; }));
  EXPECT_EQ(hex(c.data), hex(bytes({'a', 1, 'b'})));
  korvtest::processQueuedEvents();
  EXPECT_TRUE(second.received().empty());
}

TEST(TnCnxData, LocalEchoSurvivesReconnect) {
  ScriptedPeer peer;
  LoggedConnection c;
  c.open(peer);
  ASSERT_TRUE(peer.waitForClient());
  peer.send(bytes({IAC, WONT, 1}));
  ASSERT_TRUE(c.waitLog("localecho on"));
  c.open(peer);
  EXPECT_TRUE(c.cnx.LocalEcho);
}

TEST(TnCnxSession, RemoteCloseGivesTheTextThenClosedOnce) {
  ScriptedPeer peer;
  LoggedConnection c;
  c.open(peer);
  ASSERT_TRUE(peer.waitForClient());
  ASSERT_TRUE(c.waitLog("connected 0"));
  peer.send("bye");
  peer.close();
  ASSERT_TRUE(c.waitLog("closed 0"));
  korvtest::processQueuedEvents();
  EXPECT_EQ(c.log, (std::vector<std::string>{"connected 0", "data 3", "display \r\n**** Remote has closed ****\r\n",
                                             "closed 0"}));
  EXPECT_FALSE(c.cnx.IsConnected());
}

TEST(TnCnxSession, ResetGivesTheErrorTextThenClosedWithTheCode) {
  ScriptedPeer peer;
  LoggedConnection c;
  c.open(peer);
  ASSERT_TRUE(peer.waitForClient());
  ASSERT_TRUE(c.waitLog("connected 0"));
  peer.reset();
  ASSERT_TRUE(c.waitLog("closed 10054"));
  EXPECT_EQ(c.log, (std::vector<std::string>{"connected 0", "display \r\n**** ERROR: 10054 ****\r\n", "closed 10054"}));
}

TEST(TnCnxSession, RefusedConnectReportsTheCodeThenClosed) {
  LoggedConnection c;
  c.cnx.Host = "127.0.0.1";
  c.cnx.Port = ScriptedPeer::closedPortText();
  c.cnx.Connect();
  ASSERT_TRUE(c.waitLog("closed 0"));
  EXPECT_EQ(c.log, (std::vector<std::string>{"connected 10061", "closed 0"}));
}

TEST(TnCnxSession, CloseRaisesClosedOnceAndASecondCloseNothing) {
  ScriptedPeer peer;
  LoggedConnection c;
  c.open(peer);
  ASSERT_TRUE(c.waitLog("connected 0"));
  EXPECT_TRUE(c.cnx.IsConnected());
  c.cnx.Close();
  EXPECT_EQ(c.log.back(), "closed 0");
  c.cnx.Close();
  korvtest::processQueuedEvents();
  EXPECT_EQ(c.log, (std::vector<std::string>{"connected 0", "closed 0"}));
}

TEST(TnCnxSession, ConnectWhileConnectedEndsTheOldSessionFirst) {
  ScriptedPeer peer;
  LoggedConnection c;
  c.open(peer);
  ASSERT_TRUE(c.waitLog("connected 0"));
  c.open(peer);
  EXPECT_EQ(c.log, (std::vector<std::string>{"connected 0", "closed 0"}));
  ASSERT_TRUE(korvtest::waitUntil([&] { return c.log.size() == 3; }));
  EXPECT_EQ(c.log.back(), "connected 0");
}

TEST(TnCnxSession, ImmediateConnectFailuresReachTheCaller) {
  LoggedConnection c;
  try {
    c.cnx.Connect();
    FAIL() << "no exception";
  } catch (const ESocketException& e) {
    EXPECT_STREQ(e.what(), "Connect: No IP Address Specified");
  }
  c.cnx.Host = "1.2.3.4.5";
  try {
    c.cnx.Connect();
    FAIL() << "no exception";
  } catch (const ESocketException& e) {
    EXPECT_STREQ(e.what(), "connect: Winsock Resolve Host: '1.2.3.4.5' Invalid IP address.");
  }
  korvtest::processQueuedEvents();
  EXPECT_TRUE(c.log.empty());
}

TEST(TnCnxSession, SendOnClosedConnectionFails) {
  LoggedConnection c;
  try {
    c.cnx.SendText("LOGON\r\n");
    FAIL() << "no exception";
  } catch (const ESocketException& e) {
    EXPECT_STREQ(e.what(), "Socket is not connected (#10057 in Send)");
  }
}

TEST(TnCnxSession, SocketDestroyedElsewhereIsForgotten) {
  LoggedConnection c;
  delete c.cnx.Socket();
  EXPECT_EQ(c.cnx.Socket(), nullptr);
  EXPECT_EQ(c.cnx.SendText("x"), -1);
  EXPECT_FALSE(c.cnx.IsConnected());
  c.cnx.Host = "127.0.0.1";
  c.cnx.Connect();
  c.cnx.Close();
  EXPECT_TRUE(c.log.empty());
}

TEST(TnCnxReentry, HandlerAnswersAndClosesFromInsideTheDataEvent) {
  ScriptedPeer peer;
  LoggedConnection c;
  c.cnx.OnDataAvailable = [&](TTnCnx* cnx, const char* buffer, int len) {
    c.log.push_back("data " + std::string(buffer, static_cast<size_t>(len)));
    cnx->SendText("ack\r\n");
    cnx->Close();
    c.log.push_back("after close");
  };
  c.open(peer);
  ASSERT_TRUE(peer.waitForClient());
  peer.send("hello");
  ASSERT_TRUE(c.waitLog("after close"));
  ASSERT_TRUE(peer.waitForReceived(5));
  EXPECT_EQ(peer.received(), "ack\r\n");
  peer.send("more");
  korvtest::processQueuedEvents();
  EXPECT_EQ(c.log, (std::vector<std::string>{"connected 0", "data hello", "closed 0", "after close"}));
}

TEST(TnCnxReentry, HandlerThatClosesOnTermTypeLetsTheChunkFinish) {
  ScriptedPeer peer;
  LoggedConnection c;
  c.cnx.OnTermType = [&](TTnCnx* cnx) { cnx->Close(); };
  c.open(peer);
  ASSERT_TRUE(peer.waitForClient());
  peer.send(bytes({'x', IAC, SB, 24, 1, IAC, SE, 'y'}));
  ASSERT_TRUE(c.waitLog("data 2"));
  EXPECT_EQ(c.data, "xy");
}

// A handler that runs a nested event loop (a modal dialog) receives the next
// chunk inside it, as a fresh delivery; nothing is delivered twice.
TEST(TnCnxReentry, NestedEventLoopReceivesTheNextChunk) {
  ScriptedPeer peer;
  LoggedConnection c;
  std::vector<std::string> chunks;
  int depth = 0;
  c.cnx.OnDataAvailable = [&](TTnCnx*, const char* buffer, int len) {
    chunks.push_back(std::string(depth, '>') + std::string(buffer, static_cast<size_t>(len)));
    if (chunks.size() > 1) return;
    ++depth;
    peer.send("second");
    korvtest::waitUntil([&] { return chunks.size() == 2; });
    --depth;
  };
  c.open(peer);
  ASSERT_TRUE(peer.waitForClient());
  peer.send("first");
  ASSERT_TRUE(korvtest::waitUntil([&] { return chunks.size() == 2; }));
  korvtest::processQueuedEvents();
  EXPECT_EQ(chunks, (std::vector<std::string>{"first", ">second"}));
}

}  // namespace
