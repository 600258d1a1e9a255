// Chunks that arrive while a handler is still running (re-entry through a
// nested event loop, here by calling the data handler from inside a handler):
// kept in order, processed afterwards, never stranded.
#include <gtest/gtest.h>

#include <stdexcept>

#include "NskHarness.h"
#include "support/EventLoop.h"

using nsktest::EventLog;
using nsktest::LoopbackHost;
using nsktest::ProbeSession;

namespace {

TEST(DeferredChunks, AreProcessedInArrivalOrderAfterTheChunkInHand) {
  ProbeSession session;
  EventLog log;
  session.OnStringAvailable = [&](TTnCnx*, const std::string& str, TNSKTelnetState state) {
    log.add(std::string(nsktest::stateName(state)) + ":" + str);
    if (str == "first") {
      session.feed("second\r\n");
      session.feed("third\r\nP> ");
      EXPECT_EQ(session.PendingChunkCount(), 2);
    }
  };
  session.feed("first\r\nrest> ");
  EXPECT_EQ(log.entries, (std::vector<std::string>{"idle:first", "idle:rest> second", "idle:third", "end:P> "}));
  EXPECT_EQ(session.PendingChunkCount(), 0);
}

TEST(DeferredChunks, ChunkOfEchoAloneDoesNotHoldBackTheOnesBehindIt) {
  LoopbackHost host;
  ProbeSession session;
  ASSERT_TRUE(host.accept(session));
  EventLog log;
  session.SendCommand("A", nullptr, [&](TTnCnx*, const std::string& str, TNSKTelnetState state) {
    log.add(std::string(nsktest::stateName(state)) + ":" + str);
    if (str == "first") {
      session.feed("A\r\n");
      session.feed("second\r\n> ");
    }
  });
  session.feed("first\r\n");
  EXPECT_EQ(log.entries, (std::vector<std::string>{"command:first", "command:second", "end:> "}));
  EXPECT_EQ(session.State(), atsIdle);
}

TEST(DeferredChunks, HandlerThatThrowsDoesNotStrandWaitingChunks) {
  ProbeSession session;
  EventLog log;
  session.OnStringAvailable = [&](TTnCnx*, const std::string& str, TNSKTelnetState) {
    log.add(str);
    if (str == "boom") {
      session.feed("after\r\n");
      throw std::runtime_error("handler failed");
    }
  };
  EXPECT_THROW(session.feed("boom\r\n"), std::runtime_error);
  EXPECT_EQ(session.PendingChunkCount(), 1);
  EXPECT_TRUE(korvtest::waitUntil([&] { return session.PendingChunkCount() == 0; }));
  EXPECT_EQ(log.entries, (std::vector<std::string>{"boom", "after"}));
}

TEST(DeferredChunks, ResetAfterAThrowingHandlerResumesReading) {
  LoopbackHost host;
  ProbeSession session;
  ASSERT_TRUE(host.accept(session));
  session.takeOverData();
  EventLog log;
  session.OnStringAvailable = [&](TTnCnx*, const std::string& str, TNSKTelnetState) {
    log.add(str);
    if (str == "boom") {
      session.feed("old\r\n");
      throw std::runtime_error("handler failed");
    }
  };
  EXPECT_THROW(session.feed("boom\r\n"), std::runtime_error);
  session.ResetCommands();
  host.write("new\r\n");
  EXPECT_TRUE(korvtest::waitUntil([&] { return log.contains("new"); }));
  EXPECT_EQ(log.entries, (std::vector<std::string>{"boom", "new"}));
}

}  // namespace
