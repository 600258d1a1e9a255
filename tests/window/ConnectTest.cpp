// Tools, Connect against the simulator: the login dialog, the TACL logon, the
// host node and the PATHMON nodes, the caption and the menu item; a refused
// password; operator text the session refuses.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>

#include "WindowFixture.h"
#include "support/EventLoop.h"
#include "ui/TfrmAuth.h"

using korvtest::waitUntil;
using wintest::WindowTest;

namespace {

using ConnectTest = WindowTest;

TEST_F(ConnectTest, LogonShowsTheHostWithItsPathmonsAndSwitchesTheMenuToDisconnect) {
  EXPECT_EQ(win->windowTitle(), "Korvanedrestolin");
  EXPECT_EQ(win->mmConnect->text(), "&Connect");
  connectTacl();
  ASSERT_TRUE(catcher.boxes.empty());

  EXPECT_EQ(win->windowTitle(), "Korvanedrestolin (127.0.0.1)");
  EXPECT_EQ(win->mmConnect->text(), "Disconnect");
  EXPECT_EQ(win->sbPanels[1]->text(), "Unencrypted");
  ASSERT_EQ(win->tvMain->topLevelItemCount(), 1);
  QTreeWidgetItem* host = hostItem();
  EXPECT_EQ(host->text(0).trimmed(), "KORVDEMO");
  EXPECT_TRUE(host->isExpanded()) << "the host node opens when the PATHMON list ends";
  ASSERT_EQ(host->childCount(), 3);
  EXPECT_EQ(host->child(0)->text(0), "$PM01");
  EXPECT_EQ(host->child(1)->text(0), "$PM02");
  EXPECT_EQ(host->child(2)->text(0), "$XPNT");
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(host->child(i)->isExpanded());
  EXPECT_EQ(win->StateHandler()->HostNode(), QtTreeNode::of(host));

  const std::vector<std::string> expected{
      "TACL", "logon OPS.OPER", "secret1", "SETPROMPT SUBVOL", "#mysystem", "STATUS *, PROG $*.*.PATHMON"};
  EXPECT_EQ(commands(), expected);
}

TEST_F(ConnectTest, RefusedTaclPasswordShowsTheInformationBoxAndClosesTheConnection) {
  connectTacl("wrong");
  ASSERT_TRUE(waitUntil([&] { return !catcher.boxes.empty() && !win->NCPTelnet->IsConnected(); }));
  ASSERT_EQ(catcher.boxes.size(), 1u);
  EXPECT_EQ(catcher.boxes[0].text, "Password salah");
  EXPECT_EQ(catcher.boxes[0].icon, QMessageBox::Information);
  EXPECT_TRUE(catcher.boxes[0].detail.contains("TACL logon"));
  EXPECT_TRUE(catcher.boxes[0].detail.contains("*ERROR* Invalid user name or password"));
  EXPECT_EQ(win->windowTitle(), "Korvanedrestolin");
  EXPECT_EQ(win->tvMain->topLevelItemCount(), 0);
  EXPECT_NE(win->mmConnect->text(), "Disconnect");
  // Connect works again afterwards.
  catcher.boxes.clear();
  connectTacl();
  EXPECT_EQ(win->mmConnect->text(), "Disconnect");
}

TEST_F(ConnectTest, CancelledDialogChangesNothing) {
  whenLoginOpen([this] { win->frmAuth->reject(); });
  win->mmConnect->trigger();
  korvtest::processQueuedEvents();
  EXPECT_FALSE(win->NCPTelnet->IsConnected());
  EXPECT_TRUE(commands().empty());
  EXPECT_EQ(win->mmConnect->text(), "&Connect");
}

TEST_F(ConnectTest, LogonTextTheHostCannotTakeIsRefusedWithAMessageAndNothingIsSent) {
  struct Row {
    QString user, password, told;
  };
  const Row rows[] = {{"OPS.OPER", "secret1\r\nLOGOFF", "control character"},
                      {QString::fromUtf8("ÖPS€"), "secret1", "TACL user holds a character outside Latin-1"},
                      {"OPS.OPER", QString::fromUtf8("secret€"), "TACL password holds a character outside Latin-1"},
                      {"", "secret1", "TACL user is empty"},
                      {"OPS.OPER", "", "TACL password is empty"}};
  for (const Row& row : rows) {
    catcher.boxes.clear();
    answerLogin(QString::fromStdString(sim->hostPort()), row.user, row.password);
    win->mmConnect->trigger();
    // The dialog may first tell that it cannot remember the name.
    ASSERT_TRUE(waitUntil([&] { return !catcher.texts().filter(row.told).isEmpty(); })) << row.told.toStdString();
    EXPECT_EQ(catcher.boxes.back().icon, QMessageBox::Warning);
  }
  // The next logon is the first the host hears of.
  catcher.boxes.clear();
  connectTacl();
  ASSERT_GE(commands().size(), 2u);
  EXPECT_EQ(commands()[1], "logon OPS.OPER");
}

TEST_F(ConnectTest, NcpLogonTextTheHostCannotTakeIsRefusedWithAMessageAndNothingIsSent) {
  connectTacl();
  const size_t sent = commands().size();
  struct Row {
    QString user, password, told;
  };
  const Row rows[] = {{"", "secret2", "NCP user is empty"},
                      {QString::fromUtf8("NCP€"), "secret2", "NCP user holds a character outside Latin-1"},
                      {"NCPOPER", "", "NCP password is empty"}};
  for (const auto& [user, password, told] : rows) {
    catcher.boxes.clear();
    answerLogin({}, user, password);
    doubleClick(item("$PM01"));
    ASSERT_TRUE(waitUntil([&] { return !catcher.texts().filter(told).isEmpty(); })) << told.toStdString();
  }
  EXPECT_FALSE(win->StateHandler()->NCPLoggedOn());
  // The next logon is the first the host hears of.
  logonNcp("$PM01");
  ASSERT_GT(commands().size(), sent + 1);
  EXPECT_EQ(commands()[sent], "NCPCOM $PM01");
  EXPECT_EQ(commands()[sent + 1], "SET USER NCPOPER");
}

TEST_F(ConnectTest, UserNameTheSettingsFileCannotHoldIsToldAndNotWritten) {
  connectTacl();
  win->mmConnect->trigger();
  answerLogin(QString::fromStdString(sim->hostPort()), "[OPS.OPER", "secret1");
  win->mmConnect->trigger();
  ASSERT_TRUE(waitUntil([&] { return catcher.boxes.size() >= 2 && !win->NCPTelnet->IsConnected(); }));
  EXPECT_TRUE(catcher.boxes[0].text.contains("[OPS.OPER")) << catcher.boxes[0].text.toStdString();
  EXPECT_EQ(catcher.boxes[1].text, "Password salah") << "the logon itself goes on and is refused by the host";
  QFile file(settingsPath);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray ini = file.readAll();
  EXPECT_TRUE(ini.contains("OPS.OPER="));
  EXPECT_FALSE(ini.contains("[OPS.OPER"));
}

TEST_F(ConnectTest, CtrlCRunsTheMenuItemInBothStates) {
  QApplication::setActiveWindow(win.get());
  win->tvMain->setFocus();
  answerLogin(QString::fromStdString(sim->hostPort()), "OPS.OPER", "secret1");
  QTest::keyClick(win->tvMain, Qt::Key_C, Qt::ControlModifier);
  ASSERT_TRUE(waitUntil([&] { return hostItem() && hostItem()->isExpanded() && idle(); }));
  EXPECT_EQ(win->mmConnect->text(), "Disconnect");
  QApplication::setActiveWindow(win.get());
  win->tvMain->setCurrentItem(hostItem());
  QTest::keyClick(win->tvMain, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(win->mmConnect->text(), "Connect");
  EXPECT_EQ(win->tvMain->topLevelItemCount(), 0);
}

}  // namespace
