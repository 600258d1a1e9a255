// Disconnect after an NCP logon and after the TACL logon alone, and the host
// closing the connection: what is sent, and the window back to Disconnected.
#include <QAction>
#include <QTreeWidget>

#include "WindowFixture.h"
#include "support/EventLoop.h"

using korvtest::waitUntil;
using wintest::WindowTest;

namespace {

class DisconnectTest : public WindowTest {
 protected:
  void expectDisconnected() {
    EXPECT_EQ(win->windowTitle(), "Korvanedrestolin");
    EXPECT_EQ(win->mmConnect->text(), "Connect");
    EXPECT_EQ(win->tvMain->topLevelItemCount(), 0);
    EXPECT_TRUE(win->ObjList()->Items().empty());
    EXPECT_EQ(win->StateHandler()->HostNode(), nullptr);
    EXPECT_EQ(win->StateHandler()->CurrentPathmonNode(), nullptr);
    EXPECT_EQ(win->StateHandler()->PreviousPathmonNode(), nullptr);
    EXPECT_FALSE(win->StateHandler()->NCPLoggedOn());
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
  EXPECT_FALSE(win->NCPTelnet->IsConnected()) << "no logged-on TACL session stays open at the host";
  ASSERT_TRUE(waitUntil([&] { return !commands().empty() && commands().back() == "LOGOUT"; }));
  const auto sent = commands();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "EXIT"), 0);
}

class HostClosesTest : public DisconnectTest {
 protected:
  QStringList simArgs() const override { return {"--close-on", "START"}; }
};

TEST_F(HostClosesTest, HostClosingTheConnectionReturnsTheWindowToDisconnected) {
  connectTacl();
  logonNcp("$PM01");
  rightClick(item("(Stopped) LTCP03"));
  choose("Start");
  ASSERT_TRUE(waitUntil([&] { return win->tvMain->topLevelItemCount() == 0; }));
  expectDisconnected();
  EXPECT_FALSE(win->NCPTelnet->IsConnected());
  EXPECT_TRUE(catcher.boxes.empty());
  EXPECT_EQ(commands().back(), "START LINE LTCP03") << "nothing is sent after the close";
}

}  // namespace
