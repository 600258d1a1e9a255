// NCPCOM page prompts in the forms hosts use besides the simulator's usual
// one: the bare word MORE, with and without the echo of the empty answer, and
// the prompt text without its trailing blank and without the echo. The load
// is recorded once per page size and replayed cut at every position around
// each prompt and at the start of what follows its answer: every object is
// loaded, and each page is answered once.
#include <gtest/gtest.h>

#include "Operator.h"
#include "StreamReplay.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"

using korvtest::NskSimProcess;
using reltest::Recording;

namespace {

struct PromptRow {
  const char* name;
  QStringList simArgs;
  std::string prompt;  // as the host writes it after a line end, last in its turn
  // The console's PagePromptQuietMs. Short for the bare word, which is whole
  // when it has come, so no quiet time can answer it early; long where the
  // prompt's own text must decide, so that no replay depends on timing.
  int quietMs;
};

void PrintTo(const PromptRow& row, std::ostream* os) { *os << row.name; }

// The demo network's tree loaded without pages: what every replay must show.
const std::string& unpagedTree() {
  static const std::string tree = [] {
    NskSimProcess sim({"--page", "0"});
    reltest::Operator op;
    return sim.started() && op.fullRoad(sim.hostPort()) ? op.tree.dump() : std::string("(not loaded)");
  }();
  return tree;
}

// Which host turns end in the page prompt, on a line of its own.
std::vector<bool> promptTurns(const Recording& recording, const std::string& prompt) {
  const std::string ending = "\r\n" + prompt;
  std::vector<bool> atPrompt;
  for (const reltest::Turn& turn : recording) {
    if (!turn.fromHost) continue;
    const std::string& bytes = turn.bytes;
    atPrompt.push_back(bytes.size() > ending.size() &&
                       bytes.compare(bytes.size() - ending.size(), ending.size(), ending) == 0);
  }
  return atPrompt;
}

// Cut k of a host turn: k + 1 bytes into a turn that follows an answered
// prompt, and k - 2 bytes from the start of the prompt that ends a turn (from
// before its line end to before its last letter).
std::vector<size_t> cutsAround(const std::vector<bool>& atPrompt, size_t promptLength, size_t k, size_t turn,
                               size_t length) {
  std::vector<size_t> cuts;
  if (turn > 0 && atPrompt[turn - 1] && k + 1 < length) cuts.push_back(k + 1);
  const size_t inPrompt = length - promptLength - 2 + k;
  if (atPrompt[turn] && (cuts.empty() || inPrompt > cuts.back())) cuts.push_back(inPrompt);
  return cuts;
}

class PagePromptCuts : public ::testing::TestWithParam<PromptRow> {};

TEST_P(PagePromptCuts, EveryCutAroundEveryPromptLoadsEveryObject) {
  const PromptRow& row = GetParam();
  ASSERT_NE(unpagedTree(), "(not loaded)");
  for (const int page : {1, 3, 7}) {
    SCOPED_TRACE("page " + std::to_string(page));
    NskSimProcess sim(row.simArgs + QStringList{"--page", QString::number(page)});
    ASSERT_TRUE(sim.started());
    reltest::RecordingProxy proxy(sim.port());
    reltest::Operator recorder;
    recorder.session.PagePromptQuietMs = row.quietMs;
    ASSERT_TRUE(recorder.fullRoad(proxy.hostPort()));
    const Recording recording = proxy.recording();
    const std::vector<bool> atPrompt = promptTurns(recording, row.prompt);
    ASSERT_GE(std::count(atPrompt.begin(), atPrompt.end(), true), 4);

    for (size_t k = 0; k < row.prompt.size() + 2; ++k) {
      SCOPED_TRACE("cut " + std::to_string(k));
      reltest::Operator op;
      op.session.PagePromptQuietMs = row.quietMs;
      reltest::ReplayHost host(
          recording,
          [&](size_t turn, size_t length) { return cutsAround(atPrompt, row.prompt.size(), k, turn, length); },
          op.session);
      EXPECT_TRUE(op.fullRoad(host.hostPort()) && korvtest::waitUntil([&] { return host.finished(); }));
      EXPECT_EQ(op.tree.dump(), unpagedTree());
      EXPECT_EQ(host.received(), reltest::consoleBytes(recording)) << "one answer to each page";
      if (HasFailure()) return;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PagePromptCuts,
    ::testing::Values(PromptRow{"BareMoreEchoed", {"--bare-more"}, "MORE", 1},
                      PromptRow{"BareMoreNotEchoed", {"--bare-more", "--bare-pages"}, "MORE", 1},
                      PromptRow{"NoTrailingBlankNotEchoed", {"--bare-pages"}, "MORE (RETURN TO CONTINUE)", 600000}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
