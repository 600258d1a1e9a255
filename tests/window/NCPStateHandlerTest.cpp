// The shared state-event handler on an in-memory tree with a real session
// against the host simulator: the event table (codes outside it ignored, 999
// to the debug lines, nameless object events skipped), the hooks' order, the
// NCP logon step and the disconnect and session-closed steps.
#include <gtest/gtest.h>

#include <algorithm>

#include "ncp/MemoryTree.h"
#include "ncp/NCPStateHandler.h"
#include "ncp/NcpParsing.h"
#include "support/EventLoop.h"
#include "support/NskSimProcess.h"

using korvtest::NskSimProcess;
using korvtest::waitUntil;
using ncp::NcpEvent;

namespace {

class NCPStateHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    handler.OnDebugLine = [this](const std::string& line) { trace.push_back("debug:" + line); };
    handler.OnTACLRefused = [this] { trace.push_back("tacl-refused"); };
    handler.OnTACLLoggedOn = [this] { trace.push_back("tacl-logged-on"); };
    handler.OnNCPRefused = [this] { trace.push_back("ncp-refused"); };
    handler.OnNCPLoggedOn = [this] { trace.push_back("ncp-logged-on"); };
    handler.OnExpandHost = [this](ncp::TreeNode* node) { trace.push_back("expand:" + node->text()); };
    handler.OnNamelessEvent = [this](const std::string& text) { trace.push_back("nameless:" + text.substr(0, 3)); };
    session.OnNCPState = [this](const std::string& text) {
      events.push_back(text);
      handler.NCPState(text);
    };
    session.OnSessionClosed = [this](TTnCnx*, uint16_t) { handler.SessionClosed(); };
  }

  bool seen(NcpEvent event) const {
    return std::any_of(events.begin(), events.end(), [&](const std::string& e) { return ncp::parseEvent(e) == event; });
  }
  std::string first(NcpEvent event) const {
    for (const auto& e : events)
      if (ncp::parseEvent(e) == event) return e;
    return {};
  }
  ncp::TreeNode* pathmonNode(const std::string& name) const {
    ncp::TreeNode* host = handler.HostNode();
    for (int i = 0; host && i < host->childCount(); ++i)
      if (host->child(i)->text() == name || host->child(i)->text() == "(" + name + ")") return host->child(i);
    return nullptr;
  }
  bool traced(const std::string& entry) const { return std::find(trace.begin(), trace.end(), entry) != trace.end(); }

  void logonTacl(const std::string& password = "secret1") {
    ASSERT_TRUE(sim.started());
    session.Logon(sim.hostPort(), "OPS.OPER", password);
    ASSERT_TRUE(waitUntil([&] { return seen(NcpEvent::PathmonsListed) || seen(NcpEvent::TaclRefused); }));
  }
  void loadPathmon(const std::string& name) {
    handler.LogonNCP(pathmonNode(name), "NCPOPER", "secret2");
    ASSERT_TRUE(waitUntil([&] { return session.NetObjectsStep() == 4 && session.State() == atsIdle; }));
  }

  NskSimProcess sim;
  TNCPTelnet session;
  ncp::MemoryTree tree;
  TXPNetObjList registry;
  NCPStateHandler handler{session, registry, tree};
  std::vector<std::string> events;
  std::vector<std::string> trace;
};

// An event text with the name field (positions 7 to 41) replaced by text.
std::string withNameField(std::string event, const std::string& field) {
  std::string padded = field;
  padded.resize(35, ' ');
  return event.replace(6, 35, padded);
}

TEST_F(NCPStateHandlerTest, CodesOutsideTheTableChangeNothingAnd999GoesWholeToTheDebugLines) {
  tree.addChild(nullptr, "existing");
  for (const char* text : {"000", "015\\X", "998 text", "", "99", "abc", "1x3", " 01", "-01", "+01", "01"}) {
    handler.NCPState(text);
  }
  handler.NCPState("999 anything at all");
  handler.NCPState("012");
  EXPECT_EQ(tree.dump(), "existing\n");
  EXPECT_EQ(handler.HostNode(), nullptr);
  EXPECT_EQ(trace, (std::vector<std::string>{"debug:999 anything at all", "debug:Change PATHMON"}));
}

TEST_F(NCPStateHandlerTest, HostNodeGoesOnTopOfTheTreeAndPathmonsUnderIt) {
  tree.addChild(nullptr, "left over");
  handler.NCPState("003\\SYS1   ");
  handler.NCPState(std::string("004$PM1     ") + "B");
  handler.NCPState("008");
  ASSERT_NE(handler.HostNode(), nullptr);
  EXPECT_EQ(tree.top(0), handler.HostNode());
  EXPECT_EQ(handler.HostNode()->text(), ncp::hostName("003\\SYS1   "));
  EXPECT_EQ(registry.TreeNodes(), &tree);
  ASSERT_EQ(handler.HostNode()->childCount(), 1);
  EXPECT_EQ(handler.HostNode()->child(0)->text(), "$PM1");
  EXPECT_EQ(tree.top(1)->text(), "left over");
  EXPECT_TRUE(traced("expand:" + handler.HostNode()->text()));
}

TEST_F(NCPStateHandlerTest, RoadOverTheSessionLoadsTheTreeUnderTheChosenPathmon) {
  logonTacl();
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "tacl-logged-on"), 1);
  ASSERT_NE(pathmonNode("$PM01"), nullptr);
  EXPECT_FALSE(handler.CanLogonNCP(handler.HostNode()));
  EXPECT_TRUE(handler.CanLogonNCP(pathmonNode("$PM02")));

  // A refused logon on one PATHMON, then the right one on another.
  handler.LogonNCP(pathmonNode("$PM02"), "NCPOPER", "wrong");
  ASSERT_TRUE(waitUntil([&] { return seen(NcpEvent::NcpRefused) && session.State() == atsIdle; }));
  const auto refused = std::find(trace.begin(), trace.end(), "ncp-refused");
  ASSERT_NE(refused, trace.end());
  EXPECT_EQ(*std::next(refused), "debug:NCP Not Authorized") << "the box comes before the debug line";
  EXPECT_FALSE(handler.NCPLoggedOn());
  EXPECT_FALSE(traced("ncp-logged-on"));

  ncp::TreeNode* pm02 = pathmonNode("$PM02");
  loadPathmon("$PM01");
  EXPECT_TRUE(handler.NCPLoggedOn());
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "ncp-logged-on"), 1);
  EXPECT_EQ(handler.PreviousPathmonNode(), pm02);
  EXPECT_EQ(pm02->text(), "$PM02");
  ncp::TreeNode* pm01 = handler.CurrentPathmonNode();
  EXPECT_EQ(pm01->text(), "($PM01)");
  EXPECT_GT(pm01->childCount(), 0);
  EXPECT_EQ(pm02->childCount(), 0);
  EXPECT_FALSE(handler.CanLogonNCP(pm02)) << "no second PATHMON once NCP is logged on";

  // Every process event made a node under the PATHMON, every station event a
  // station and a line under its process.
  std::vector<std::string> processes;
  for (int i = 0; i < pm01->childCount(); ++i) processes.push_back(pm01->child(i)->text());
  for (const auto& e : events) {
    if (ncp::parseEvent(e) == NcpEvent::ProcessListed) {
      const std::string text = std::string(TXPNetObjList::StatusText(ncp::objectStatus(e))) + " " + *ncp::objectName(e);
      EXPECT_NE(std::find(processes.begin(), processes.end(), text), processes.end()) << e;
    }
  }
  size_t stations = 0;
  for (const auto& entry : registry.Items()) stations += entry->NetType == xpStation ? 1 : 0;
  EXPECT_EQ(stations, size_t(std::count_if(events.begin(), events.end(), [](const std::string& e) {
              return ncp::parseEvent(e) == NcpEvent::StationListed;
            })));
}

TEST_F(NCPStateHandlerTest, ObjectEventsWithoutANameAreSkippedAndTheSessionGoesOn) {
  logonTacl();
  loadPathmon("$PM01");
  const std::string before = tree.dump();
  const std::string nameless = withNameField(first(NcpEvent::StationStatus), "ONLYONEPART").substr(3);
  for (const char* code : {"005", "010", "011", "013"}) {
    handler.NCPState(code + nameless);
    EXPECT_TRUE(traced(std::string("nameless:") + code)) << code;
  }
  handler.NCPState("009" + withNameField(first(NcpEvent::StationListed), "\\SYS.$PM").substr(3));
  EXPECT_TRUE(traced("nameless:009"));
  EXPECT_EQ(tree.dump(), before);
  EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                          [](const std::string& t) {
                            return t.rfind("debug:", 0) == 0 && t.find("no object name") != std::string::npos;
                          }),
            5);

  // The session still answers: a refresh of one process comes back as 013.
  const std::string name = *ncp::objectName(first(NcpEvent::ProcessListed));
  session.StatusProcess(name);
  ASSERT_TRUE(waitUntil([&] { return seen(NcpEvent::ProcessStatus); }));
}

TEST_F(NCPStateHandlerTest, DisconnectAfterNcpSendsExitAndLogoutAndForgetsEverything) {
  logonTacl();
  loadPathmon("$PM01");
  handler.Disconnect();
  EXPECT_FALSE(handler.NCPLoggedOn());
  EXPECT_EQ(tree.size(), 0u);
  EXPECT_TRUE(registry.Items().empty());
  EXPECT_EQ(handler.HostNode(), nullptr);
  EXPECT_EQ(handler.CurrentPathmonNode(), nullptr);
  EXPECT_EQ(handler.PreviousPathmonNode(), nullptr);
  ASSERT_TRUE(waitUntil([&] {
    const auto c = sim.commandsReceived();
    return c.size() >= 2 && c[c.size() - 2] == "EXIT" && c.back() == "LOGOUT";
  }));
}

TEST_F(NCPStateHandlerTest, DisconnectAfterTaclAloneLogsOutAndClosesTheConnection) {
  logonTacl();
  ASSERT_TRUE(waitUntil([&] { return session.State() == atsIdle; }));
  handler.Disconnect();
  EXPECT_EQ(tree.size(), 0u);
  ASSERT_TRUE(waitUntil([&] { return !session.IsConnected(); }));
  ASSERT_TRUE(waitUntil([&] {
    const auto c = sim.commandsReceived();
    return !c.empty() && c.back() == "LOGOUT";
  }));
  const auto c = sim.commandsReceived();
  EXPECT_EQ(std::count(c.begin(), c.end(), "EXIT"), 0);
}

TEST_F(NCPStateHandlerTest, RefusedTaclLogonClosesAfterTheHookAndTheCloseClearsTheTree) {
  logonTacl("wrong");
  ASSERT_TRUE(seen(NcpEvent::TaclRefused));
  EXPECT_TRUE(traced("tacl-refused"));
  EXPECT_FALSE(traced("tacl-logged-on"));
  EXPECT_FALSE(session.IsConnected());
  EXPECT_EQ(tree.size(), 0u);
  EXPECT_EQ(handler.HostNode(), nullptr);
}

}  // namespace
