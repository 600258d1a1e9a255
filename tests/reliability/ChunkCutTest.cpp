// A recorded host dialogue (TACL logon, NCP logon with the object load across
// MORE pages, a full status refresh) played back to the console cut in many
// ways: at every split point of every host turn, and at random points. The
// state events, the tree and what the console sends are the same for every
// cut. An echo cut in two is not stripped and reaches the handlers as a line,
// which raises no event, so the events are compared, not the raw lines. Then
// the page prompts of other hosts, cut at every position around them.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "Operator.h"
#include "StreamReplay.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"

using korvtest::NskSimProcess;
using reltest::Recording;
using reltest::ReplayHost;

namespace {

struct Outcome {
  std::vector<std::string> events;
  std::string tree;
  std::string sent;
  int closes = 0;
  bool complete = false;
};

// The operator's road: logon, NCP logon on $PM01, then Refresh All.
bool road(reltest::Operator& op, const std::string& hostPort) {
  if (!op.fullRoad(hostPort, 10000)) return false;
  op.session.StatusAll();
  return korvtest::waitUntil([&] { return op.session.StatusAllStep() == 3 && op.idle(); }, 10000);
}

Outcome outcomeOf(const reltest::Operator& op, bool complete, std::string sent) {
  return {op.events, op.tree.dump(), std::move(sent), op.closes, complete};
}

std::string consoleBytes(const Recording& recording) {
  std::string bytes;
  for (const reltest::Turn& turn : recording)
    if (!turn.fromHost) bytes += turn.bytes;
  return bytes;
}

class ChunkCuts : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Three lines to a page, and telnet commands and NUL bytes sprinkled
    // into the output: the cuts also fall inside page prompts and commands.
    NskSimProcess sim({"--page", "3", "--sprinkle"});
    ASSERT_TRUE(sim.started());
    reltest::RecordingProxy proxy(sim.port());
    reltest::Operator op;
    const bool complete = road(op, proxy.hostPort());
    s_recording = new Recording(proxy.recording());
    s_reference = new Outcome(outcomeOf(op, complete, consoleBytes(*s_recording)));
  }
  static void TearDownTestSuite() {
    delete s_recording;
    delete s_reference;
  }

  static Outcome replay(const ReplayHost::Cuts& cuts) {
    reltest::Operator op;
    ReplayHost host(*s_recording, cuts, op.session);
    const bool complete = road(op, host.hostPort()) && korvtest::waitUntil([&] { return host.finished(); });
    return outcomeOf(op, complete, host.received());
  }

  static size_t longestHostTurn() {
    size_t longest = 0;
    for (const reltest::Turn& turn : *s_recording)
      if (turn.fromHost) longest = std::max(longest, turn.bytes.size());
    return longest;
  }

  static Recording* s_recording;
  static Outcome* s_reference;
};

Recording* ChunkCuts::s_recording = nullptr;
Outcome* ChunkCuts::s_reference = nullptr;

void expectSame(const Outcome& cut, const Outcome& reference) {
  EXPECT_TRUE(cut.complete);
  EXPECT_EQ(cut.events, reference.events);
  EXPECT_EQ(cut.tree, reference.tree);
  EXPECT_EQ(cut.sent, reference.sent);
  EXPECT_EQ(cut.closes, 0);
}

TEST_F(ChunkCuts, RecordedDialogueIsCompleteAndReplaysWhole) {
  ASSERT_TRUE(s_reference->complete);
  ASSERT_GT(s_reference->events.size(), 40u);
  ASSERT_GT(std::count_if(s_recording->begin(), s_recording->end(),
                          [](const reltest::Turn& turn) { return turn.bytes.find("MORE") != std::string::npos; }),
            3);
  expectSame(replay([](size_t, size_t) { return std::vector<size_t>{}; }), *s_reference);
}

// Replay k cuts every host turn at the positions congruent to k modulo the
// stride; the stride is longer than any line, so no line is cut twice, and
// over all replays every position of every turn is a cut.
TEST_F(ChunkCuts, EverySplitPointOfEveryHostTurnGivesTheSameOutcome) {
  constexpr size_t kStride = 211;
  ASSERT_GT(longestHostTurn(), kStride);
  for (size_t k = 0; k < kStride; ++k) {
    SCOPED_TRACE(k);
    const Outcome cut = replay([k](size_t, size_t length) {
      std::vector<size_t> cuts;
      for (size_t at = k == 0 ? kStride : k; at < length; at += kStride) cuts.push_back(at);
      return cuts;
    });
    expectSame(cut, *s_reference);
    if (HasFailure()) break;
  }
}

TEST_F(ChunkCuts, RandomSplitsGiveTheSameOutcome) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(seed);
    const Outcome cut = replay([seed](size_t turn, size_t length) {
      std::mt19937 random(seed * 7919u + static_cast<unsigned>(turn));
      const double density = std::uniform_real_distribution<double>(0.0, 0.3)(random);
      std::bernoulli_distribution cutHere(density);
      std::vector<size_t> cuts;
      for (size_t at = 1; at < length; ++at)
        if (cutHere(random)) cuts.push_back(at);
      return cuts;
    });
    expectSame(cut, *s_reference);
    if (HasFailure()) break;
  }
}

struct RecordedLoad {
  Recording recording;
  std::string tree;
};

// The load of $PM01, recorded, by a console that waits quietMs after a
// partial line that may be a cut page prompt.
RecordedLoad recordedLoad(const QStringList& simArgs, int quietMs) {
  NskSimProcess sim(simArgs);
  reltest::RecordingProxy proxy(sim.port());
  reltest::Operator op;
  op.session.PagePromptQuietMs = quietMs;
  const bool loaded = sim.started() && op.fullRoad(proxy.hostPort());
  return {proxy.recording(), loaded ? op.tree.dump() : "(not loaded)"};
}

// Page prompts of other hosts, at pages of 1, 3 and 7 lines: the bare word
// MORE with and without the echo of the empty answer, and NCPCOM's text
// without its blank or the echo. Replay k cuts each prompt k - 2 bytes before
// its start and what follows its answer k + 1 bytes in; every object loads.
TEST(PagePromptCuts, EveryCutAroundEveryPromptLoadsEveryObject) {
  const std::string unpaged = recordedLoad({"--page", "0"}, 0).tree;
  // The bare word is whole once it has come, so no quiet time answers it
  // early; where the prompt's text must decide alone, the quiet never ends.
  const struct {
    QStringList simArgs;
    std::string prompt;
    int quietMs;
  } rows[] = {{{"--bare-more"}, "MORE", 1},
              {{"--bare-more", "--bare-pages"}, "MORE", 1},
              {{"--bare-pages"}, "MORE (RETURN TO CONTINUE)", 600000}};
  for (const auto& row : rows) {
    for (const int page : {1, 3, 7}) {
      const RecordedLoad load = recordedLoad(row.simArgs + QStringList{"--page", QString::number(page)}, row.quietMs);
      std::vector<bool> atPrompt;  // per host turn: it ends in the prompt, on a line of its own
      for (const reltest::Turn& turn : load.recording)
        if (turn.fromHost) atPrompt.push_back(turn.bytes.ends_with("\r\n" + row.prompt));
      ASSERT_GE(std::count(atPrompt.begin(), atPrompt.end(), true), 4);
      for (size_t k = 0; k < row.prompt.size() + 2; ++k) {
        SCOPED_TRACE(row.simArgs.join(' ').toStdString() + " page " + std::to_string(page) + " cut " +
                     std::to_string(k));
        reltest::Operator op;
        op.session.PagePromptQuietMs = row.quietMs;
        const auto cuts = [&](size_t turn, size_t length) {
          std::vector<size_t> at;
          if (turn > 0 && atPrompt[turn - 1] && k + 1 < length) at.push_back(k + 1);
          const size_t inPrompt = length - row.prompt.size() - 2 + k;
          if (atPrompt[turn] && (at.empty() || inPrompt > at.back())) at.push_back(inPrompt);
          return at;
        };
        ReplayHost host(load.recording, cuts, op.session);
        EXPECT_TRUE(op.fullRoad(host.hostPort()) && korvtest::waitUntil([&] { return host.finished(); }));
        EXPECT_EQ(op.tree.dump(), unpaged);
        EXPECT_EQ(host.received(), consoleBytes(load.recording)) << "one answer to each page";
        if (HasFailure()) return;
      }
    }
  }
}

}  // namespace
