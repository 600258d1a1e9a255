// The window on a generated network of 200 stations: the find and its status
// toggles (matches with their ancestors, the tree as it was once cleared),
// the counts per status, F8, the marks and the Changes panel after a change
// made by a second client, auto refresh never beside a running refresh, and
// one alert per refresh. The listings on connections of their own: the tree
// of one connection, a STOP answered on the operator's connection while a
// Refresh All of 5,000 stations runs, Disconnect amid it closing them all,
// and one of them ended by the host amid the load.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <memory>
#include <set>

#include "WindowFixture.h"
#include "ncp/ListingPool.h"
#include "support/EventLoop.h"
#include "ui/ChangesPanel.h"
#include "ui/IniFile.h"
#include "ui/ObjectPopupMenu.h"
#include "ui/RefreshFollower.h"
#include "ui/SettingsFile.h"
#include "ui/TreeFind.h"

using korvtest::waitUntil;
using wintest::WindowTest;

namespace {

class LargeNetworkTest : public WindowTest {
 protected:
  QStringList simArgs() const override { return {"--stations", "200"}; }
  void SetUp() override {
    WindowTest::SetUp();
    connectTacl();
    logonNcp("$PM01");
  }

  static bool shown(QTreeWidgetItem* item) {
    for (; item; item = item->parent())
      if (item->isHidden()) return false;
    return true;
  }
  static bool hasShownChild(QTreeWidgetItem* item) {
    for (int i = 0; i < item->childCount(); ++i)
      if (shown(item->child(i))) return true;
    return false;
  }
  // Every node shows exactly when it matches or a descendant of it shows,
  // and every node that shows a child is open.
  void expectShownAreMatchesWithAncestors(const std::function<bool(const QString&)>& match) {
    int matches = 0;
    for (QTreeWidgetItemIterator it(win->tvMain); *it; ++it) {
      QTreeWidgetItem* item = *it;
      const bool kept = match(item->text(0)) || hasShownChild(item);
      EXPECT_EQ(shown(item), kept) << item->text(0).toStdString();
      if (hasShownChild(item)) {
        EXPECT_TRUE(item->isExpanded()) << item->text(0).toStdString();
      }
      if (shown(item) && match(item->text(0))) ++matches;
    }
    EXPECT_GT(matches, 0);
  }
  std::set<QTreeWidgetItem*> expanded() const {
    std::set<QTreeWidgetItem*> out;
    for (QTreeWidgetItemIterator it(win->tvMain); *it; ++it)
      if ((*it)->isExpanded()) out.insert(*it);
    return out;
  }
  void refreshAll() {
    win->Popup()->RefreshAllClick();
    ASSERT_TRUE(win->Follower()->Refreshing());
    ASSERT_TRUE(waitUntil([&] { return !win->Follower()->Refreshing() && idle(); }));
  }
  size_t statusAllsSent() const {
    const auto all = commands();
    return size_t(std::count(all.begin(), all.end(), "STATUS PROCESS *"));
  }
};

TEST_F(LargeNetworkTest, FindKeepsMatchesWithTheirAncestorsAndClearingRestoresTheTree) {
  QTreeWidgetItem* before = item("(Started) P0002");
  win->tvMain->setCurrentItem(before);
  const std::set<QTreeWidgetItem*> openBefore = expanded();

  QApplication::setActiveWindow(win.get());
  win->tvMain->setFocus();
  QTest::keyClick(win->tvMain, Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(win->pnlFind->edFind->hasFocus());
  QTest::keyClicks(win->pnlFind->edFind, "s00012");
  expectShownAreMatchesWithAncestors([](const QString& text) { return text.contains(" S00012"); });
  EXPECT_EQ(win->pnlFind->MatchCount(), 10u);

  QTest::keyClick(win->pnlFind->edFind, Qt::Key_Return);
  EXPECT_TRUE(win->tvMain->currentItem()->text(0).endsWith(" S000120"));
  QTest::keyClick(win->pnlFind->edFind, Qt::Key_Return);
  EXPECT_TRUE(win->tvMain->currentItem()->text(0).endsWith(" S000121"));

  QTest::keyClick(win->pnlFind->edFind, Qt::Key_Escape);
  EXPECT_TRUE(win->pnlFind->edFind->text().isEmpty());
  for (QTreeWidgetItemIterator it(win->tvMain); *it; ++it) EXPECT_FALSE((*it)->isHidden());
  // As it was, but for the way to the node found, which stays current.
  QTreeWidgetItem* found = win->tvMain->currentItem();
  std::set<QTreeWidgetItem*> openNow = expanded();
  for (QTreeWidgetItem* p = found->parent(); p; p = p->parent()) openNow.erase(p);
  std::set<QTreeWidgetItem*> openThen = openBefore;
  for (QTreeWidgetItem* p = found->parent(); p; p = p->parent()) openThen.erase(p);
  EXPECT_EQ(openNow, openThen);
  EXPECT_TRUE(found->text(0).endsWith(" S000121"));
}

TEST_F(LargeNetworkTest, StatusTogglesShowOnlyObjectsInTheChosenStatusesWithTheirAncestors) {
  win->pnlFind->btnStatus[1]->click();  // Stopped
  expectShownAreMatchesWithAncestors([](const QString& text) { return text.startsWith("(Stopped) "); });
  EXPECT_EQ(win->pnlFind->MatchCount(), 20u);
  win->pnlFind->btnStatus[0]->click();  // and Abnormal
  QTest::keyClicks(win->pnlFind->edFind, "L");
  expectShownAreMatchesWithAncestors(
      [](const QString& text) { return (text.startsWith("(Stopped) L") || text.startsWith("(Abnormal) L")); });
  win->pnlFind->btnStatus[0]->click();
  win->pnlFind->btnStatus[1]->click();
  QTest::keyClick(win->pnlFind->edFind, Qt::Key_Backspace);
  for (QTreeWidgetItemIterator it(win->tvMain); *it; ++it) EXPECT_FALSE((*it)->isHidden());
}

TEST_F(LargeNetworkTest, CountsFollowTheLoadAndEveryStatusEvent) {
  EXPECT_TRUE(win->tvMain->updatesEnabled()) << "the tree is drawn at every change again once loaded";
  // Stations and lines each: 10 stopped, 10 abnormal, 10 starting, 170 started; 4 processes started.
  const auto countsAre = [&](const QString& text) { return waitUntil([&] { return win->sbCounts->text() == text; }); };
  ASSERT_TRUE(countsAre("Abnormal 20 · Stopped 20 · Starting 20 · Started 344")) << win->sbCounts->text().toStdString();
  confirmationsOff();
  rightClick(item("(Started) S000001"));
  choose("Stop");
  EXPECT_TRUE(countsAre("Abnormal 20 · Stopped 21 · Starting 20 · Started 343")) << win->sbCounts->text().toStdString();
}

TEST_F(LargeNetworkTest, F8AndShiftF8GoToTheNextAndPreviousObjectDown) {
  // In tree order the stations and lines alternate under their processes.
  QApplication::setActiveWindow(win.get());
  win->tvMain->setFocus();
  win->tvMain->setCurrentItem(hostItem());
  QTest::keyClick(win->tvMain, Qt::Key_F8);
  EXPECT_EQ(win->tvMain->currentItem()->text(0), "(Abnormal) L000003");
  QTest::keyClick(win->tvMain, Qt::Key_F8);
  EXPECT_EQ(win->tvMain->currentItem()->text(0), "(Stopped) S000008");
  QTest::keyClick(win->tvMain, Qt::Key_F8, Qt::ShiftModifier);
  EXPECT_EQ(win->tvMain->currentItem()->text(0), "(Abnormal) L000003");
  QTest::keyClick(win->tvMain, Qt::Key_F8, Qt::ShiftModifier);
  EXPECT_EQ(win->tvMain->currentItem()->text(0), "(Stopped) L000197");
}

TEST_F(LargeNetworkTest, AChangeBySecondClientIsMarkedAndListedAfterTheNextRefreshOnly) {
  stopFromSecondClient("station", "S000001");
  refreshAll();
  QTreeWidgetItem* changed = item("(Stopped) S000001");
  ASSERT_NE(changed, nullptr);
  EXPECT_TRUE(changed->font(0).bold());
  EXPECT_FALSE(item("(Started) S000002")->font(0).bold());
  ASSERT_EQ(win->dkChanges->RowCount(), 1);
  EXPECT_EQ(win->dkChanges->Row(0).mid(1, 3), (QStringList{"Station S000001", "Started", "Stopped"}));

  refreshAll();
  EXPECT_FALSE(changed->font(0).bold());
  EXPECT_EQ(win->dkChanges->RowCount(), 1);
}

TEST_F(LargeNetworkTest, ChangesDownWhileTheWindowIsInactiveRaiseOneAlertPerRefresh) {
  QWidget elsewhere;
  elsewhere.show();
  elsewhere.activateWindow();
  ASSERT_TRUE(waitUntil([&] { return !win->isActiveWindow(); }));
  QSignalSpy alerts(win->Follower(), &RefreshFollower::Alert);
  stopFromSecondClient("station", "S000001");
  stopFromSecondClient("station", "S000002");
  refreshAll();
  ASSERT_EQ(alerts.size(), 1);
  EXPECT_EQ(alerts[0][0].toString(), "2 objects went Abnormal or Stopped");
  EXPECT_EQ(win->dkChanges->Row(0).mid(1, 3), (QStringList{"Station S000001", "Started", "Stopped"}));

  stopFromSecondClient("station", "S000003");
  refreshAll();
  ASSERT_EQ(alerts.size(), 2);
  EXPECT_EQ(alerts[1][0].toString(), "Station S000003 went Stopped");
}

TEST_F(LargeNetworkTest, AutoRefreshNeverRunsBesideARunningRefresh) {
  win->AutoRefresh->trigger();
  EXPECT_TRUE(SettingsFile(settingsPath).readAutoRefresh());
  EXPECT_TRUE(win->Follower()->AutoRefreshOn());
  const size_t before = statusAllsSent();
  win->Popup()->RefreshAllClick();
  win->Follower()->AutoRefreshTick();
  win->Popup()->RefreshAllClick();
  ASSERT_TRUE(waitUntil([&] { return !win->Follower()->Refreshing() && idle(); }));
  EXPECT_EQ(statusAllsSent(), before + 1);

  win->Follower()->AutoRefreshTick();
  EXPECT_TRUE(win->Follower()->Refreshing());
  ASSERT_TRUE(waitUntil([&] { return !win->Follower()->Refreshing() && idle(); }));
  EXPECT_EQ(statusAllsSent(), before + 2);
}

TEST_F(LargeNetworkTest, ListingsOnConnectionsOfTheirOwnGiveTheTreeOfOneConnection) {
  const auto treeLines = [&] {
    QStringList lines;
    for (QTreeWidgetItemIterator it(win->tvMain); *it; ++it) {
      int depth = 0;
      for (QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent()) ++depth;
      lines << QString(depth, ' ') + (*it)->text(0);
    }
    return lines;
  };
  EXPECT_EQ(win->Pool()->Connections(), 3u);
  const QStringList parallel = treeLines();
  const QString debug = debugText();
  EXPECT_TRUE(debug.contains("[4] ")) << "the debug lines tell the connections apart";
  EXPECT_FALSE(debug.contains("secret"));

  oneConnection();
  connectTacl();
  logonNcp("$PM01");
  EXPECT_EQ(win->Pool()->Connections(), 0u);
  EXPECT_EQ(treeLines(), parallel);
}

// A Refresh All of 5,000 stations under way on the listing connections.
class RefreshUnderwayTest : public WindowTest {
 protected:
  QStringList simArgs() const override { return {"--stations", "5000"}; }
  void SetUp() override {
    WindowTest::SetUp();
    confirmationsOff();
    connectTacl();
    logonNcp("$PM01");
    win->Popup()->RefreshAllClick();
    ASSERT_TRUE(waitUntil([&] {
      const auto sent = commands();
      return std::count(sent.begin(), sent.end(), "STATUS LINE *") == 2;
    }));
  }
  // The simulator's connections that are still open on its side.
  int openAtHost() const {
    QProcess ss;
    ss.start("ss",
             {"-Htn", "state", "established", "state", "close-wait", "sport", "=", QString(":%1").arg(sim->port())});
    if (!ss.waitForFinished()) return -1;
    return int(ss.readAllStandardOutput().count('\n'));
  }
};

TEST_F(RefreshUnderwayTest, AStopIsAnsweredOnTheOperatorsConnectionWhileTheRefreshRuns) {
  // The window's end records actions too: what is noted lives as long as the window.
  struct Noted {
    bool answered = false;
    bool listing = false;
  };
  const auto noted = std::make_shared<Noted>();
  win->NCPTelnet->OnOperatorAction = [noted, record = win->NCPTelnet->OnOperatorAction,
                                      pool = win->Pool()](const ncp::OperatorAction& action) {
    record(action);
    if (action.kind != ncp::ActionKind::Stop || noted->answered) return;
    noted->answered = true;
    noted->listing = pool->Busy();
  };
  rightClick(item("(Started) S000001"));
  choose("Stop");
  ASSERT_TRUE(waitUntil([&] { return noted->answered; }));
  EXPECT_TRUE(noted->listing) << "the STOP waited behind the refresh's listings";
  EXPECT_TRUE(win->sbAnswer->text().startsWith("STOP STATION S000001: accepted"));
  EXPECT_TRUE(waitUntil([&] { return !win->Follower()->Refreshing() && idle(); }, 60000));
}

TEST_F(RefreshUnderwayTest, DisconnectClosesEveryConnection) {
  EXPECT_EQ(openAtHost(), 4);
  win->mmConnect->trigger();
  EXPECT_TRUE(waitUntil(
      [&] { return openAtHost() == 0 && !win->NCPTelnet->IsConnected() && win->Pool()->Connections() == 0; }));
  EXPECT_TRUE(catcher.boxes.empty()) << catcher.texts().join(" | ").toStdString();
}

// The host ends the listing connection that lists the stations' statuses,
// amid the load.
class ListingLostTest : public WindowTest {
 protected:
  QStringList simArgs() const override { return {"--stations", "200", "--close-on", "STATUS STATION"}; }
  // The NCP logon, and its load until the listing connection is ended.
  bool loadUntilAListingIsLost() {
    connectTacl();
    win->tvMain->setCurrentItem(item("$PM01"));
    answerNcpLogin();
    doubleClick(item("$PM01"));
    return waitUntil([&] { return !catcher.boxes.empty() && win->Pool()->Connections() == 0; });
  }
};

TEST_F(ListingLostTest, IsToldOnceAndTheOperatorsConnectionStaysLoggedOn) {
  ASSERT_TRUE(loadUntilAListingIsLost());
  ASSERT_EQ(catcher.boxes.size(), 1u);
  EXPECT_TRUE(catcher.boxes[0].text.startsWith("A listing was cut short: listing connection"))
      << catcher.boxes[0].text.toStdString();
  EXPECT_TRUE(win->NCPTelnet->IsConnected());
  EXPECT_TRUE(win->StateHandler()->NCPLoggedOn());
  EXPECT_FALSE(win->Follower()->Loading());
  EXPECT_EQ(win->tvMain->cursor().shape(), Qt::ArrowCursor);
}

// The next Refresh All opens listing connections anew: its STATUS STATION
// ends one of them again, not the operator's connection.
TEST_F(ListingLostTest, TheNextRefreshRunsOnNewListingConnections) {
  IniFile(settingsPath).writeInteger("Main", "Reconnect", 0);
  ASSERT_TRUE(loadUntilAListingIsLost());
  win->RefreshAllView->trigger();
  ASSERT_TRUE(waitUntil([&] { return catcher.boxes.size() == 2 && win->Pool()->Connections() == 0; }));
  EXPECT_TRUE(win->NCPTelnet->IsConnected());
  EXPECT_TRUE(win->StateHandler()->NCPLoggedOn());
}

}  // namespace
