// Hostile option negotiation from the host simulator: storms of every verb
// for every option, a host that refuses back every refusal, oversized and
// unterminated sub-negotiations. The console answers each request as its
// negotiation table says, never answers a refusal of an option it has
// already refused (so the refusal loop ends), sends back a bounded number of
// bytes, keeps its memory bounded and still reaches its prompts.
#include <gtest/gtest.h>

#include <map>

#include "Measure.h"
#include "Operator.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"

using korvtest::NskSimProcess;
using korvtest::waitUntil;
using ncp::NcpEvent;

namespace {

struct Replies {
  std::map<std::string, int64_t> byVerb;    // "WILL", "WONT", "DO", "DONT"
  std::map<std::string, int64_t> byAnswer;  // "DO 1", "WILL 23", ...
  int64_t negotiations = 0;
  int64_t subnegotiations23 = 0;
  int64_t subnegotiations24 = 0;
  int64_t bytes = 0;  // sent back by the console for the negotiation
};

Replies replies(const NskSimProcess& sim) {
  Replies r;
  for (const std::string& line : sim.transcript()) {
    if (line.rfind("NEG ", 0) == 0) {
      const std::string answer = line.substr(4);
      ++r.negotiations;
      ++r.byVerb[answer.substr(0, answer.find(' '))];
      ++r.byAnswer[answer];
      r.bytes += 3;
    } else if (line.rfind("SB ", 0) == 0) {
      // "SB 23 54 4E ...": option, then the other bytes; IAC SB and IAC SE around them.
      const int64_t dataBytes = static_cast<int64_t>(std::count(line.begin(), line.end(), ' '));
      r.bytes += 4 + dataBytes;
      if (line.rfind("SB 23", 0) == 0) ++r.subnegotiations23;
      if (line.rfind("SB 24", 0) == 0) ++r.subnegotiations24;
    }
  }
  return r;
}

class Storm : public ::testing::TestWithParam<const char*> {};

TEST_P(Storm, EveryRequestIsAnsweredOnceRefusalsAreNotAndTheRoadCompletes) {
  const int64_t rounds = reltest::heavySize("STORM_ROUNDS", 200, 20);
  NskSimProcess sim({"--hostile-negotiation", QString("%1:%2").arg(GetParam()).arg(rounds)});
  ASSERT_TRUE(sim.started());
  reltest::Operator op;
  ASSERT_TRUE(op.fullRoad(sim.hostPort(), 120000));
  EXPECT_EQ(op.count(NcpEvent::NcpLoggedOn), 1u);
  EXPECT_EQ(op.count(NcpEvent::LineStatus), 7u);

  const Replies r = replies(sim);
  // The opening: WILL 24 and the terminal type, DO 1, DO 3, WONT 31 (NAWS).
  // Each round: WILL x answered by DO for 0, 1, 3, by nothing for 23 to 25,
  // by DONT for the 250 others; DO x answered by WILL for 23 to 25 (with the
  // location after WILL 23), by nothing for 0, 1, 3, by WONT for the others;
  // WONT x and DONT x refuse what is refused already: no answer.
  EXPECT_EQ(r.byVerb.at("DONT"), 250 * rounds);
  EXPECT_EQ(r.byVerb.at("WONT"), 250 * rounds + 1);
  EXPECT_EQ(r.byVerb.at("DO"), 3 * rounds + 2);
  EXPECT_EQ(r.byVerb.at("WILL"), 3 * rounds + 1);
  for (const char* answer : {"DO 0", "WILL 23", "WILL 25"}) EXPECT_EQ(r.byAnswer.at(answer), rounds) << answer;
  for (const char* answer : {"DO 1", "DO 3", "WILL 24"}) EXPECT_EQ(r.byAnswer.at(answer), rounds + 1) << answer;
  EXPECT_EQ(r.byAnswer.count("DONT 1"), 0u);
  EXPECT_EQ(r.byAnswer.count("WONT 24"), 0u);
  EXPECT_EQ(r.negotiations, 4 + 506 * rounds);
  EXPECT_EQ(r.subnegotiations23, rounds);
  EXPECT_EQ(r.subnegotiations24, 1);
  // The host sent 4 * 256 * 3 bytes per round: the console's answers stay well below that.
  EXPECT_LE(r.bytes, 1600 * rounds + 64);
  reltest::figure(std::string(GetParam()) + " negotiation bytes sent back",
                  std::to_string(r.bytes) + " for " + std::to_string(rounds) + " rounds");
}

INSTANTIATE_TEST_SUITE_P(HostileHosts, Storm, ::testing::Values("storm", "mirror"));

TEST(Subnegotiation, OversizedIsIgnoredAndTheRoadCompletes) {
  NskSimProcess sim({"--hostile-negotiation", "oversized-sb:1048576"});
  ASSERT_TRUE(sim.started());
  const bool resettable = reltest::resetPeak();
  const long before = reltest::residentKiB();
  reltest::Operator op;
  ASSERT_TRUE(op.fullRoad(sim.hostPort(), 60000));
  EXPECT_EQ(op.count(NcpEvent::NcpLoggedOn), 1u);
  if (resettable && !reltest::sanitizedBuild()) {
    EXPECT_LT(reltest::peakResidentKiB() - before, 16 * 1024);
  }
  EXPECT_EQ(replies(sim).subnegotiations24, 1) << "the filler is not a SEND: only the opening's request is answered";
}

// A sub-negotiation that never ends swallows everything after it, the menu
// included: the console waits at the menu with bounded memory, and its next
// logon, on a new connection, starts with a clean telnet state.
TEST(Subnegotiation, UnterminatedSwallowsTheMenuAndTheNextLogonStartsClean) {
  reltest::Operator op;
  {
    NskSimProcess sim({"--hostile-negotiation", "unterminated-sb:1048576"});
    ASSERT_TRUE(sim.started());
    const bool resettable = reltest::resetPeak();
    const long before = reltest::residentKiB();
    op.session.Logon(sim.hostPort(), "OPS.OPER", "secret1");
    // Everything after the sub-negotiation's start is swallowed: the console
    // answers none of it and shows nothing of it, so no event marks that the
    // last byte has been read. Three seconds carry a megabyte over loopback
    // even on a loaded machine.
    korvtest::spin(3000);
    EXPECT_TRUE(op.session.IsConnected());
    EXPECT_TRUE(sim.commandsReceived().empty()) << "the menu was never seen";
    if (resettable && !reltest::sanitizedBuild()) {
      EXPECT_LT(reltest::peakResidentKiB() - before, 16 * 1024);
    }
  }
  NskSimProcess sound;
  ASSERT_TRUE(sound.started());
  EXPECT_TRUE(op.fullRoad(sound.hostPort()));
}

}  // namespace
