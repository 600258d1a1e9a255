// The NCP logon by double click and the loaded tree: texts, pictures and
// shape from the simulator's demo network; which double clicks do nothing; a
// refused NCP password. Saves a screenshot of the window with a loaded tree.
#include <QFile>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "WindowFixture.h"
#include "support/EventLoop.h"
#include "ui/IniFile.h"
#include "ui/TfrmAuth.h"

using korvtest::waitUntil;
using wintest::WindowTest;

namespace {

class TreeTest : public WindowTest {
 protected:
  QImage picture(QTreeWidgetItem* node) const {
    return node->icon(0).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
  }
  QImage listPicture(TXPNetType type, TXPNetStatus status) const {
    return win->imgList[TXPNetObjList::PictureIndex(type, status)].pixmap(16, 16).toImage().convertToFormat(
        QImage::Format_ARGB32);
  }
  // Double click on node; true when the login dialog opened (it is cancelled).
  bool doubleClickOpensDialog(QTreeWidgetItem* node) {
    bool opened = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (!win->frmAuth->isVisible()) return;
      opened = true;
      win->frmAuth->reject();
    });
    watch.start(5);
    doubleClick(node);
    korvtest::processQueuedEvents();
    return opened;
  }
};

TEST_F(TreeTest, DoubleClickOnAPathmonLogsOnAndLoadsItsObjectsWithTheirStatus) {
  connectTacl();
  logonNcp("$PM01");
  EXPECT_TRUE(catcher.boxes.empty());

  QTreeWidgetItem* pm01 = item("($PM01)");
  ASSERT_NE(pm01, nullptr);
  EXPECT_EQ(pm01->parent(), hostItem());
  EXPECT_EQ(item("$PM02")->childCount(), 0);
  EXPECT_EQ(pm01->childCount(), 5);

  struct Expect {
    const char* text;
    const char* parent;
    TXPNetType type;
    TXPNetStatus status;
  };
  const Expect expected[] = {
      {"(Started) TCPIP1", "($PM01)", xpProcess, nsStarted},
      {"(Stopped) X25P01", "($PM01)", xpProcess, nsStopped},
      {"(Abnormal) POSDRV", "($PM01)", xpProcess, nsAbnormal},
      {"(Starting) ATMDRV", "($PM01)", xpProcess, nsStarting},
      {"(Stopped) LTCP03", "(Started) TCPIP2", xpLine, nsStopped},
      {"(Abnormal) LX2501", "(Stopped) X25P01", xpLine, nsAbnormal},
      {"(Stopped) POS002", "(Started) TCPIP2", xpStation, nsStopped},
      {"(Started) ATM001", "(Started) TCPIP1", xpStation, nsStarted},
      {"(Starting) ATM002", "(Started) TCPIP1", xpStation, nsStarting},
  };
  for (const Expect& e : expected) {
    SCOPED_TRACE(e.text);
    QTreeWidgetItem* node = item(e.text);
    ASSERT_NE(node, nullptr);
    ASSERT_NE(node->parent(), nullptr);
    EXPECT_EQ(node->parent()->text(0), e.parent);
    EXPECT_EQ(picture(node), listPicture(e.type, e.status));
  }
  EXPECT_EQ(picture(item("$PM02")), listPicture(xpPathmon, nsStarted));
  EXPECT_EQ(picture(hostItem()), win->imgList[0].pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32));

  // The station ATM001 shares its line with ATM002: the line is listed under
  // its process once for each station.
  int ltcp01 = 0;
  QTreeWidgetItem* tcpip1 = item("(Started) TCPIP1");
  for (int i = 0; i < tcpip1->childCount(); ++i) ltcp01 += tcpip1->child(i)->text(0) == "(Started) LTCP01";
  EXPECT_EQ(ltcp01, 2);

  win->tvMain->expandAll();
  win->tvMain->setCurrentItem(item("(Started) TCPIP1"));
  EXPECT_TRUE(win->grab().save(KORV_WINDOW_SCREENSHOT_DIR "/main-window-loaded-tree.png"));
}

// A host whose names carry control characters (ESC, BEL).
class ControlCharacterTreeTest : public WindowTest {
 protected:
  QStringList simArgs() const override {
    const QString path = dir.filePath("network.txt");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("pathmon $PM01\nprocess P1 STARTED\nline L1 STARTED P1\nstation P\x1bX\x07YZ STARTED P1 L1\n");
    return {"--network", path};
  }
};

TEST_F(ControlCharacterTreeTest, AControlCharacterOfANameShowsEscapedAndNothingOfItIsLost) {
  connectTacl();
  logonNcp("$PM01");
  EXPECT_NE(item("(Started) P\\x1bX\\x07YZ"), nullptr);
}

TEST_F(TreeTest, DoubleClicksThatDoNothing) {
  oneConnection();
  connectTacl();
  EXPECT_FALSE(doubleClickOpensDialog(hostItem())) << "host node";
  EXPECT_TRUE(doubleClickOpensDialog(item("$PM02"))) << "a PATHMON before the NCP logon";
  EXPECT_EQ(win->StateHandler()->CurrentPathmonNode(), nullptr) << "a cancelled dialog chooses nothing";
  logonNcp("$PM01");
  EXPECT_TRUE(doubleClickOpensDialog(item("$PM02"))) << "a further PATHMON, for a connection of its own";
  EXPECT_FALSE(doubleClickOpensDialog(item("($PM01)"))) << "the PATHMON loaded";
  EXPECT_FALSE(doubleClickOpensDialog(item("(Started) TCPIP1"))) << "a process";
  EXPECT_FALSE(doubleClickOpensDialog(item("(Started) ATM001"))) << "a station";
  EXPECT_FALSE(doubleClickOpensDialog(item("(Stopped) LTCP03"))) << "a line";
  const auto sent = commands();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "NCPCOM $PM01"), 1);
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "NCPCOM $PM02"), 0);
}

TEST_F(TreeTest, RefusedNcpPasswordShowsTheErrorBoxAndAnotherPathmonMayBeChosen) {
  connectTacl();
  win->tvMain->setCurrentItem(item("$PM02"));
  answerNcpLogin("wrong");
  win->tvMainDblClick();
  ASSERT_TRUE(waitUntil([&] { return !catcher.boxes.empty() && idle(); }));
  ASSERT_EQ(catcher.boxes.size(), 1u);
  EXPECT_EQ(catcher.boxes[0].text, "Password salah");
  EXPECT_EQ(catcher.boxes[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(catcher.boxes[0].detail.contains("NCP logon"));
  EXPECT_TRUE(catcher.boxes[0].detail.contains("LOGON REJECTED, INVALID USER OR PASSWORD"));
  EXPECT_TRUE(debugText().contains("NCP Not Authorized"));
  EXPECT_FALSE(win->StateHandler()->NCPLoggedOn());
  EXPECT_EQ(win->mmConnect->text(), "Disconnect") << "the TACL session stays";

  logonNcp("$PM01");
  EXPECT_EQ(item("$PM02")->text(0), "$PM02");
  EXPECT_NE(item("($PM01)"), nullptr);
  EXPECT_EQ(win->StateHandler()->PreviousPathmonNode(), QtTreeNode::of(item("$PM02")));
}

class ObjectLimitTest : public WindowTest {
 protected:
  QStringList simArgs() const override { return {"--stations", "200", "--page", "0"}; }
};

// A host that lists more objects than the settings file allows: one warning,
// the connection closed, and the objects loaded so far stay in the tree.
TEST_F(ObjectLimitTest, LoadStopsAtTheLimitWithOneWarningAndKeepsTheTree) {
  IniFile(settingsPath).writeInteger("Main", "MaxObjects", 100);
  IniFile(settingsPath).writeInteger("Main", "Connections", 1);
  win = std::make_unique<TfrmMain>(settingsPath);
  win->show();
  ASSERT_TRUE(waitUntil([&] { return win->isVisible() && win->ObjList() != nullptr; }));
  connectTacl();
  win->tvMain->setCurrentItem(item("$PM01"));
  answerNcpLogin();
  doubleClick(item("$PM01"));
  ASSERT_TRUE(waitUntil([&] { return !win->NCPTelnet->IsConnected() && !catcher.boxes.empty(); }));
  ASSERT_EQ(catcher.boxes.size(), 1u);
  EXPECT_TRUE(catcher.boxes[0].text.contains("more than 100 objects")) << catcher.boxes[0].text.toStdString();
  EXPECT_EQ(catcher.boxes[0].icon, QMessageBox::Warning);
  EXPECT_EQ(win->mmConnect->text(), "Connect");
  int objects = 0;
  for (QTreeWidgetItemIterator it(win->tvMain); *it; ++it) ++objects;
  // The host node is no object; a station comes with its line.
  EXPECT_GE(objects - 1, 99);
  EXPECT_LE(objects - 1, 100);
  EXPECT_EQ(win->ObjList()->Items().size(), static_cast<size_t>(objects - 1));
  EXPECT_EQ(commands().back(), "INFO STATION *") << "nothing more is asked";
}

}  // namespace
