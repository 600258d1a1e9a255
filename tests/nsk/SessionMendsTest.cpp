// Guards of the session: unsafe command text, a send that fails, a reset for
// a new connection, the debug transcript's masking, the data handlers the
// session installs, and what a destroyed session frees.
#include <gtest/gtest.h>

#include <memory>

#include "NskHarness.h"
#include "support/EventLoop.h"

using nsktest::EventLog;
using nsktest::LoopbackHost;
using nsktest::ProbeSession;

namespace {

TEST(UnsafeCommandText, ControlCharactersAreRefusedWithTheirOwnersName) {
  for (const std::string& bad :
       std::vector<std::string>{"a\rb", "a\nb", std::string("a\0b", 3), "\t", "\x1f", "x\x7f"}) {
    try {
      RequireSafeCommandText(bad, "User");
      ADD_FAILURE() << "accepted a control character";
    } catch (const EUnsafeCommandText& e) {
      EXPECT_STREQ(e.what(), "User contains a control character");
    }
  }
  for (const std::string& good : std::vector<std::string>{"", " ", "logon SUPER.SUPER", "~", "\x80\xe9\xff"}) {
    EXPECT_NO_THROW(RequireSafeCommandText(good, "User"));
  }
}

TEST(UnsafeCommandText, SendCommandRefusesALineBreakAndSendsNothing) {
  LoopbackHost host;
  ProbeSession session;
  ASSERT_TRUE(host.accept(session));
  EventLog log;
  log.attach(session);
  EXPECT_THROW(session.SendCommand("STATUS\r\nSTOP LINE *", nullptr, nullptr), EUnsafeCommandText);
  EXPECT_EQ(session.State(), atsIdle);
  session.SendCommand("A", nullptr, nullptr);
  EXPECT_THROW(session.SendCommand("B\n", nullptr, nullptr), EUnsafeCommandText);
  EXPECT_EQ(session.QueueCount(), 0);
  EXPECT_EQ(log.entries, (std::vector<std::string>{"queue:0:command"}));
  session.feed("A\r\n> ");
  EXPECT_TRUE(host.waitReceived("A\r\n"));
  korvtest::processQueuedEvents();
  EXPECT_EQ(host.received(), "A\r\n");
}

TEST(FailedSend, SessionIsLeftAsItWasBeforeTheCall) {
  ProbeSession session;  // never connected: the send fails
  EventLog log;
  log.attach(session);
  int idleChecks = 0;
  session.OnCheckCmdTermination = [&](TTnCnx*, std::string&, bool&) { ++idleChecks; };
  session.feed("partial");
  ASSERT_EQ(idleChecks, 1);

  EXPECT_THROW(session.SendCommand("A", session.PromptEndCheck(), log.handler("done")), ESocketException);
  EXPECT_EQ(session.State(), atsIdle);
  EXPECT_EQ(session.CurrentLine(), "partial");
  // No OnCommand; the old check in force; no echo expected; no handler installed.
  session.feed("A\r\n> ");
  EXPECT_EQ(idleChecks, 2);
  EXPECT_EQ(log.entries, (std::vector<std::string>{"string:idle:partialA"}));
}

TEST(ResetCommands, NewConnectionStartsCleanFromInsideAHandler) {
  LoopbackHost host;
  ProbeSession session;
  ASSERT_TRUE(host.accept(session));
  session.takeOverData();
  EventLog log;
  log.attach(session);
  int idleChecks = 0;
  session.OnCheckCmdTermination = [&](TTnCnx*, std::string& line, bool& bterminate) {
    ++idleChecks;
    bterminate = line == "idle> ";
  };
  session.SendCommand("A", nullptr, [&](TTnCnx*, const std::string& str, TNSKTelnetState state) {
    log.add(std::string("done:") + nsktest::stateName(state) + ":" + str);
    if (str == "L1") {
      session.feed("L2\r\n");  // arrives as if through a nested event loop
      session.ResetCommands();
    }
  });
  session.SendCommand("B", nullptr, nullptr);
  session.SendCommand("C", nullptr, nullptr);
  log.take();
  session.feed("L1\r\nL3\r\npart");
  EXPECT_EQ(log.take(), (std::vector<std::string>{"done:command:L1", "queue:0:idle"}));
  EXPECT_EQ(session.State(), atsIdle);
  EXPECT_EQ(session.QueueCount(), 0);
  EXPECT_EQ(session.PendingChunkCount(), 0);
  EXPECT_EQ(session.CurrentLine(), "");
  EXPECT_EQ(idleChecks, 0);

  // Reading was resumed; the echo of A is no longer expected; the owner's
  // check is back in force.
  host.write("A\r\nidle> ");
  ASSERT_TRUE(korvtest::waitUntil([&] { return log.entries.size() >= 3; }));
  EXPECT_EQ(log.take(), (std::vector<std::string>{"string:idle:A", "string:end:idle> ", "queue:0:idle"}));
  EXPECT_EQ(idleChecks, 1);
  session.SendCommand("D", nullptr, nullptr);
  EXPECT_TRUE(host.waitReceived("A\r\nD\r\n"));
}

TEST(ResetCommands, IdleSessionKeepsTheOwnersCheckAndReportsNothing) {
  ProbeSession session;
  EventLog log;
  log.attach(session);
  bool ownCheckCalled = false;
  session.OnCheckCmdTermination = [&](TTnCnx*, std::string&, bool&) { ownCheckCalled = true; };
  session.ResetCommands();
  session.feed("x");
  EXPECT_TRUE(ownCheckCalled);
  EXPECT_TRUE(log.entries.empty());
}

TEST(DebugTranscript, SecretsAreMaskedLongestFirst) {
  ProbeSession session;
  std::vector<std::string> texts;
  session.OnDebug = [&](TTnCnx*, const std::string& text) { texts.push_back(text); };
  session.Debug(&session, "no secret yet");
  session.Password = "pw";
  session.AddDebugSecret("");
  session.AddDebugSecret("pwlong");
  session.Debug(&session, "a pwlong b pw pwpw");
  session.Password.clear();
  session.Debug(&session, "pw gone, pwlong kept");
  EXPECT_EQ(texts, (std::vector<std::string>{"no secret yet", "a **** b **** ********", "pw gone, **** kept"}));
}

TEST(DebugTranscript, SecretsAreMaskedWhateverTheirLetterCase) {
  ProbeSession session;
  std::vector<std::string> texts;
  session.OnDebug = [&](TTnCnx*, const std::string& text) { texts.push_back(text); };
  session.AddDebugSecret("secret2");
  session.Debug(nullptr, "*** ERROR: UNKNOWN COMMAND SECRET2 / Secret2");
  EXPECT_EQ(texts, (std::vector<std::string>{"*** ERROR: UNKNOWN COMMAND **** / ****"}));
}

TEST(OwnDataHandlers, OwnersHandlerIsRememberedOnceAndGivenBack) {
  ProbeSession session;
  std::vector<std::string> calls;
  auto call = [&](const TTnDataAvailable& handler) { handler(&session, "x", 1); };
  session.OnDataAvailable = [&](TTnCnx*, const char*, int) { calls.push_back("owner"); };
  EXPECT_FALSE(session.OwnDataHandlerInstalled());

  session.InstallOwnDataHandler([&](TTnCnx*, const char*, int) { calls.push_back("menu"); });
  EXPECT_TRUE(session.OwnDataHandlerInstalled());
  session.InstallOwnDataHandler([&](TTnCnx*, const char*, int) { calls.push_back("session"); });
  call(session.OnDataAvailable);
  session.RestoreOwnerDataHandler();
  EXPECT_FALSE(session.OwnDataHandlerInstalled());
  call(session.OnDataAvailable);
  EXPECT_EQ(calls, (std::vector<std::string>{"session", "owner"}));
}

TEST(OwnDataHandlers, HandlerMayReplaceItselfWhileRunning) {
  ProbeSession session;
  std::string seen;
  session.InstallOwnDataHandler([&](TTnCnx*, const char* buffer, int len) {
    session.InstallOwnDataHandler([](TTnCnx*, const char*, int) {});
    seen.assign(buffer, static_cast<size_t>(len));  // captures still alive
  });
  session.OnDataAvailable(&session, "menu", 4);
  EXPECT_EQ(seen, "menu");
}

TEST(SessionLifetime, DestroyingABusySessionFreesWaitingCommandsAndChunks) {
  auto token = std::make_shared<int>(0);
  std::weak_ptr<int> watch = token;
  {
    LoopbackHost host;
    ProbeSession session;
    ASSERT_TRUE(host.accept(session));
    session.takeOverData();
    auto holder = [token](TTnCnx*, const std::string&, TNSKTelnetState) {};
    session.SendCommand("A", nullptr, holder);
    session.SendCommand("B", nullptr, holder);
    session.OnStringAvailable = nullptr;
    token.reset();
    EXPECT_FALSE(watch.expired());
  }
  EXPECT_TRUE(watch.expired());
}

}  // namespace
