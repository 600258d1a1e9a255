// TWSocket against a real loopback peer: properties, Connect's failures and
// resolver messages, the order of its events, receiving, sending with
// buffering, flow control and the peer's close or reset.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTimer>
#include <set>

#include "ScriptedPeer.h"
#include "support/EventLoop.h"
#include "transport/TWSocket.h"

namespace {

std::string messageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ESocketException& e) {
    return e.what();
  }
  return "(no exception)";
}

// A socket with every event written into one log.
struct LoggedSocket {
  TWSocket socket;
  std::vector<std::string> log;
  std::string data;
  int readSize = 4096;

  LoggedSocket() {
    socket.OnSessionConnected = [this](TStream*, uint16_t e) { log.push_back("connected " + std::to_string(e)); };
    socket.OnSessionClosed = [this](TStream* s, uint16_t e) {
      log.push_back("closed " + std::to_string(e) + (s->State() == wsClosed ? " (state closed)" : ""));
    };
    socket.OnDataAvailable = [this](TStream* s, uint16_t) {
      std::string buf(static_cast<size_t>(readSize), '\0');
      const int n = s->Receive(buf.data(), readSize);
      if (n > 0) {
        data.append(buf.data(), static_cast<size_t>(n));
      } else {
        log.push_back("receive " + std::to_string(n) + (n < 0 ? " error " + std::to_string(s->LastError()) : ""));
      }
    };
  }
  void open(const std::string& addr, const std::string& port) {
    socket.SetAddr(addr);
    socket.SetPort(port);
    socket.Connect();
  }
  bool waitConnected() {
    return korvtest::waitUntil([this] { return socket.State() == wsConnected; });
  }
  bool waitLog(size_t n) {
    return korvtest::waitUntil([this, n] { return log.size() >= n; });
  }
};

std::string pattern(size_t size) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return s;
}

TEST(SocketProperties, TrimmedAndEmptyMeansNotSet) {
  TWSocket s;
  s.SetAddr("  127.0.0.1\t");
  s.SetPort(" 23 ");
  EXPECT_EQ(s.Addr(), "127.0.0.1");
  EXPECT_EQ(s.Port(), "23");
  EXPECT_EQ(s.Proto(), "tcp");
  EXPECT_EQ(s.State(), wsClosed);
  s.SetAddr("   ");
  EXPECT_EQ(messageOf([&] { s.Connect(); }), "Connect: No IP Address Specified");
}

TEST(SocketProperties, ChangesRefusedUnlessClosedButSameValueAllowed) {
  ScriptedPeer peer;
  LoggedSocket c;
  c.open("127.0.0.1", peer.portText());
  ASSERT_TRUE(c.waitConnected());
  EXPECT_EQ(messageOf([&] { c.socket.SetAddr("10.0.0.1"); }), "Cannot change Addr if not closed");
  EXPECT_EQ(messageOf([&] { c.socket.SetPort("24"); }), "Cannot change Port if not closed");
  EXPECT_EQ(messageOf([&] { c.socket.SetProto("udp"); }), "Cannot change Proto if not closed");
  EXPECT_EQ(messageOf([&] {
              c.socket.SetAddr(" 127.0.0.1 ");
              c.socket.SetPort(peer.portText());
              c.socket.SetProto("tcp");
            }),
            "(no exception)");
}

TEST(SocketProperties, EveryCloseForgetsAddrAndPort) {
  ScriptedPeer peer;
  LoggedSocket c;
  c.open("127.0.0.1", peer.portText());
  ASSERT_TRUE(c.waitConnected());
  c.socket.Close();
  EXPECT_EQ(c.socket.Addr(), "");
  EXPECT_EQ(c.socket.Port(), "");
  EXPECT_EQ(c.socket.Proto(), "tcp");
}

TEST(SocketConnect, ImmediateFailuresRaiseNoEvent) {
  LoggedSocket c;
  EXPECT_EQ(messageOf([&] { c.socket.Connect(); }), "Connect: No Port Specified");
  c.socket.SetPort("23");
  EXPECT_EQ(messageOf([&] { c.socket.Connect(); }), "Connect: No IP Address Specified");
  c.socket.SetAddr("127.0.0.1");
  c.socket.SetProto(" ");
  EXPECT_EQ(messageOf([&] { c.socket.Connect(); }), "Connect: No Protocol Specified");
  korvtest::processQueuedEvents();
  EXPECT_TRUE(c.log.empty());
  EXPECT_EQ(c.socket.State(), wsClosed);
}

TEST(SocketConnect, SecondConnectWhileInUseFails) {
  ScriptedPeer peer;
  LoggedSocket c;
  c.open("127.0.0.1", peer.portText());
  EXPECT_EQ(messageOf([&] { c.socket.Connect(); }), "Connect: Socket already in use");
}

TEST(SocketConnect, ResolverMessages) {
  const std::string longHost(257, 'h');
  const struct {
    std::string addr, port, message;
  } rows[] = {
      {longHost, "23", "connect: Winsock Resolve Host: '" + longHost + "' Invalid Hostname."},
      {"1.2.3.4.5", "23", "connect: Winsock Resolve Host: '1.2.3.4.5' Invalid IP address."},
      {"300.1.1.1", "23", "connect: Winsock Resolve Host: '300.1.1.1' Invalid IP address."},
      {"1::2::3", "23", "connect: Winsock Resolve Host: '1::2::3' Invalid IP address."},
      {"127.0.0.1", std::string(32, '9'), "connect: Winsock Resolve Port: Invalid Port."},
      {"127.0.0.1", "no-such-service",
       "connect: Winsock Resolve Port: Cannot convert port 'no-such-service' - No Data (#11004)"},
  };
  for (const auto& row : rows) {
    TWSocket s;
    s.SetAddr(row.addr);
    s.SetPort(row.port);
    EXPECT_EQ(messageOf([&] { s.Connect(); }), row.message);
    EXPECT_EQ(s.State(), wsClosed);
  }
}

TEST(SocketConnect, UnknownHostNameGivesTheResolversCode) {
  TWSocket s;
  s.SetAddr("no-such-host.invalid");
  s.SetPort("23");
  try {
    s.Connect();
    FAIL() << "no exception";
  } catch (const ESocketException& e) {
    const int code = e.ErrorCode();
    EXPECT_TRUE(code >= 11001 && code <= 11004) << code;
    EXPECT_EQ(std::string(e.what()),
              "connect: Winsock Resolve Host: Cannot convert host address "
              "'no-such-host.invalid' - " +
                  WSocketErrorDesc(code) + " (#" + std::to_string(code) + ")");
  }
}

TEST(SocketConnect, HostNameIsLookedUp) {
  ScriptedPeer peer;
  LoggedSocket c;
  c.open("localhost", peer.portText());
  ASSERT_TRUE(c.waitLog(1));
  EXPECT_EQ(c.log[0], "connected 0");
  EXPECT_TRUE(peer.waitForClient());
}

TEST(SocketConnect, AllOnesAddressIsAcceptedAndFailsOnlyOnTheNetwork) {
  LoggedSocket c;
  EXPECT_EQ(messageOf([&] { c.open("255.255.255.255", "23"); }), "(no exception)");
  ASSERT_TRUE(c.waitLog(2));
  EXPECT_NE(c.log[0], "connected 0");
  EXPECT_EQ(c.log[1], "closed 0 (state closed)");
}

TEST(SocketConnect, OutcomeArrivesFromTheLoopNotFromConnect) {
  ScriptedPeer peer;
  LoggedSocket c;
  c.open("127.0.0.1", peer.portText());
  EXPECT_TRUE(c.log.empty());
  EXPECT_EQ(c.socket.State(), wsConnecting);
  ASSERT_TRUE(c.waitLog(1));
  EXPECT_EQ(c.log, (std::vector<std::string>{"connected 0"}));
  EXPECT_EQ(c.socket.State(), wsConnected);
}

TEST(SocketConnect, RefusedThenClosedWithZero) {
  LoggedSocket c;
  c.open("127.0.0.1", ScriptedPeer::closedPortText());
  ASSERT_TRUE(c.waitLog(2));
  korvtest::processQueuedEvents();
  EXPECT_EQ(c.log, (std::vector<std::string>{"connected 10061", "closed 0 (state closed)"}));
  EXPECT_EQ(c.socket.LastError(), 10061);
}

TEST(SocketClose, RaisesClosedOnceBeforeReturning) {
  ScriptedPeer peer;
  LoggedSocket c;
  c.open("127.0.0.1", peer.portText());
  ASSERT_TRUE(c.waitConnected());
  c.socket.Close();
  EXPECT_EQ(c.log.back(), "closed 0 (state closed)");
  c.socket.Close();
  korvtest::processQueuedEvents();
  EXPECT_EQ(c.log, (std::vector<std::string>{"connected 0", "closed 0 (state closed)"}));
  EXPECT_TRUE(peer.waitForClient());
  EXPECT_TRUE(peer.waitForClientGone());
}

TEST(SocketClose, DestroyingAnOpenSocketRaisesNothing) {
  ScriptedPeer peer;
  int events = 0;
  {
    TWSocket s;
    s.OnSessionClosed = [&](TStream*, uint16_t) { ++events; };
    s.SetAddr("127.0.0.1");
    s.SetPort(peer.portText());
    s.Connect();
    ASSERT_TRUE(korvtest::waitUntil([&] { return s.State() == wsConnected; }));
  }
  EXPECT_EQ(events, 0);
}

TEST(SocketClose, ReconnectAfterCloseStartsANewSession) {
  ScriptedPeer peer;
  LoggedSocket c;
  c.open("127.0.0.1", peer.portText());
  ASSERT_TRUE(c.waitConnected());
  c.socket.Close();
  c.open("127.0.0.1", peer.portText());
  ASSERT_TRUE(c.waitConnected());
  c.socket.Close();
  EXPECT_EQ(c.log, (std::vector<std::string>{"connected 0", "closed 0 (state closed)", "connected 0",
                                             "closed 0 (state closed)"}));
}

TEST(SocketSend, OnClosedSocketFailsWithNotConnected) {
  LoggedSocket c;
  try {
    c.socket.SendText("x");
    FAIL() << "no exception";
  } catch (const ESocketException& e) {
    EXPECT_STREQ(e.what(), "Socket is not connected (#10057 in Send)");
    EXPECT_EQ(e.ErrorCode(), 10057);
  }
  EXPECT_TRUE(c.log.empty());
  EXPECT_EQ(c.socket.SendText(""), 0);
}

TEST(SocketSend, WhileConnectingClosesTheSessionThenThrows) {
  ScriptedPeer peer;
  LoggedSocket c;
  c.open("127.0.0.1", peer.portText());
  EXPECT_EQ(messageOf([&] { c.socket.SendText("early"); }), "Socket is not connected (#10057 in Send)");
  EXPECT_EQ(c.log, (std::vector<std::string>{"closed 10057"}));
  EXPECT_EQ(c.socket.State(), wsClosed);
  korvtest::processQueuedEvents();
  EXPECT_EQ(c.log.size(), 1u);
}

TEST(SocketSend, LargeSendIsBufferedAndArrivesInOrder) {
  ScriptedPeer peer;
  LoggedSocket c;
  c.open("127.0.0.1", peer.portText());
  ASSERT_TRUE(c.waitConnected());
  ASSERT_TRUE(peer.waitForClient());
  const std::string big = pattern(32u << 20);
  EXPECT_EQ(c.socket.Send(big.data(), static_cast<int>(big.size())), static_cast<int>(big.size()));
  EXPECT_EQ(c.socket.SendText("tail"), 4);
  ASSERT_TRUE(peer.waitForReceived(big.size() + 4));
  EXPECT_TRUE(peer.received() == big + "tail");
}

TEST(SocketSend, SmallWritesAreNotHeldForTheAcknowledgement) {
  ScriptedPeer peer;
  LoggedSocket c;
  c.open("127.0.0.1", peer.portText());
  ASSERT_TRUE(c.waitConnected());
  const intptr_t handle = c.socket.Detach();
  int noDelay = 0;
  socklen_t size = sizeof noDelay;
  ASSERT_EQ(::getsockopt(static_cast<int>(handle), IPPROTO_TCP, TCP_NODELAY, &noDelay, &size), 0);
  ::close(static_cast<int>(handle));
  EXPECT_NE(noDelay, 0);
}

TEST(SocketReceive, HandlerIsCalledAgainWhileBytesRemain) {
  ScriptedPeer peer;
  LoggedSocket c;
  c.readSize = 100;
  c.open("127.0.0.1", peer.portText());
  ASSERT_TRUE(peer.waitForClient());
  const std::string text = pattern(10000);
  peer.send(text);
  ASSERT_TRUE(korvtest::waitUntil([&] { return c.data.size() >= text.size(); }));
  EXPECT_EQ(c.data, text);
  EXPECT_EQ(c.log, (std::vector<std::string>{"connected 0"}));
}

// A host that sends without pause must not hold the event loop: a timer
// posted at the first read fires while most of the data still wait.
TEST(SocketReceive, DataThatKeepWaitingLeaveRoomForOtherEvents) {
  ScriptedPeer peer;
  LoggedSocket c;
  c.readSize = 100;
  c.open("127.0.0.1", peer.portText());
  ASSERT_TRUE(peer.waitForClient());
  ASSERT_TRUE(c.waitConnected());
  const std::string text = pattern(1 << 20);
  size_t readWhenTimerFired = 0;
  bool timerPosted = false;
  bool timerFired = false;
  const auto read = c.socket.OnDataAvailable;
  c.socket.OnDataAvailable = [&](TStream* s, uint16_t e) {
    if (!timerPosted) {
      timerPosted = true;
      QTimer::singleShot(0, [&] {
        timerFired = true;
        readWhenTimerFired = c.data.size();
      });
    }
    read(s, e);
  };
  peer.send(text);
  ASSERT_TRUE(korvtest::waitUntil([&] { return c.data.size() >= text.size() && timerFired; }));
  EXPECT_EQ(c.data, text);
  EXPECT_LE(readWhenTimerFired, 65536u) << "the event loop waited for the socket to run dry";
}

TEST(SocketReceive, PeerSendsAndClosesDataFirstThenEndThenClosedOnce) {
  ScriptedPeer peer;
  LoggedSocket c;
  c.open("127.0.0.1", peer.portText());
  ASSERT_TRUE(peer.waitForClient());
  ASSERT_TRUE(c.waitConnected());
  peer.send("last words");
  peer.close();
  ASSERT_TRUE(c.waitLog(3));
  korvtest::processQueuedEvents();
  EXPECT_EQ(c.data, "last words");
  EXPECT_EQ(c.log, (std::vector<std::string>{"connected 0", "receive 0", "closed 0"}));
  EXPECT_EQ(c.socket.State(), wsClosed);
}

TEST(SocketReceive, PeerResetIsReportedWithItsCode) {
  ScriptedPeer peer;
  LoggedSocket c;
  c.open("127.0.0.1", peer.portText());
  ASSERT_TRUE(peer.waitForClient());
  ASSERT_TRUE(c.waitConnected());
  peer.reset();
  ASSERT_TRUE(c.waitLog(3));
  korvtest::processQueuedEvents();
  EXPECT_EQ(c.log, (std::vector<std::string>{"connected 0", "receive -1 error 10054", "closed 10054"}));
  EXPECT_EQ(c.socket.State(), wsClosed);
}

TEST(SocketReceive, PausedReadingHoldsDataBackUntilResumed) {
  ScriptedPeer peer;
  LoggedSocket c;
  c.open("127.0.0.1", peer.portText());
  ASSERT_TRUE(peer.waitForClient());
  peer.send("one");
  ASSERT_TRUE(korvtest::waitUntil([&] { return c.data == "one"; }));
  c.socket.SetReadPaused(true);
  peer.send("two");
  peer.close();
  ASSERT_TRUE(peer.waitForClientGone()) << "the bytes and the end are with the socket, unread";
  korvtest::processQueuedEvents();
  EXPECT_EQ(c.data, "one");
  EXPECT_EQ(c.log, (std::vector<std::string>{"connected 0"}));
  c.socket.SetReadPaused(false);
  ASSERT_TRUE(c.waitLog(3));
  EXPECT_EQ(c.data, "onetwo");
  EXPECT_EQ(c.log, (std::vector<std::string>{"connected 0", "receive 0", "closed 0"}));
}

TEST(SocketReceive, PauseFromInsideTheHandlerStopsFurtherEvents) {
  ScriptedPeer peer;
  LoggedSocket c;
  c.readSize = 10;
  int events = 0;
  auto reader = c.socket.OnDataAvailable;
  c.socket.OnDataAvailable = [&](TStream* s, uint16_t e) {
    ++events;
    reader(s, e);
    s->SetReadPaused(true);
  };
  c.open("127.0.0.1", peer.portText());
  ASSERT_TRUE(peer.waitForClient());
  peer.send(std::string(100, 'p'));
  ASSERT_TRUE(korvtest::waitUntil([&] { return events > 0; }));
  korvtest::processQueuedEvents();
  EXPECT_EQ(events, 1);
  EXPECT_EQ(c.data.size(), 10u);
}

TEST(SocketErrorDesc, KnownCodesAndTheRest) {
  const std::pair<int, const char*> listed[] = {{0, "No Error"},
                                                {10035, "Operation would block"},
                                                {10050, "Network is down"},
                                                {10051, "Network is unreachable"},
                                                {10053, "Connection aborted"},
                                                {10054, "Connection reset by peer"},
                                                {10057, "Socket is not connected"},
                                                {10060, "Connection timed out"},
                                                {10061, "Connection refused"},
                                                {10064, "Host is down"},
                                                {10065, "No route to host"},
                                                {11001, "Host not found"},
                                                {11002, "Non-authoritative host not found"},
                                                {11004, "No Data"}};
  for (const auto& [code, text] : listed) EXPECT_EQ(WSocketErrorDesc(code), text) << code;

  std::vector<int> known = {0,     10004, 10009, 10013, 10014, 10022, 10024,
                            10091, 10092, 10093, 11001, 11002, 11003, 11004};
  for (int code = 10035; code <= 10071; ++code) known.push_back(code);
  std::set<std::string> texts;
  for (int code : known) {
    EXPECT_NE(WSocketErrorDesc(code), "Not a WinSock error") << code;
    texts.insert(WSocketErrorDesc(code));
  }
  EXPECT_EQ(texts.size(), known.size());
  for (int code : {-1, 1, 10000, 10034, 10072, 10090, 10094, 11000, 11005, 99999}) {
    EXPECT_EQ(WSocketErrorDesc(code), "Not a WinSock error") << code;
  }
}

}  // namespace
