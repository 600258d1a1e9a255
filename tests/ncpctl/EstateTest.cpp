// ncpctl over several connections, PATHMONs and hosts in one run, against
// nsksim: the listings spread over connections give the one-connection tree,
// every PATHMON of two hosts is loaded, and check counts over all of them.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <algorithm>
#include <map>

#include "CtlRun.h"
#include "TestNetwork.h"
#include "support/NskSimProcess.h"

using ctltest::runCtl;
using ctltest::TestNetwork;
using korvtest::NskSimProcess;

namespace {

size_t countOf(const std::vector<std::string>& commands, const std::string& prefix) {
  return static_cast<size_t>(
      std::count_if(commands.begin(), commands.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}

// A text tree cut at its PATHMON lines (two blanks deep): the host line, then
// each PATHMON's block by name.
struct TreeBlocks {
  std::string hostLine;
  std::vector<std::string> order;
  std::map<std::string, std::string> blocks;
};

TreeBlocks cut(const std::string& tree) {
  TreeBlocks cut;
  std::string current;
  size_t start = 0;
  while (start < tree.size()) {
    const size_t end = tree.find('\n', start) + 1;
    const std::string line = tree.substr(start, end - start);
    start = end;
    if (cut.hostLine.empty()) {
      cut.hostLine = line;
    } else if (line.rfind("  ", 0) == 0 && line[2] != ' ') {
      // "  $PA01" or "  ($PA01)": the name without the brackets.
      current = QString::fromStdString(line).remove(QRegularExpression("[ ()\\n]")).toStdString();
      cut.order.push_back(current);
      cut.blocks[current] = line;
    } else {
      cut.blocks[current] += line;
    }
  }
  return cut;
}

// The host's tree as one run gives it with every PATHMON loaded: each
// PATHMON's block from the one-connection run that logged on to it.
std::string everyPathmonLoaded(const NskSimProcess& sim) {
  const auto listed = runCtl(ctltest::demoArgs(sim) << "pathmons");
  std::string tree;
  for (const QString& pathmon : QString::fromStdString(listed.out).split('\n', Qt::SkipEmptyParts)) {
    const auto one = runCtl(ctltest::demoArgs(sim) << "--connections"
                                                   << "1"
                                                   << "--pathmon" << pathmon << "tree");
    EXPECT_EQ(one.exitCode, 0) << one.err;
    const TreeBlocks blocks = cut(one.out);
    if (tree.empty()) tree = blocks.hostLine;
    tree += blocks.blocks.at(pathmon.toStdString());
  }
  return tree;
}

}  // namespace

TEST(NcpctlEstate, ListingsOverSeveralConnectionsGiveTheOneConnectionTree) {
  NskSimProcess sim({"--stations", "300", "--page", "7"});
  ASSERT_TRUE(sim.started());
  const auto one = runCtl(ctltest::demoArgs(sim) << "--connections"
                                                 << "1"
                                                 << "--format"
                                                 << "json"
                                                 << "tree");
  ASSERT_EQ(one.exitCode, 0) << one.err;
  EXPECT_EQ(countOf(sim.commandsReceived(), "NCPCOM"), 1u);
  const auto four = runCtl(ctltest::demoArgs(sim) << "--connections"
                                                  << "4"
                                                  << "--format"
                                                  << "json"
                                                  << "tree");
  ASSERT_EQ(four.exitCode, 0) << four.err;
  EXPECT_EQ(four.out, one.out);
  // The operator's connection and three listing connections logged on to NCP.
  EXPECT_EQ(countOf(sim.commandsReceived(), "NCPCOM"), 1u + 4u);
}

TEST(NcpctlEstate, TreeOfTwoHostsShowsEveryPathmonLoaded) {
  const TestNetwork net = TestNetwork::sample();
  NskSimProcess first({"--network", net.writeFile()});
  NskSimProcess second;
  ASSERT_TRUE(first.started() && second.started());
  const std::string expected = everyPathmonLoaded(first) + everyPathmonLoaded(second);
  const auto r =
      runCtl({"--host", QString::fromStdString(first.hostPort()), "--host", QString::fromStdString(second.hostPort()),
              "--user", "OPS.OPER", "--password-stdin", "--ncp-user", "NCPOPER", "--pathmon", "all", "tree"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, expected);
}

TEST(NcpctlEstate, CheckCountsOverEveryPathmonAndNamesEachInItsLongOutput) {
  const TestNetwork net = TestNetwork::sample();
  NskSimProcess sim({"--network", net.writeFile()});
  ASSERT_TRUE(sim.started());
  const auto r = runCtl(ctltest::demoArgs(sim) << "--pathmon"
                                               << "$PA01,$PA02"
                                               << "check");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "NCP OK - 5 started, 3 starting, 4 stopped, 3 abnormal | started=5;; starting=3;; stopped=4;; "
            "abnormal=3;;\n" +
                net.system + " $PA01: 4 started, 2 starting, 3 stopped, 3 abnormal\n" + net.system +
                " $PA02: 1 started, 1 starting, 1 stopped, 0 abnormal\n");
}

// The host ends a listing connection in the middle of its listing: the run
// says so and fails rather than print a tree with a hole.
TEST(NcpctlEstate, ListingConnectionEndedMidListingFailsTheRun) {
  NskSimProcess sim({"--stations", "50", "--close-on", "STATUS LINE"});
  ASSERT_TRUE(sim.started());
  const auto r = runCtl(ctltest::demoArgs(sim) << "tree");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(r.out.empty());
  EXPECT_TRUE(QString::fromStdString(r.err).contains(
      QRegularExpression("^ncpctl: listing connection [2-4] ended during STATUS LINE \\*\n$")))
      << r.err;
}
