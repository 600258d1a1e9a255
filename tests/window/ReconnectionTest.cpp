// A connection the host ends unasked comes back by itself: the window logs
// on again with what the operator gave in this run and loads the PATHMON it
// had; a refused logon ends the attempts at once and the passwords go.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "WindowFixture.h"
#include "support/EventLoop.h"
#include "ui/DataAgePanel.h"
#include "ui/IniFile.h"

using korvtest::waitUntil;
using wintest::WindowTest;

namespace {

class ReconnectionTest : public WindowTest {
 protected:
  // A START makes the host close the connection before it runs.
  QStringList simArgs() const override { return QStringList{"--close-on", "START"} + extraSimArgs; }
  void SetUp() override {
    WindowTest::SetUp();
    IniFile(settingsPath).writeInteger("Main", "ReconnectFirstMs", 20);
    connectTacl();
    logonNcp("$PM01");
  }
  void killConnection() {
    rightClick(item("(Stopped) LTCP03"));
    choose("Start");
  }
  QStringList treeTexts() const {
    QStringList texts;
    for (QTreeWidgetItemIterator it(win->tvMain); *it; ++it) texts << (*it)->text(0);
    return texts;
  }
  // Every file the window wrote, and its debug transcript.
  QString everythingWritten() const {
    QString all = debugText();
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files)) {
      QFile file(dir.filePath(name));
      if (file.open(QIODevice::ReadOnly)) all += QString::fromLatin1(file.readAll());
    }
    return all;
  }
  QStringList extraSimArgs;
};

TEST_F(ReconnectionTest, AKilledConnectionComesBackWithItsPathmonLoaded) {
  const QStringList before = treeTexts();
  killConnection();
  ASSERT_TRUE(waitUntil([&] { return debugText().contains("Reconnected to") && idle(); }));
  EXPECT_EQ(treeTexts(), before) << "the tree is whole again";
  EXPECT_TRUE(win->StateHandler()->NCPLoggedOn());
  EXPECT_TRUE(win->tvMain->isHeaderHidden()) << "no longer marked stale";
  EXPECT_FALSE(win->sbAge->text().contains("LOST")) << win->sbAge->text().toStdString();
  EXPECT_FALSE(win->StopReconnecting->isEnabled());
  EXPECT_EQ(auditActions(), (QStringList{"connect accepted", "ncp-logon accepted", "start lost", "disconnect lost",
                                         "reconnect accepted", "ncp-logon accepted"}));
  const QString written = everythingWritten();
  EXPECT_FALSE(written.contains("secret1", Qt::CaseInsensitive));
  EXPECT_FALSE(written.contains("secret2", Qt::CaseInsensitive));
}

TEST_F(ReconnectionTest, ThePathmonsLoadedBesideComeBackWithIt) {
  win->tvMain->setCurrentItem(hostItem());
  answerNcpLogin();
  win->LoadAllPathmons->trigger();
  ASSERT_TRUE(waitUntil([&] { return item("(Started) HOST01") && item("($XPNT)") && win->AllIdle(); }));
  const QStringList before = treeTexts();
  killConnection();
  ASSERT_TRUE(waitUntil([&] {
    return debugText().contains("Reconnected to") && treeTexts() == before && win->AllIdle();
  })) << treeTexts().join(" ").toStdString();
  EXPECT_EQ(win->MoreConnections(), 2u);
}

class RefusedReconnectionTest : public ReconnectionTest {
 protected:
  // The password changed after the first logon.
  void SetUp() override {
    extraSimArgs = {"--accept-logons", "1"};
    ReconnectionTest::SetUp();
  }
};

TEST_F(RefusedReconnectionTest, ARefusedLogonEndsTheAttemptsAndThePasswordsGo) {
  killConnection();
  ASSERT_TRUE(waitUntil([&] { return !catcher.boxes.empty() && !win->NCPTelnet->IsConnected(); }));
  EXPECT_FALSE(win->StopReconnecting->isEnabled()) << "no further attempt";
  EXPECT_TRUE(win->NCPTelnet->Password.empty());
  EXPECT_TRUE(win->NCPTelnet->NCPPassword.empty());
  EXPECT_EQ(auditActions().filter("reconnect"), QStringList{"reconnect refused"});
  EXPECT_EQ(win->mmConnect->text(), "Connect");
}

}  // namespace
