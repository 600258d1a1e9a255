// The network object registry on the in-memory tree: node texts and pictures,
// look-ups by name, type and node, deletion of a PATHMON's objects.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "ncp/MemoryTree.h"
#include "ncp/TXPNetObjList.h"

namespace {

using ncp::MemoryTree;
using ncp::TreeNode;

class Registry : public testing::Test {
 protected:
  Registry() {
    host = tree.addChild(nullptr, "\\SYS1");
    reg.SetTreeNodes(&tree);
  }

  // The children of a node as their texts.
  static std::vector<std::string> texts(const TreeNode* node) {
    std::vector<std::string> out;
    for (int i = 0; i < node->childCount(); ++i) out.push_back(node->child(i)->text());
    return out;
  }

  const ExtInfo& item(size_t i) const { return *reg.Items().at(i); }

  // $PM01 with process TCPIP1 holding station ST1 and line L1.
  void loadSmallNetwork() {
    reg.AddPathmon(host, "$PM01");
    reg.AddProcess("$PM01", "TCPIP1", nsStarted);
    reg.AddStation("TCPIP1", "ST1");
    reg.AddLine("TCPIP1", "L1");
  }

  MemoryTree tree;
  TreeNode* host = nullptr;
  TXPNetObjList reg;
};

using Texts = std::vector<std::string>;

TEST_F(Registry, PathmonNodeShowsPicture1AndItsBareName) {
  reg.AddPathmon(host, "$PM01");
  ASSERT_EQ(host->childCount(), 1);
  const TreeNode* node = host->child(0);
  EXPECT_EQ(node->text(), "$PM01");
  EXPECT_EQ(node->imageIndex(), 1);
  EXPECT_EQ(node->selectedIndex(), 1);
  EXPECT_EQ(node->stateIndex(), 1);
  ASSERT_EQ(reg.Items().size(), 1u);
  EXPECT_EQ(item(0).Name, "$PM01");
  EXPECT_EQ(item(0).NetType, xpPathmon);
  EXPECT_EQ(item(0).Status, nsStarted);
  EXPECT_EQ(item(0).Node, node);
}

TEST_F(Registry, ProcessNodeTextAndPictureFollowItsStatus) {
  reg.AddPathmon(host, "$PM01");
  reg.AddProcess("$PM01", "TCPIP1", nsStopped);
  reg.AddProcess("$PM01", "TCPIP2", nsStarting);
  const TreeNode* pathmon = host->child(0);
  EXPECT_EQ(texts(pathmon), (Texts{"(Stopped) TCPIP1", "(Starting) TCPIP2"}));
  EXPECT_EQ(pathmon->child(0)->imageIndex(), 4);
  EXPECT_EQ(pathmon->child(0)->selectedIndex(), 4);
  EXPECT_EQ(pathmon->child(1)->imageIndex(), 3);
  EXPECT_EQ(pathmon->child(1)->stateIndex(), -1) << "adding sets no state picture";
  EXPECT_EQ(item(1).Status, nsStopped);
  EXPECT_EQ(item(2).Status, nsStarting);
}

TEST_F(Registry, StationsAndLinesStartAsStartedUnderTheirProcess) {
  loadSmallNetwork();
  const TreeNode* process = host->child(0)->child(0);
  EXPECT_EQ(texts(process), (Texts{"(Started) ST1", "(Started) L1"}));
  EXPECT_EQ(process->child(0)->imageIndex(), 8);
  EXPECT_EQ(process->child(1)->imageIndex(), 5);
  EXPECT_EQ(item(2).NetType, xpStation);
  EXPECT_EQ(item(3).NetType, xpLine);
}

// Text and pictures that SetStatusObj gives each type in each status.
struct PictureRow {
  std::string name;
  TXPNetType type;
  TXPNetStatus status;
  std::string text;
  int picture;
};

void PrintTo(const PictureRow& row, std::ostream* os) { *os << row.name; }

class StatusPictures : public Registry, public testing::WithParamInterface<PictureRow> {};

TEST_P(StatusPictures, SetStatusObjSetsTextAndAllThreePictures) {
  const auto& r = GetParam();
  loadSmallNetwork();
  const std::string name = r.type == xpProcess ? "TCPIP1" : r.type == xpStation ? "ST1" : "L1";
  reg.SetStatusObj(name, r.type, r.status);
  const TreeNode* node = nullptr;
  for (const auto& e : reg.Items()) {
    if (e->NetType == r.type) node = e->Node;
  }
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->text(), r.text + " " + name);
  EXPECT_EQ(node->imageIndex(), r.picture);
  EXPECT_EQ(node->selectedIndex(), r.picture);
  EXPECT_EQ(node->stateIndex(), r.picture);
}

INSTANTIATE_TEST_SUITE_P(Rows, StatusPictures,
                         testing::Values(PictureRow{"ProcessStarted", xpProcess, nsStarted, "(Started)", 2},
                                         PictureRow{"ProcessStarting", xpProcess, nsStarting, "(Starting)", 3},
                                         PictureRow{"ProcessAbnormal", xpProcess, nsAbnormal, "(Abnormal)", 4},
                                         PictureRow{"ProcessStopped", xpProcess, nsStopped, "(Stopped)", 4},
                                         PictureRow{"LineStarted", xpLine, nsStarted, "(Started)", 5},
                                         PictureRow{"LineStarting", xpLine, nsStarting, "(Starting)", 6},
                                         PictureRow{"LineAbnormal", xpLine, nsAbnormal, "(Abnormal)", 7},
                                         PictureRow{"LineStopped", xpLine, nsStopped, "(Stopped)", 7},
                                         PictureRow{"StationStarted", xpStation, nsStarted, "(Started)", 8},
                                         PictureRow{"StationStarting", xpStation, nsStarting, "(Starting)", 9},
                                         PictureRow{"StationAbnormal", xpStation, nsAbnormal, "(Abnormal)", 10},
                                         PictureRow{"StationStopped", xpStation, nsStopped, "(Stopped)", 10}),
                         [](const testing::TestParamInfo<PictureRow>& info) { return info.param.name; });

TEST(RegistryPictures, UnknownTypeUsesTheProcessPictures) {
  EXPECT_EQ(TXPNetObjList::PictureIndex(xpUnknown, nsStarted), 2);
  EXPECT_EQ(TXPNetObjList::PictureIndex(xpUnknown, nsStopped), 4);
  EXPECT_EQ(TXPNetObjList::PictureIndex(xpPathmon, nsStarted), 1);
}

TEST(RegistryPictures, ValuesOutsideTheEnumerationsStayInsideThePictureList) {
  const int picture = TXPNetObjList::PictureIndex(static_cast<TXPNetType>(200), static_cast<TXPNetStatus>(77));
  EXPECT_GE(picture, 0);
  EXPECT_LE(picture, 10);
  EXPECT_STREQ(TXPNetObjList::StatusText(static_cast<TXPNetStatus>(77)), "(Abnormal)");
}

TEST_F(Registry, SharedLineIsUpdatedOnEveryStationThatUsesIt) {
  loadSmallNetwork();
  reg.AddLine("TCPIP1", "L1");
  const TreeNode* process = host->child(0)->child(0);
  EXPECT_EQ(texts(process), (Texts{"(Started) ST1", "(Started) L1", "(Started) L1"}));

  reg.SetStatusObj("L1", xpLine, nsAbnormal);
  EXPECT_EQ(texts(process), (Texts{"(Started) ST1", "(Abnormal) L1", "(Abnormal) L1"}));
  EXPECT_EQ(process->child(1)->imageIndex(), 7);
  EXPECT_EQ(process->child(2)->imageIndex(), 7);
  EXPECT_EQ(item(3).Status, nsAbnormal) << "the entry has the status its node shows";
  EXPECT_EQ(item(4).Status, nsAbnormal);
}

// Status answers usually come in the order the objects were loaded; an object
// right after the last one changed is still looked up in full: a name entered
// again further on changes there too, and an object of another type with the
// same name does not.
TEST_F(Registry, StatusAnswersInLoadOrderReachEveryEntryOfTheName) {
  reg.AddPathmon(host, "$PM01");
  reg.AddProcess("$PM01", "P1", nsStarted);
  for (const char* name : {"S1", "S2", "S3", "S4"}) {
    reg.AddStation("P1", name);
    reg.AddLine("P1", std::string("L") + name);
  }
  reg.AddStation("P1", "S3");
  reg.AddLine("P1", "S2");
  for (const char* name : {"S1", "S2", "S3", "S4"}) reg.SetStatusObj(name, xpStation, nsStopped);
  const TreeNode* process = host->child(0)->child(0);
  EXPECT_EQ(texts(process), (Texts{"(Stopped) S1", "(Started) LS1", "(Stopped) S2", "(Started) LS2", "(Stopped) S3",
                                   "(Started) LS3", "(Stopped) S4", "(Started) LS4", "(Stopped) S3", "(Started) S2"}));
}

TEST_F(Registry, StatusUpdateIsScopedToTheType) {
  loadSmallNetwork();
  reg.AddStation("TCPIP1", "TCPIP1");
  reg.SetStatusObj("TCPIP1", xpStation, nsStopped);
  const TreeNode* process = host->child(0)->child(0);
  EXPECT_EQ(process->text(), "(Started) TCPIP1");
  EXPECT_EQ(process->imageIndex(), 2);
  EXPECT_EQ(process->child(2)->text(), "(Stopped) TCPIP1");
  EXPECT_EQ(process->child(2)->imageIndex(), 10);
}

TEST_F(Registry, StatusUpdateComparesNamesExactly) {
  loadSmallNetwork();
  for (const char* name : {"l1", "L1 ", " L1", "L"}) reg.SetStatusObj(name, xpLine, nsStopped);
  reg.SetStatusObj("L1", xpUnknown, nsStopped);
  reg.SetStatusObj("L1", static_cast<TXPNetType>(9), nsStopped);
  EXPECT_EQ(host->child(0)->child(0)->child(1)->text(), "(Started) L1");
}

TEST_F(Registry, AddingUnderAnUnknownParentDoesNothing) {
  loadSmallNetwork();
  const size_t nodes = tree.size();
  reg.AddProcess("$pm01", "P2", nsStarted);   // letter case
  reg.AddProcess("$PM02", "P2", nsStarted);   // not registered
  reg.AddProcess("TCPIP1", "P2", nsStarted);  // a process, not a PATHMON
  reg.AddStation("tcpip1", "ST2");
  reg.AddStation("$PM01", "ST2");  // a PATHMON, not a process
  reg.AddLine("ST1", "L2");        // a station, not a process
  reg.AddLine("TCPIP1 ", "L2");
  EXPECT_EQ(tree.size(), nodes);
  EXPECT_EQ(reg.Items().size(), 4u);
}

TEST_F(Registry, ChildrenGoUnderTheFirstParentOfThatName) {
  reg.AddPathmon(host, "$PM01");
  reg.AddPathmon(host, "$PM01");
  reg.AddProcess("$PM01", "P1", nsStarted);
  EXPECT_EQ(host->child(0)->childCount(), 1);
  EXPECT_EQ(host->child(1)->childCount(), 0);
}

TEST_F(Registry, NothingIsAddedBeforeTheTreeIsSet) {
  TXPNetObjList fresh;
  fresh.AddPathmon(host, "$PM01");
  EXPECT_TRUE(fresh.Items().empty());
  EXPECT_EQ(host->childCount(), 0);
}

TEST_F(Registry, SetStatusObjWritesOneDebugLineWithNoSender) {
  std::vector<std::string> lines;
  reg.OnDebug = [&](TTnCnx* sender, const std::string& str) {
    EXPECT_EQ(sender, nullptr);
    lines.push_back(str);
  };
  loadSmallNetwork();
  reg.SetStatusObj("TCPIP1", xpLine, nsStopped);
  reg.SetStatusObj("NOSUCH", xpProcess, nsStarting);
  reg.SetStatusObj("ST1", xpStation, nsAbnormal);
  reg.SetStatusObj("L1", xpLine, nsStarted);
  EXPECT_EQ(lines, (Texts{"SetStatusObj Name=TCPIP1 Type=xpLine Status=nsStopped",
                          "SetStatusObj Name=NOSUCH Type=xpProcess Status=nsStarting",
                          "SetStatusObj Name=ST1 Type=xpStation Status=nsAbnormal",
                          "SetStatusObj Name=L1 Type=xpLine Status=nsStarted"}));
}

TEST_F(Registry, DeletePathmonChildrenLeavesExactlyThePathmons) {
  reg.AddPathmon(host, "$PM01");
  reg.AddPathmon(host, "$PM02");
  reg.AddProcess("$PM01", "P1", nsStarted);
  reg.AddProcess("$PM02", "P2", nsStopped);
  reg.AddProcess("$PM01", "P3", nsStarted);
  reg.AddStation("P1", "S1");
  reg.AddLine("P1", "L1");
  reg.AddStation("P2", "S2");
  reg.AddLine("P2", "L1");
  reg.AddStation("P3", "S3");
  reg.AddLine("P1", "L1");
  host->child(0)->setText("($PM01)");

  reg.DeletePathmonChildren();

  EXPECT_EQ(tree.dump(), "\\SYS1\n  ($PM01)\n  $PM02\n");
  ASSERT_EQ(reg.Items().size(), 2u);
  EXPECT_EQ(item(0).Name, "$PM01");
  EXPECT_EQ(item(0).Node, host->child(0));
  EXPECT_EQ(item(1).Name, "$PM02");
  EXPECT_EQ(item(1).Node, host->child(1));
}

TEST_F(Registry, ObjectsCanBeReloadedAfterDeletion) {
  loadSmallNetwork();
  reg.DeletePathmonChildren();
  reg.SetStatusObj("L1", xpLine, nsStopped);  // must not touch the deleted node
  reg.AddStation("TCPIP1", "ST1");            // its process is gone
  EXPECT_EQ(tree.size(), 2u);

  reg.AddProcess("$PM01", "TCPIP1", nsStarting);
  reg.AddLine("TCPIP1", "L1");
  reg.SetStatusObj("L1", xpLine, nsStopped);
  EXPECT_EQ(tree.dump(), "\\SYS1\n  $PM01\n    (Starting) TCPIP1\n      (Stopped) L1\n");
  EXPECT_EQ(reg.FindByNode(host->child(0)->child(0)), reg.Items().at(1).get());
}

TEST_F(Registry, StatusCountsFollowAddsChangesAndReloadsAndLeaveOutPathmons) {
  const auto counts = [&] {
    return std::vector<size_t>{reg.StatusCount(nsAbnormal), reg.StatusCount(nsStopped), reg.StatusCount(nsStarting),
                               reg.StatusCount(nsStarted)};
  };
  loadSmallNetwork();
  EXPECT_EQ(counts(), (std::vector<size_t>{0, 0, 0, 3}));
  reg.SetStatusObj("L1", xpLine, nsStopped);
  reg.SetStatusObj("L1", xpLine, nsStopped);
  reg.SetStatusObj("ST1", xpStation, nsAbnormal);
  EXPECT_EQ(counts(), (std::vector<size_t>{1, 1, 0, 1}));
  reg.DeletePathmonChildren();
  EXPECT_EQ(counts(), (std::vector<size_t>{0, 0, 0, 0}));
  reg.AddProcess("$PM01", "TCPIP1", nsStarting);
  EXPECT_EQ(counts(), (std::vector<size_t>{0, 0, 1, 0}));
  reg.Clear();
  EXPECT_EQ(counts(), (std::vector<size_t>{0, 0, 0, 0}));
}

TEST_F(Registry, FindByNodeGivesTheEntryOrElseTheLastOne) {
  EXPECT_EQ(reg.FindByNode(host), nullptr) << "empty registry";
  EXPECT_EQ(reg.FindByNode(nullptr), nullptr);

  reg.AddPathmon(host, "$PM01");
  reg.AddProcess("$PM01", "P1", nsStarted);
  reg.AddProcess("$PM01", "P2", nsStarted);
  const TreeNode* pathmon = host->child(0);
  EXPECT_EQ(reg.FindByNode(pathmon), &item(0));
  EXPECT_EQ(reg.FindByNode(pathmon->child(0)), &item(1));
  EXPECT_EQ(reg.FindByNode(host), &item(2)) << "the host node is never registered";
  EXPECT_EQ(reg.FindByNode(nullptr), &item(2));
}

TEST_F(Registry, ClearDropsEntriesButNotNodesTreeOrDebugEvent) {
  int debugLines = 0;
  reg.OnDebug = [&](TTnCnx*, const std::string&) { ++debugLines; };
  loadSmallNetwork();
  const TreeNode* line = host->child(0)->child(0)->child(1);
  reg.Clear();
  EXPECT_TRUE(reg.Items().empty());
  EXPECT_EQ(tree.size(), 5u);
  EXPECT_EQ(reg.FindByNode(line), nullptr);
  reg.SetStatusObj("L1", xpLine, nsStopped);
  EXPECT_EQ(line->text(), "(Started) L1");
  EXPECT_EQ(debugLines, 1);

  reg.AddPathmon(host, "$PM09");
  EXPECT_EQ(reg.TreeNodes(), &tree);
  ASSERT_EQ(reg.Items().size(), 1u);
  EXPECT_EQ(item(0).Node, host->child(1));
}

TEST_F(Registry, DestroyingTheRegistryLeavesTheNodes) {
  {
    TXPNetObjList scoped;
    scoped.SetTreeNodes(&tree);
    scoped.AddPathmon(host, "$PM01");
    scoped.AddProcess("$PM01", "P1", nsStarted);
  }
  EXPECT_EQ(tree.dump(), "\\SYS1\n  $PM01\n    (Started) P1\n");
}

}  // namespace
