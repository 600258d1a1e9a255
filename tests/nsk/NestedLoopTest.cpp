// A completion handler that runs a nested event loop (as a modal dialog
// does) while the host goes on sending over a real loopback connection.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "NskHarness.h"
#include "support/EventLoop.h"

using nsktest::EventLog;
using nsktest::LoopbackHost;
using nsktest::ProbeSession;

namespace {

TEST(NestedEventLoop, ChunksWaitInOrderWhileReadingIsPausedThenAllArrive) {
  LoopbackHost host;
  ProbeSession session;
  ASSERT_TRUE(host.accept(session));
  session.takeOverData();
  EventLog log;
  session.OnStringAvailable = log.handler("string");

  int pendingInside = -1;
  size_t entriesInside = 0;
  session.SendCommand("CMD", nullptr, [&](TTnCnx*, const std::string& str, TNSKTelnetState state) {
    log.add(std::string("done:") + nsktest::stateName(state) + ":" + str);
    if (str != "line1") return;
    host.write("\r\nmore\r\nTACL 1> ");
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer sinceTail;
    bool tailWritten = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (!tailWritten && session.PendingChunkCount() == 1) {
        // Reading is paused now: this must stay in the host's socket.
        host.write("tail\r\n");
        tailWritten = true;
        sinceTail.start();
      } else if (tailWritten && sinceTail.elapsed() > 300) {
        loop.quit();
      }
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    poll.start(5);
    loop.exec();
    pendingInside = session.PendingChunkCount();
    entriesInside = log.entries.size();
  });
  ASSERT_TRUE(host.waitReceived("CMD\r\n"));
  host.write("CMD\r\nline1\r\nTACL 1> ");

  ASSERT_TRUE(korvtest::waitUntil([&] { return log.contains("string:idle:tail"); }));
  EXPECT_EQ(pendingInside, 1);
  EXPECT_EQ(entriesInside, 1u);
  EXPECT_EQ(log.entries, (std::vector<std::string>{"done:command:line1", "done:command:TACL 1> ", "done:command:more",
                                                   "done:end:TACL 1> ", "string:idle:tail"}));
  EXPECT_EQ(session.PendingChunkCount(), 0);
}

}  // namespace
