// Several PATHMONs and several hosts in one window: each further PATHMON on
// a connection of its own beside the first, a second host as a root of its
// own, an estate of both opened in one step and kept without passwords.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "WindowFixture.h"
#include "support/EventLoop.h"
#include "ui/ChangesPanel.h"
#include "ui/EstateSettings.h"
#include "ui/IniFile.h"
#include "ui/TfrmAuth.h"
#include "ui/TreeFind.h"

using korvtest::waitUntil;
using wintest::WindowTest;

namespace {

class EstateTest : public WindowTest {
 protected:
  // Answers every login dialog that opens: TACL ones with the TACL
  // password, NCP ones with the NCP password; counts them.
  void answerEveryLogin() {
    auto* timer = new QTimer(win.get());
    QObject::connect(timer, &QTimer::timeout, [this] {
      TfrmAuth* dlg = win->frmAuth;
      if (!dlg->isVisible() || !dlg->edPasswd->text().isEmpty()) return;
      ++loginsAnswered;
      dlg->edPasswd->setText(dlg->LoginMode() == TLoginMode::lmTACL ? "secret1" : "secret2");
      QTest::keyClick(dlg->edPasswd, Qt::Key_Return);
    });
    timer->start(5);
  }
  // A second host, named KORVDR, with two PATHMONs.
  void startSecondHost(const QStringList& extraArgs = {}) {
    const QString path = dir.filePath("dr.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "system KORVDR\npathmon $PM01\nprocess DRP1 STARTED\n"
        "pathmon $PM02\nprocess DRP2 STARTED\nline DRL2 STARTED DRP2\nstation DRS2 STARTED DRP2 DRL2\n");
    file.close();
    second = std::make_unique<korvtest::NskSimProcess>(QStringList{"--network", path} + extraArgs);
    ASSERT_TRUE(second->started());
  }
  // The tree and the boxes, for a failure's message.
  std::string picture() const {
    QStringList texts;
    for (QTreeWidgetItemIterator it(win->tvMain); *it; ++it) texts << (*it)->text(0);
    return (texts.join(" ") + " | boxes: " + catcher.texts().join(" | ")).toStdString();
  }
  // The status bar's count of Started objects.
  int startedCount() const {
    const QString text = win->sbCounts->text();
    return text.mid(text.indexOf("Started ") + 8).toInt();
  }
  void secondHostLoaded(const QStringList& extraArgs = {});
  QTreeWidgetItem* root(int i) const { return win->tvMain->topLevelItem(i); }
  QStringList childTexts(QTreeWidgetItem* parent) const {
    QStringList texts;
    for (int i = 0; parent && i < parent->childCount(); ++i) texts << parent->child(i)->text(0);
    return texts;
  }

  std::unique_ptr<korvtest::NskSimProcess> second;
  int loginsAnswered = 0;
};

TEST_F(EstateTest, EveryPathmonLoadsBesideTheFirstAndItsCommandsGoOnItsOwnConnection) {
  confirmationsOff();
  connectTacl();
  logonNcp("$PM01");
  // The registry's count: the panel follows it a moment later.
  const int startedOnFirst = int(win->ObjList()->StatusCount(nsStarted));
  win->tvMain->setCurrentItem(hostItem());
  answerNcpLogin();
  win->LoadAllPathmons->trigger();
  ASSERT_TRUE(waitUntil([&] { return item("(Started) HOST01") && item("($XPNT)") && win->AllIdle(); }));
  EXPECT_EQ(childTexts(hostItem()), (QStringList{"($PM01)", "($PM02)", "($XPNT)"}));
  EXPECT_EQ(item("(Started) HOSTIF1")->parent(), item("($PM02)"));
  EXPECT_NE(item("(Started) TCPIP1"), nullptr) << "the first PATHMON stays loaded";
  win->pnlFind->edFind->setText("HOST01");
  EXPECT_TRUE(waitUntil([&] { return item("($PM01)")->isHidden(); }));
  EXPECT_FALSE(item("($PM02)")->isHidden() || item("(Started) HOST01")->isHidden())
      << "Find searches every connection's objects";
  win->pnlFind->edFind->clear();
  EXPECT_EQ(win->MoreConnections(), 2u);
  EXPECT_TRUE(waitUntil([&] { return startedCount() == startedOnFirst + 3; }))
      << "$PM02's three are counted too: " << win->sbCounts->text().toStdString();

  // $PM01's connection does not know LHOST1: only $PM02's can stop it.
  rightClick(item("(Started) LHOST1"));
  choose("Stop");
  ASSERT_TRUE(waitUntil([&] { return item("(Stopped) LHOST1") != nullptr; }));
  EXPECT_TRUE(catcher.boxes.empty()) << catcher.texts().join(" | ").toStdString();

  // A change elsewhere on $PM02 is in the alarm list after Refresh All.
  stopFromSecondClient("station", "HOST01", "$PM02");
  win->RefreshAllView->trigger();
  // The line this console stopped is its own change.
  ASSERT_TRUE(waitUntil([&] { return win->dkChanges->RowCount() == 2 && win->AllIdle(); }))
      << win->dkChanges->Row(0).join(",").toStdString();
  for (int i = 0; i < 2; ++i) {
    const QStringList row = win->dkChanges->Row(i);
    EXPECT_EQ(row[ChangesPanel::kPathmon], "$PM02");
    EXPECT_EQ(row[ChangesPanel::kHost], QString::fromStdString(sim->hostPort()));
    EXPECT_EQ(row[ChangesPanel::kBy], row[ChangesPanel::kObject] == "Line LHOST1" ? "This console" : "Elsewhere");
  }
  // Enter on a row selects the object of its PATHMON.
  win->dkChanges->lvChanges->setCurrentItem(win->dkChanges->lvChanges->topLevelItem(0));
  QTest::keyClick(win->dkChanges->lvChanges, Qt::Key_Return);
  EXPECT_EQ(win->tvMain->currentItem()->parent()->parent(), item("($PM02)"));

  // Disconnect ends every connection; the tree goes.
  win->mmConnect->trigger();
  EXPECT_EQ(win->mmConnect->text(), "Connect");
  EXPECT_TRUE(waitUntil([&] { return win->tvMain->topLevelItemCount() == 0; }));
}

TEST_F(EstateTest, AnEstateOfTwoHostsOpensInOneStepAndIsKeptWithoutPasswords) {
  startSecondHost();
  const EstateHost production{sim->hostPort(), "OPS.OPER", {}, true, "NCPOPER"};
  const EstateHost recovery{second->hostPort(), "OPS.OPER", {"$PM02"}, false, "NCPOPER"};
  EstateSettings(settingsPath).write({"Shift", {production, recovery}});

  answerEveryLogin();
  win->OpenEstate("Shift");
  ASSERT_TRUE(waitUntil([&] {
    return item("(Started) HOST01") && item("($XPNT)") && item("(Started) DRS2") && item("(Started) TCPIP1") &&
           win->AllIdle();
  })) << picture();
  EXPECT_EQ(loginsAnswered, 4) << "a TACL and an NCP password per host, nothing more";
  ASSERT_EQ(win->tvMain->topLevelItemCount(), 2);
  EXPECT_EQ(root(0)->text(0), "KORVDEMO");
  EXPECT_EQ(childTexts(root(0)), (QStringList{"($PM01)", "($PM02)", "($XPNT)"}));
  EXPECT_EQ(root(1)->text(0), "KORVDR");
  EXPECT_EQ(childTexts(root(1)), (QStringList{"$PM01", "($PM02)"}));
  EXPECT_TRUE(catcher.boxes.empty()) << catcher.texts().join(" | ").toStdString();

  win->SaveEstate("Saved");
  const Estate saved = EstateSettings(settingsPath).read("Saved");
  ASSERT_EQ(saved.hosts.size(), 2u);
  EXPECT_EQ(saved.hosts[0].pathmons, (std::vector<std::string>{"$PM01", "$PM02", "$XPNT"}));
  EXPECT_EQ(saved.hosts[1].host, second->hostPort());
  EXPECT_EQ(saved.hosts[1].pathmons, std::vector<std::string>{"$PM02"});
  EXPECT_EQ(saved.hosts[1].ncpUser, "NCPOPER");
  QFile settings(settingsPath);
  ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
  const QByteArray written = settings.readAll();
  EXPECT_FALSE(written.contains("secret1") || written.contains("secret2"));
}

// The first host with $PM01 loaded, the second added beside it with both its
// PATHMONs: $PM01 on the host's own connection, $PM02 on one of its own. The
// second host ends the connection that starts a line.
void EstateTest::secondHostLoaded(const QStringList& extraArgs) {
  startSecondHost(QStringList{"--close-on", "START"} + extraArgs);
  confirmationsOff();
  IniFile(settingsPath).writeInteger("Main", "ReconnectFirstMs", 20);
  connectTacl();
  logonNcp("$PM01");
  answerLogin(QString::fromStdString(second->hostPort()), "OPS.OPER", "secret1");
  win->AddHost->trigger();
  ASSERT_TRUE(waitUntil([&] { return item("KORVDR") && item("KORVDR")->isExpanded(); })) << picture();
  win->tvMain->setCurrentItem(item("KORVDR"));
  answerNcpLogin();
  win->LoadAllPathmons->trigger();
  ASSERT_TRUE(waitUntil([&] { return item("(Started) DRS2") && item("(Started) DRP1") && win->AllIdle(); }))
      << picture();
  EXPECT_EQ(win->MoreConnections(), 2u);
}

TEST_F(EstateTest, AConnectionTheHostEndsIsToldAndComesBackAlone) {
  secondHostLoaded();
  rightClick(item("(Started) DRL2"));
  choose("Start");
  ASSERT_TRUE(waitUntil([&] { return !catcher.boxes.empty(); })) << picture();
  EXPECT_TRUE(catcher.texts().join("").contains("for $PM02 ended")) << catcher.texts().join(" | ").toStdString();
  ASSERT_TRUE(waitUntil([&] {
    return debugText().contains("reconnected") && item("(Started) DRS2") && win->AllIdle();
  })) << picture();
  EXPECT_EQ(catcher.boxes.size(), 1u) << "told once";
  EXPECT_EQ(childTexts(item("KORVDR")), (QStringList{"($PM01)", "($PM02)"}));
  EXPECT_NE(item("(Started) TCPIP1"), nullptr) << "the first host is untouched";
  EXPECT_TRUE(auditActions().contains("reconnect accepted"));

  // The second host alone is disconnected.
  win->tvMain->setCurrentItem(item("(Started) DRP1"));
  win->DisconnectHost->trigger();
  ASSERT_TRUE(waitUntil([&] { return win->MoreConnections() == 0 && !item("KORVDR") && win->AllIdle(); })) << picture();
  EXPECT_TRUE(win->StateHandler()->NCPLoggedOn());
  EXPECT_EQ(win->mmConnect->text(), "Disconnect");
}

TEST_F(EstateTest, ARefusedLogonEndsTheAttemptsOfThatConnection) {
  // The second host's password changes after its two connections logged on.
  IniFile(settingsPath).writeInteger("Main", "Connections", 1);
  secondHostLoaded({"--accept-logons", "2"});
  rightClick(item("(Started) DRL2"));
  choose("Start");
  ASSERT_TRUE(waitUntil([&] { return win->MoreConnections() == 1 && win->AllIdle(); })) << picture();
  EXPECT_EQ(auditActions().filter("reconnect").join(","), "reconnect refused")
      << "one attempt, no more: " << auditActions().join(",").toStdString() << debugText().toStdString();
  EXPECT_FALSE(win->StopReconnecting->isEnabled());
  EXPECT_EQ(childTexts(item("KORVDR")), (QStringList{"($PM01)", "$PM02"})) << "the host's other PATHMON stays";
}

}  // namespace
