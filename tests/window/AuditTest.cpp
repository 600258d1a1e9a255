// The window's audit trail against the simulator: the operator's actions
// from the menus in order with their outcomes, Help, Audit Trail Folder
// opening the file's folder, and an audit file that cannot be written told
// once however many actions follow.
#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QTreeWidget>
#include <QUrl>

#include "WindowFixture.h"
#include "support/EventLoop.h"
#include "ui/IniFile.h"

using korvtest::waitUntil;
using wintest::WindowTest;

namespace {

// Takes the URLs the desktop would be asked to open.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls << url; }
};

using AuditTest = WindowTest;

TEST_F(AuditTest, TheOperatorsActionsAreRecordedBesideTheSettingsInOrder) {
  confirmationsOff();
  connectTacl();
  logonNcp("$PM01");
  rightClick(item("(Started) LTCP01"));
  choose("Stop");
  ASSERT_TRUE(waitUntil([&] { return idle() && item("(Stopped) LTCP01"); }));
  rightClick(hostItem());
  choose("Refresh All");
  ASSERT_TRUE(waitUntil([&] { return idle() && auditActions().size() == 4; }));
  win->mmConnect->trigger();
  ASSERT_TRUE(waitUntil([&] { return auditActions().size() == 5; }));

  EXPECT_EQ(auditActions(), (QStringList{"connect accepted", "ncp-logon accepted", "stop accepted", "refresh accepted",
                                         "disconnect accepted"}));
  const auto all = auditRecords();
  for (const QJsonObject& o : all) {
    EXPECT_EQ(o["program"].toString(), "window");
    EXPECT_EQ(o["host"].toString().toStdString(), sim->hostPort());
  }
  EXPECT_EQ(all[2]["command"].toString(), "STOP LINE LTCP01");
  EXPECT_EQ(all[2]["ncp_user"].toString(), "NCPOPER");
  EXPECT_EQ(all[3]["object"].toString(), "*");
  EXPECT_TRUE(catcher.boxes.empty()) << catcher.texts().join(" | ").toStdString();

  UrlCatcher desktop;
  QDesktopServices::setUrlHandler("file", &desktop, "open");
  win->AuditFolder->trigger();
  QDesktopServices::unsetUrlHandler("file");
  ASSERT_EQ(desktop.urls.size(), 1);
  EXPECT_EQ(desktop.urls[0].toLocalFile(), QFileInfo(auditPath()).absolutePath());
}

TEST_F(AuditTest, AnAuditFileThatCannotBeWrittenIsToldOnce) {
  QFile plain(dir.filePath("plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  win.reset();
  IniFile(settingsPath).writeString("Audit", "File", dir.filePath("plain/audit.jsonl").toStdString());
  win = std::make_unique<TfrmMain>(settingsPath);
  win->show();
  ASSERT_TRUE(waitUntil([&] { return !catcher.boxes.empty(); })) << "told when the window opens";

  answerLogin(QString::fromStdString(sim->hostPort()), "OPS.OPER", "secret1");
  win->mmConnect->trigger();
  ASSERT_TRUE(waitUntil([&] { return hostItem() && hostItem()->isExpanded() && idle(); }));
  win->mmConnect->trigger();
  ASSERT_TRUE(waitUntil([&] { return !win->NCPTelnet->IsConnected(); }));
  // Whatever else might be told is told by now: the host's last line has come.
  ASSERT_TRUE(waitUntil([&] { return !commands().empty() && commands().back() == "LOGOUT"; }));
  EXPECT_EQ(catcher.texts().filter("audit").size(), 1) << catcher.texts().join(" | ").toStdString();
  EXPECT_EQ(catcher.boxes.size(), 1u);
}

}  // namespace

#include "AuditTest.moc"
