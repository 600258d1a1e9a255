// The listing connections against nsksim, driven as a front end drives them:
// the operator's connection stays free while a listing runs elsewhere.
#include <gtest/gtest.h>

#include <algorithm>

#include "ncp/ListingPool.h"
#include "ncp/MemoryTree.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"

using korvtest::NskSimProcess;
using korvtest::waitUntil;

namespace {

struct PoolRig {
  TNCPTelnet lead;
  TXPNetObjList registry;
  ncp::MemoryTree tree;
  NCPStateHandler handler{lead, registry, tree};
  ConnectionBudget budget;
  ListingPool pool{lead, handler, budget};
  bool pathmonsListed = false;

  explicit PoolRig(int extra) {
    pool.Extra = extra;
    lead.OnNCPState = [this](const std::string& text) { handler.NCPState(text); };
    handler.OnExpandHost = [this](ncp::TreeNode*) { pathmonsListed = true; };
  }

  const ExtInfo* first(TXPNetType type) const {
    const auto& items = registry.Items();
    const auto it = std::find_if(items.begin(), items.end(), [&](const auto& e) { return e->NetType == type; });
    return it == items.end() ? nullptr : it->get();
  }

  // TACL logon, then NCP on the first PATHMON, as the window does on a double click.
  bool logon(const NskSimProcess& sim) {
    lead.Logon(sim.hostPort(), "OPS.OPER", "secret1");
    if (!waitUntil([&] { return pathmonsListed; })) return false;
    handler.LogonNCP(first(xpPathmon)->Node, "NCPOPER", "secret2");
    return true;
  }
};

}  // namespace

// The line listing never ends on its connection (the host falls silent
// there); a STOP given meanwhile goes out on the operator's connection and
// is answered while the listing still runs.
TEST(ListingPool, CommandDuringAListingGoesOutOnTheOperatorsConnection) {
  NskSimProcess sim({"--stations", "40", "--silent-on", "STATUS LINE"});
  ASSERT_TRUE(sim.started());
  PoolRig rig(3);
  ASSERT_TRUE(rig.logon(sim));
  const auto sent = [&](const std::string& command) {
    const auto received = sim.commandsReceived();
    return std::find(received.begin(), received.end(), command) != received.end();
  };
  ASSERT_TRUE(waitUntil([&] { return sent("STATUS LINE *") && rig.first(xpLine); }));
  ASSERT_TRUE(rig.pool.Busy());

  bool stopAnswered = false;
  rig.lead.OnStringAvailable = [&](TTnCnx*, const std::string&, TNSKTelnetState state) {
    if (state == atsCommandEnd) stopAnswered = true;
  };
  const std::string line = rig.first(xpLine)->Name;
  rig.lead.Perform(ncp::NcpAction::Stop, xpLine, line);
  EXPECT_TRUE(waitUntil([&] { return stopAnswered; }));
  EXPECT_TRUE(sent("STOP LINE " + line));
  EXPECT_TRUE(rig.pool.Busy());
  EXPECT_EQ(rig.pool.Connections(), 3u);
}
