// The same host dialogue cut into pieces of many sizes by the simulator (each
// piece its own send, so the console reads it in those cuts): the state
// events and the tree are the same for every cut. An echo cut in two is not
// stripped and reaches the handlers as a line, which raises no event, so the
// events are compared, not the raw lines.
#include <gtest/gtest.h>

#include "Operator.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"

using korvtest::NskSimProcess;

namespace {

struct Outcome {
  std::vector<std::string> events;
  std::string tree;
};

Outcome road(QStringList args) {
  // Without page prompts: a prompt cut after its first four letters leaves
  // the rest of it at the start of the next listing line.
  args << "--page" << "0";
  NskSimProcess sim(args);
  EXPECT_TRUE(sim.started());
  reltest::Operator op;
  EXPECT_TRUE(op.fullRoad(sim.hostPort(), 120000));
  op.session.StatusAll();
  EXPECT_TRUE(korvtest::waitUntil([&] { return op.session.StatusAllStep() == 3 && op.idle(); }, 60000));
  return {op.events, op.tree.dump()};
}

TEST(ChunkCuts, EveryCutSizeGivesTheSameEventsAndTree) {
  const Outcome whole = road({});
  ASSERT_GT(whole.events.size(), 40u);
  for (int size : {1, 2, 3, 4, 5, 7, 11, 13, 17, 31, 64, 127, 509, 2047, 2049}) {
    SCOPED_TRACE(size);
    const Outcome cut = road({"--chunk", QString::number(size)});
    EXPECT_EQ(cut.events, whole.events);
    EXPECT_EQ(cut.tree, whole.tree);
  }
}

}  // namespace
