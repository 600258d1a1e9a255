// Disconnect after an NCP logon and after the TACL logon alone, and every end
// of the connection: what is sent, and the window back to Disconnected.
#include <QAction>
#include <QLabel>
#include <QTreeWidget>
#include <algorithm>

#include "WindowFixture.h"
#include "support/EventLoop.h"
#include "support/RowName.h"

using korvtest::waitUntil;
using wintest::WindowTest;

namespace {

class DisconnectTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    confirmationsOff();
    // What the host receives last, in order: one connection's.
    oneConnection();
  }
  // treeKept: the host ended the connection, and the last picture stays.
  void expectDisconnected(bool treeKept = false) {
    EXPECT_EQ(win->windowTitle(), "Korvanedrestolin");
    EXPECT_EQ(win->mmConnect->text(), "Connect");
    EXPECT_FALSE(win->StateHandler()->NCPLoggedOn());
    if (treeKept) return;
    EXPECT_EQ(win->tvMain->topLevelItemCount(), 0);
    EXPECT_TRUE(win->ObjList()->Items().empty());
    EXPECT_EQ(win->StateHandler()->HostNode(), nullptr);
    EXPECT_EQ(win->StateHandler()->CurrentPathmonNode(), nullptr);
    EXPECT_EQ(win->StateHandler()->PreviousPathmonNode(), nullptr);
  }
};

TEST_F(DisconnectTest, AfterNcpLogonSendsExitAndLogoutAndEmptiesTheWindow) {
  connectTacl();
  logonNcp("$PM01");
  win->mmConnect->trigger();
  expectDisconnected();
  ASSERT_TRUE(waitUntil([&] { return !win->NCPTelnet->IsConnected(); })) << "the host ends the session on LOGOUT";
  const auto sent = commands();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[sent.size() - 2], "EXIT");
  EXPECT_EQ(sent.back(), "LOGOUT");
  expectDisconnected();

  // A second connection in the same run loads again.
  connectTacl();
  logonNcp("$PM02");
  EXPECT_NE(item("(Started) HOSTIF1"), nullptr);
}

TEST_F(DisconnectTest, AfterTaclAloneLogsOutAndClosesTheConnection) {
  connectTacl();
  win->mmConnect->trigger();
  expectDisconnected();
  ASSERT_TRUE(waitUntil([&] { return !win->NCPTelnet->IsConnected(); }))
      << "no logged-on TACL session stays open at the host";
  ASSERT_TRUE(waitUntil([&] { return !commands().empty() && commands().back() == "LOGOUT"; }));
  const auto sent = commands();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "EXIT"), 0);
}

// However the connection ends, the window ends idle: an empty queue, no busy
// cursor. A host that still answers gets EXIT and LOGOUT after the running
// command; a silent one gets nothing more.
struct ConnectionEnd {
  const char* name;
  QStringList simArgs;
  bool commandRuns;          // Start on a line just before: START runs, its status request waits
  bool operatorDisconnects;  // else the host closes the connection
  std::vector<std::string> lastSent;
};

using korvtest::PrintTo;

class ConnectionEndTest : public DisconnectTest, public ::testing::WithParamInterface<ConnectionEnd> {
 protected:
  QStringList simArgs() const override { return GetParam().simArgs; }
  bool sentLast(const std::vector<std::string>& tail) const {
    const auto sent = commands();
    return sent.size() >= tail.size() && std::equal(tail.rbegin(), tail.rend(), sent.rbegin());
  }
};

TEST_P(ConnectionEndTest, WindowEndsIdleWithAnEmptyQueue) {
  const ConnectionEnd& end = GetParam();
  connectTacl();
  logonNcp("$PM01");
  if (end.commandRuns) {
    rightClick(item("(Stopped) LTCP03"));
    choose("Start");
  }
  if (end.operatorDisconnects) win->mmConnect->trigger();
  ASSERT_TRUE(waitUntil([&] { return !win->NCPTelnet->IsConnected(); }));
  expectDisconnected(!end.operatorDisconnects);
  EXPECT_EQ(win->sbPanels[0]->text(), "Queue: 0 (0)");
  EXPECT_EQ(win->tvMain->cursor().shape(), Qt::ArrowCursor);
  EXPECT_TRUE(catcher.boxes.empty());
  EXPECT_TRUE(waitUntil([&] { return sentLast(end.lastSent); }));
}

INSTANTIATE_TEST_SUITE_P(
    Ends, ConnectionEndTest,
    ::testing::Values(
        ConnectionEnd{"Disconnect", {}, false, true, {"EXIT", "LOGOUT"}},
        ConnectionEnd{"DisconnectWhileACommandRuns", {}, true, true, {"START LINE LTCP03", "EXIT", "LOGOUT"}},
        ConnectionEnd{"DisconnectFromASilentHost", {"--silent-on", "START"}, true, true, {"START LINE LTCP03"}},
        ConnectionEnd{"HostCloses", {"--close-on", "START"}, true, false, {"START LINE LTCP03"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
