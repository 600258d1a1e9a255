// The Changes dock as an alarm list: a row names host, PATHMON and who caused
// it and opens its object; an acknowledgement is recorded in the audit trail
// and leaves the count of problems not acknowledged.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "WindowFixture.h"
#include "support/EventLoop.h"
#include "ui/ChangesPanel.h"
#include "ui/RefreshFollower.h"

using korvtest::waitUntil;
using wintest::WindowTest;

namespace {

class AlarmListTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    connectTacl();
    logonNcp("$PM01");
  }
  // Refresh All until its changes are listed.
  void refreshListsChanges() {
    win->RefreshAllView->trigger();
    ASSERT_TRUE(waitUntil([&] { return !win->Follower()->Refreshing() && idle() && win->dkChanges->RowCount() > 0; }));
  }
  int rowOf(const QString& object) const {
    for (int r = 0; r < win->dkChanges->RowCount(); ++r)
      if (win->dkChanges->Row(r)[ChangesPanel::kObject] == object) return r;
    return -1;
  }
};

TEST_F(AlarmListTest, EnterOnARowSelectsItsObjectInTheTree) {
  stopFromSecondClient("line", "LTCP01");
  refreshListsChanges();
  const int row = rowOf("Line LTCP01");
  ASSERT_GE(row, 0);
  const QStringList texts = win->dkChanges->Row(row);
  EXPECT_EQ(texts[ChangesPanel::kHost], QString::fromStdString(sim->hostPort()));
  EXPECT_EQ(texts[ChangesPanel::kPathmon], "$PM01");
  EXPECT_EQ(texts[ChangesPanel::kBy], "Elsewhere");
  win->tvMain->setCurrentItem(hostItem());
  win->dkChanges->lvChanges->setCurrentItem(win->dkChanges->lvChanges->topLevelItem(row));
  QTest::keyClick(win->dkChanges->lvChanges, Qt::Key_Return);
  EXPECT_EQ(win->tvMain->currentItem()->text(0), "(Stopped) LTCP01");
}

TEST_F(AlarmListTest, AnAcknowledgementIsAuditedAndLeavesTheUnacknowledgedCount) {
  confirmationsOff();
  rightClick(item("(Started) LTCP01"));
  choose("Stop");
  ASSERT_TRUE(waitUntil([&] { return idle() && item("(Stopped) LTCP01"); }));
  refreshListsChanges();
  const int row = rowOf("Line LTCP01");
  ASSERT_GE(row, 0);
  EXPECT_EQ(win->dkChanges->Row(row)[ChangesPanel::kBy], "This console");
  const int unacknowledged = win->dkChanges->Unacknowledged();
  EXPECT_EQ(win->sbAlarms->text(), QString("Unacknowledged: %1").arg(unacknowledged));

  win->dkChanges->lvChanges->setCurrentItem(win->dkChanges->lvChanges->topLevelItem(row));
  win->dkChanges->btnAcknowledge->click();
  EXPECT_TRUE(win->dkChanges->Row(row)[ChangesPanel::kAcknowledged].startsWith("OPS.OPER at "));
  EXPECT_EQ(win->dkChanges->Unacknowledged(), unacknowledged - 1);
  EXPECT_TRUE(win->grab().save(KORV_WINDOW_SCREENSHOT_DIR "/main-window-alarm-list.png"));
  QFile audit(dir.filePath("audit.jsonl"));
  ASSERT_TRUE(audit.open(QIODevice::ReadOnly));
  const QByteArray last = audit.readAll().trimmed().split('\n').last();
  EXPECT_TRUE(last.contains(R"("action":"acknowledge")")) << last.toStdString();
  EXPECT_TRUE(last.contains(R"("object":"LINE LTCP01")")) << last.toStdString();
}

}  // namespace
