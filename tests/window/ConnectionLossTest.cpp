// A connection the operator did not end: the last picture stays, greyed and
// marked stale, and the loss shows at once; the next logon to the same host
// logs on to the PATHMON again and lists what changed meanwhile.
#include <QLabel>
#include <QTreeWidget>

#include "WindowFixture.h"
#include "support/EventLoop.h"
#include "ui/ChangesPanel.h"
#include "ui/DataAgePanel.h"
#include "ui/IniFile.h"

using korvtest::waitUntil;
using wintest::WindowTest;

namespace {

class ConnectionLossTest : public WindowTest {
 protected:
  // A Start makes the host close the connection.
  QStringList simArgs() const override { return {"--close-on", "START"}; }
  void SetUp() override {
    WindowTest::SetUp();
    // The operator's own next logon, not the window's.
    IniFile(settingsPath).writeInteger("Main", "Reconnect", 0);
    connectTacl();
    logonNcp("$PM01");
  }
};

TEST_F(ConnectionLossTest, AKilledHostLeavesTheLastTreeMarkedStaleAndTellsTheLoss) {
  sim.reset();
  ASSERT_TRUE(waitUntil([&] { return !win->NCPTelnet->IsConnected(); }));
  EXPECT_NE(item("(Started) LTCP01"), nullptr) << "the last picture stays";
  EXPECT_FALSE(win->tvMain->isHeaderHidden());
  EXPECT_TRUE(win->tvMain->headerItem()->text(0).startsWith("Last known picture")) << "marked stale";
  EXPECT_TRUE(win->sbAge->text().contains("LOST at ")) << win->sbAge->text().toStdString();
  EXPECT_TRUE(waitUntil([&] { return win->sbCounts->text().startsWith("STALE since "); }));
  EXPECT_EQ(win->mmConnect->text(), "Connect");
  EXPECT_TRUE(win->grab().save(KORV_WINDOW_SCREENSHOT_DIR "/main-window-connection-lost.png"));
}

TEST_F(ConnectionLossTest, TheNextLogonLoadsThePathmonAgainAndListsWhatChangedMeanwhile) {
  rightClick(item("(Stopped) LTCP03"));
  choose("Start");
  ASSERT_TRUE(waitUntil([&] { return !win->NCPTelnet->IsConnected(); }));
  stopFromSecondClient("line", "LTCP01");

  connectTacl();
  ASSERT_TRUE(
      waitUntil([&] { return win->StateHandler()->NCPLoggedOn() && idle() && win->dkChanges->RowCount() > 0; }));
  EXPECT_NE(item("(Stopped) LTCP01"), nullptr);
  EXPECT_TRUE(win->tvMain->isHeaderHidden());
  EXPECT_FALSE(win->sbAge->text().contains("LOST"));
  QStringList objects;
  for (int r = 0; r < win->dkChanges->RowCount(); ++r) objects << win->dkChanges->Row(r).mid(1, 3).join(' ');
  EXPECT_TRUE(objects.contains("Line LTCP01 Started Stopped")) << objects.join(" | ").toStdString();
}

}  // namespace
