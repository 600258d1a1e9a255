// The command queue: order on the wire, OnCommand's values, the saved check,
// and a queue item that cannot be taken out.
#include <gtest/gtest.h>

#include <memory>
#include <new>

#include "NskHarness.h"

using nsktest::EventLog;
using nsktest::LoopbackHost;
using nsktest::ProbeSession;

namespace {

class CommandQueue : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.accept(session));
    log.attach(session);
  }

  LoopbackHost host;
  ProbeSession session;
  EventLog log;
};

TEST_F(CommandQueue, CommandsGoOutOneAtATimeAndReportTheQueue) {
  session.SendCommand("A", nullptr, log.handler("done"));
  session.SendCommand("B", nullptr, log.handler("done"));
  session.SendCommand("C", nullptr, log.handler("done"));
  EXPECT_EQ(log.take(), (std::vector<std::string>{"queue:0:command", "queue:1:command", "queue:2:command"}));
  ASSERT_TRUE(host.waitReceived("A\r\n"));

  session.feed("A\r\nA> ");
  // B is taken out: reported by its own sending and again by NextCommand.
  EXPECT_EQ(log.take(), (std::vector<std::string>{"done:end:A> ", "queue:1:command", "queue:1:command"}));
  ASSERT_TRUE(host.waitReceived("A\r\nB\r\n"));
  EXPECT_EQ(session.QueueCount(), 1);

  session.feed("B\r\nB> ");
  session.feed("C\r\nC> ");
  EXPECT_EQ(log.take(), (std::vector<std::string>{"done:end:B> ", "queue:0:command", "queue:0:command", "done:end:C> ",
                                                  "queue:0:idle"}));
  EXPECT_TRUE(host.waitReceived("A\r\nB\r\nC\r\n"));
  EXPECT_EQ(session.State(), atsIdle);
}

TEST_F(CommandQueue, NextStepSentAtTheEndGoesAfterCommandsAlreadyWaiting) {
  session.SendCommand("A", nullptr, [&](TTnCnx*, const std::string&, TNSKTelnetState state) {
    if (state == atsCommandEnd) session.SendCommand("STEP2", nullptr, nullptr);
  });
  session.SendCommand("B", nullptr, nullptr);
  session.SendCommand("C", nullptr, nullptr);
  session.feed("A\r\n> ");
  session.feed("B\r\n> ");
  session.feed("C\r\n> ");
  EXPECT_TRUE(host.waitReceived("A\r\nB\r\nC\r\nSTEP2\r\n"));
  EXPECT_EQ(session.State(), atsCommand);
}

TEST_F(CommandQueue, OwnersIdleCheckComesBackAfterEachCommand) {
  int idleChecks = 0;
  session.OnCheckCmdTermination = [&](TTnCnx*, std::string&, bool&) { ++idleChecks; };
  session.ExpectedPrompt = "TACL 1> ";
  session.SendCommand("TACL", session.PromptEqualCheck(), log.handler("done"));
  session.feed("TACL\r\nX> ");
  EXPECT_EQ(idleChecks, 0);
  EXPECT_EQ(session.State(), atsCommand);
  session.feed("\r\nTACL 1> ");
  EXPECT_EQ(session.State(), atsIdle);
  log.take();

  session.feed("unsolicited\r\nY> ");
  EXPECT_EQ(idleChecks, 1);
  // Nothing ended: the owner's check said no.
  EXPECT_EQ(log.take(), (std::vector<std::string>{"string:idle:unsolicited"}));
}

TEST_F(CommandQueue, IdlePromptReportsAnEmptyQueueAndKeepsTheCheck) {
  session.feed("TACL 1> ");
  EXPECT_EQ(log.take(), (std::vector<std::string>{"string:end:TACL 1> ", "queue:0:idle"}));
  // The default check is still in force, not lost by the idle NextCommand.
  session.feed("again> ");
  EXPECT_EQ(log.take(), (std::vector<std::string>{"string:end:again> ", "queue:0:idle"}));
}

// A check whose copy fails once armed, so that taking its item out of the
// queue fails.
struct FailingCopyCheck {
  std::shared_ptr<bool> armed;
  FailingCopyCheck(std::shared_ptr<bool> a) : armed(std::move(a)) {}
  FailingCopyCheck(FailingCopyCheck&&) noexcept = default;
  FailingCopyCheck(const FailingCopyCheck& other) : armed(other.armed) {
    if (*armed) throw std::bad_alloc();
  }
  void operator()(TTnCnx*, std::string& line, bool& bterminate) const { bterminate = line == "> "; }
};

TEST_F(CommandQueue, FailureToTakeAnItemIsReportedAndTheSessionGoesIdle) {
  auto armed = std::make_shared<bool>(false);
  session.SendCommand("A", nullptr, nullptr);
  session.SendCommand("B", TNSKTelnetCheckCmdTermination(FailingCopyCheck(armed)), nullptr);
  log.take();
  *armed = true;
  session.feed("A\r\n> ");
  EXPECT_EQ(log.take(), (std::vector<std::string>{"string:end:> ", "debug:Command.Pop:Fail", "queue:1:idle"}));
  EXPECT_EQ(session.State(), atsIdle);
  // The item was not lost: it goes out once it can be taken.
  *armed = false;
  session.feed("> ");
  EXPECT_TRUE(host.waitReceived("A\r\nB\r\n"));
  EXPECT_EQ(session.QueueCount(), 0);
}

}  // namespace
