// The window from the keyboard and the parameter list: F5 runs Refresh All
// and the status bar tells when; Enter on a PATHMON logs on to NCP; Shift+F10
// opens the popup at the selected node; a selected process shows its details.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>

#include "WindowFixture.h"
#include "support/EventLoop.h"
#include "ui/DataAgePanel.h"

using korvtest::waitUntil;
using wintest::WindowTest;

namespace {

class KeyboardTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    connectTacl();
  }
  // The keys go to the tree of the active window.
  void focusTree() {
    QApplication::setActiveWindow(win.get());
    win->tvMain->setFocus();
  }
  // The value of the parameter list's row named param.
  QString detail(const QString& param) const {
    for (int r = 0; r < win->lvMain->rowCount(); ++r)
      if (win->lvMain->item(r, 0)->text() == param) return win->lvMain->item(r, 1)->text();
    return {};
  }
};

TEST_F(KeyboardTest, EnterOnAPathmonLogsOnToNcp) {
  focusTree();
  win->tvMain->setCurrentItem(item("$PM01"));
  answerNcpLogin();
  QTest::keyClick(win->tvMain, Qt::Key_Return);
  EXPECT_TRUE(waitUntil([&] { return win->StateHandler()->NCPLoggedOn() && item("(Started) TCPIP1"); }));
}

TEST_F(KeyboardTest, F5RunsRefreshAllAndTheStatusBarTellsWhen) {
  logonNcp("$PM01");
  focusTree();
  const auto statusAlls = [&] {
    const auto sent = commands();
    return std::count(sent.begin(), sent.end(), "STATUS PROCESS *");
  };
  const auto before = statusAlls();
  QTest::keyClick(win->tvMain, Qt::Key_F5);
  EXPECT_TRUE(waitUntil([&] { return statusAlls() > before && idle(); }));
  EXPECT_TRUE(waitUntil([&] { return win->sbAge->text().startsWith("Refreshed "); }))
      << win->sbAge->text().toStdString();
}

TEST_F(KeyboardTest, ShiftF10OpensThePopupAtTheSelectedNode) {
  logonNcp("$PM01");
  focusTree();
  win->tvMain->setCurrentItem(item("(Started) TCPIP1"));
  QTest::keyClick(win->tvMain, Qt::Key_F10, Qt::ShiftModifier);
  EXPECT_TRUE(win->pMenu->isVisible());
  EXPECT_EQ(popupTexts().value(0), "Refresh Process TCPIP1");
}

TEST_F(KeyboardTest, ASelectedProcessShowsItsDetails) {
  logonNcp("$PM01");
  win->tvMain->setCurrentItem(item("(Started) TCPIP1"));
  EXPECT_EQ(detail("Type"), "Process");
  EXPECT_EQ(detail("Status"), "Started");
  EXPECT_EQ(detail("PATHMON"), "$PM01");
  EXPECT_EQ(detail("Stations"), "2 stations (1 Started, 1 Starting)");
  EXPECT_EQ(detail("Lines"), "1 line (1 Started)");
}

}  // namespace
