// The tree's popup menu on a loaded tree: its items for each object type and
// for the host node (which has no object of its own), the commands each item
// queues in order, the status change they bring back, the queue shown in the
// status bar with the tree's busy cursor, and no object of a tree that was
// cleared. Saves a screenshot of the menu.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTreeWidget>

#include "WindowFixture.h"
#include "support/EventLoop.h"
#include "ui/ObjectPopupMenu.h"
#include "ui/TfrmDebug.h"

using korvtest::waitUntil;
using wintest::WindowTest;

namespace {

class PopupTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    confirmationsOff();
    connectTacl();
    logonNcp("$PM01");
  }
  // The commands the simulator received after the first `from`.
  std::vector<std::string> sentSince(size_t from) const {
    const auto all = commands();
    return from < all.size() ? std::vector<std::string>(all.begin() + long(from), all.end())
                             : std::vector<std::string>{};
  }
  // The same, up to a status request of the test's own sent after them: the
  // session sends in order, so what the window had queued is in by then.
  std::vector<std::string> sentBeforeProbe(size_t from) {
    korvtest::processQueuedEvents();
    const size_t probeAt = commands().size();
    win->NCPTelnet->StatusLine("LTCP03");
    EXPECT_TRUE(waitUntil([&] { return idle() && commands().size() > probeAt; }));
    std::vector<std::string> sent = sentSince(from);
    EXPECT_FALSE(sent.empty());
    if (!sent.empty() && sent.back() == "STATUS LINE LTCP03") sent.pop_back();
    return sent;
  }
};

TEST_F(PopupTest, ItemsFollowTheTypeOfTheObjectUnderTheMouse) {
  rightClick(item("(Started) TCPIP1"));
  EXPECT_EQ(popupTexts(), (QStringList{"Refresh Process TCPIP1", "Start", "Stop", "Sign On", "Sign Off", "Key Change",
                                       "Warmboot", "-", "Refresh All", "Alter Parameters"}));
  EXPECT_TRUE(win->pMenu->grab().save(KORV_WINDOW_SCREENSHOT_DIR "/popup-menu-process.png"));

  rightClick(item("(Stopped) LTCP03"));
  EXPECT_EQ(popupTexts(), (QStringList{"Refresh Line LTCP03", "Start", "Stop", "Refresh All", "Alter Parameters"}));
  EXPECT_EQ(win->tvMain->currentItem(), item("(Stopped) LTCP03"));

  rightClick(item("(Stopped) POS002"));
  EXPECT_EQ(popupTexts(), (QStringList{"Refresh Station POS002", "Start", "Stop", "Refresh All", "Alter Parameters"}));

  rightClick(item("$PM02"));
  EXPECT_EQ(popupTexts(), (QStringList{"Refresh All", "Alter Parameters", "NCP Logon..."}))
      << "a further PATHMON loads on a connection of its own";
  EXPECT_FALSE(win->Popup()->ItemActs(0));
}

TEST_F(PopupTest, HostNodeOffersRefreshAllAloneAndActsOnNoOtherObject) {
  rightClick(item("(Stopped) LTCP03"));
  rightClick(hostItem());
  EXPECT_EQ(popupTexts(), QStringList{"Refresh All"});
  EXPECT_EQ(win->tvMain->currentItem(), hostItem()) << "the selection stays on the host node";
  EXPECT_FALSE(win->Popup()->HasPopupObject());
  const size_t before = commands().size();
  for (QAction* a : win->pMenu->actions())
    if (!a->isSeparator() && QString(a->text()).remove('&') != "Refresh All") a->trigger();
  EXPECT_TRUE(sentBeforeProbe(before).empty()) << "hidden object items act on nothing";
  EXPECT_FALSE(debugText().contains("StartLine"));
}

TEST_F(PopupTest, ClearedTreeLeavesTheMenuNoObjectToActOn) {
  rightClick(item("(Stopped) LTCP03"));
  win->mmConnect->trigger();
  ASSERT_TRUE(waitUntil([&] { return !win->NCPTelnet->IsConnected(); }));
  win->frmDebug->DbgClearClick();
  win->Popup()->Start->trigger();
  EXPECT_FALSE(win->Popup()->HasPopupObject()) << "the menu was still open when the tree was cleared";
  EXPECT_FALSE(debugText().contains("StartLine"));

  win->tvMainContextMenu(QPoint(5, 5));
  EXPECT_EQ(popupTexts(), QStringList{"Refresh All"}) << "a right click on the empty tree offers no object";
}

TEST_F(PopupTest, StartOnALineQueuesStartThenItsStatusAndTheNodeChanges) {
  rightClick(item("(Stopped) LTCP03"));
  const size_t before = commands().size();
  choose("Start");
  EXPECT_EQ(win->sbPanels[0]->text(), "Queue: 1 (2)") << "START runs, its status request waits";
  EXPECT_EQ(win->tvMain->cursor().shape(), Qt::BusyCursor);
  EXPECT_TRUE(debugText().contains("StartLine LTCP03"));
  ASSERT_TRUE(waitUntil([&] { return idle() && item("(Stopped) LTCP03") == nullptr; }));
  EXPECT_EQ(sentSince(before), (std::vector<std::string>{"START LINE LTCP03", "STATUS LINE LTCP03"}));
  EXPECT_TRUE(item("(Starting) LTCP03") || item("(Started) LTCP03"));
  EXPECT_EQ(win->tvMain->cursor().shape(), Qt::ArrowCursor);
  EXPECT_TRUE(win->sbPanels[0]->text().startsWith("Queue: 0 ("));
}

TEST_F(PopupTest, EachActionQueuesItsCommandsInOrder) {
  struct Row {
    const char* node;
    const char* choice;
    const char* debug;
    std::vector<std::string> sent;
  };
  const Row rows[] = {
      {"(Started) ATM001", "Refresh Station ATM001", "RefreshStation ATM001", {"STATUS STATION ATM001"}},
      {"(Started) ATM001", "Stop", "StopStation ATM001", {"STOP STATION ATM001", "STATUS STATION ATM001"}},
      {"(Stopped) X25P01", "Refresh Process X25P01", "RefreshProcess X25P01", {"STATUS PROCESS X25P01"}},
      {"(Stopped) X25P01", "Start", "StartProcess X25P01", {"START PROCESS X25P01", "STATUS PROCESS X25P01"}},
      {"(Started) TCPIP1", "Stop", "StopProcess TCPIP1", {"STOP PROCESS TCPIP1", "STATUS PROCESS TCPIP1"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.debug);
    QTreeWidgetItem* node = item(r.node);
    ASSERT_NE(node, nullptr);
    rightClick(node);
    const size_t before = commands().size();
    choose(r.choice);
    ASSERT_TRUE(waitUntil([&] { return idle() && sentSince(before).size() >= r.sent.size(); }));
    EXPECT_EQ(sentSince(before), r.sent);
    EXPECT_TRUE(debugText().contains(r.debug));
  }
  EXPECT_NE(item("(Stopped) ATM001"), nullptr);
  EXPECT_NE(item("(Stopped) TCPIP1"), nullptr);

  // Sign on, key change and warm boot send DELIVER without a status request;
  // Sign Off does nothing.
  rightClick(item("(Stopped) TCPIP1"));
  size_t before = commands().size();
  choose("Sign Off");
  EXPECT_TRUE(sentBeforeProbe(before).empty());
  for (const char* choice : {"Sign On", "Key Change", "Warmboot"}) {
    rightClick(item("(Stopped) TCPIP1"));
    before = commands().size();
    choose(choice);
    ASSERT_TRUE(waitUntil([&] { return idle() && !sentSince(before).empty(); }));
    const auto sent = sentSince(before);
    ASSERT_EQ(sent.size(), 1u) << choice;
    EXPECT_EQ(sent[0].rfind("DELIVER PROCESS TCPIP1", 0), 0u) << sent[0];
  }
  EXPECT_TRUE(debugText().contains("SignOnProcess TCPIP1"));
  EXPECT_TRUE(debugText().contains("KeyChangeProcess TCPIP1"));
  EXPECT_TRUE(debugText().contains("WarmBootProcess TCPIP1"));
}

TEST_F(PopupTest, ANameThatWouldChangeTheCommandIsRefusedWithAMessageAndNothingIsSent) {
  const std::pair<const char*, const char*> rows[] = {
      {"A B", "Start"}, {"X,Y", "Sign On"}, {"A;B", "Stop"}, {"A'B", "Refresh Process A'B"}, {"A\"B", "Key Change"}};
  const size_t before = commands().size();
  for (const auto& [name, choice] : rows) {
    // A name the host listed, quoted or with a separator.
    win->ObjList()->AddProcess("$PM01", name, nsStopped);
    rightClick(item(QString("(Stopped) ") + name));
    catcher.boxes.clear();
    choose(choice);
    ASSERT_EQ(catcher.boxes.size(), 1u) << name;
    EXPECT_TRUE(catcher.boxes[0].text.contains("would change the command")) << catcher.boxes[0].text.toStdString();
    EXPECT_TRUE(catcher.boxes[0].text.contains("Nothing was sent")) << catcher.boxes[0].text.toStdString();
  }
  // The next command is the first the host receives.
  rightClick(item("(Started) TCPIP1"));
  choose("Refresh Process TCPIP1");
  ASSERT_TRUE(waitUntil([&] { return idle() && !sentSince(before).empty(); }));
  EXPECT_EQ(sentSince(before), std::vector<std::string>{"STATUS PROCESS TCPIP1"});
}

class RefusingHostPopupTest : public PopupTest {
 protected:
  QStringList simArgs() const override { return {"--refuse", "X25P01"}; }
};

TEST_F(RefusingHostPopupTest, AStartTheHostRefusesShowsTheHostsLineInAMessageAndTheDebugWindow) {
  rightClick(item("(Stopped) X25P01"));
  choose("Start");
  ASSERT_TRUE(waitUntil([&] { return !catcher.boxes.empty(); }));
  const QString hostLine = "*** ERROR: PROCESS \\KORVDEMO.$PM01.X25P01 CANNOT BE STARTED, FILE ERROR 11";
  EXPECT_TRUE(catcher.boxes[0].text.contains(hostLine)) << catcher.boxes[0].text.toStdString();
  EXPECT_EQ(catcher.boxes[0].icon, QMessageBox::Warning);
  EXPECT_TRUE(debugText().contains(hostLine));
  ASSERT_TRUE(waitUntil([&] { return idle(); }));
  EXPECT_NE(item("(Stopped) X25P01"), nullptr);
}

TEST_F(PopupTest, RefreshAllAsksForEveryStatusAndAlterParametersIsNotAvailable) {
  rightClick(item("$PM02"));
  const size_t before = commands().size();
  choose("Refresh All");
  ASSERT_TRUE(waitUntil([&] { return idle() && sentSince(before).size() >= 3; }));
  EXPECT_EQ(sentSince(before), (std::vector<std::string>{"STATUS PROCESS *", "STATUS STATION *", "STATUS LINE *"}));

  rightClick(item("(Started) TCPIP1"));
  choose("Alter Parameters");
  ASSERT_EQ(catcher.boxes.size(), 1u);
  EXPECT_EQ(catcher.boxes[0].text, "Not available in this version.");
  EXPECT_EQ(catcher.boxes[0].icon, QMessageBox::NoIcon);
  EXPECT_EQ(sentSince(before).size(), 3u);
}

}  // namespace
