// The window over ssh:// (the simulator's SSH side) and the host-key dialog:
// an unknown key is shown with its type, fingerprint and the known-hosts
// file, with Cancel as the default; accepted, it is written to the file named
// in the settings file and the logon is made again, this time through;
// accepted once, the logon goes through and the file stays untouched. A
// changed key is refused, shown with both keys and the way to remove the old.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTreeWidget>

#include "WindowFixture.h"
#include "support/EventLoop.h"
#include "ui/TfrmHostKey.h"

using korvtest::waitUntil;

namespace {

class HostKeyTest : public wintest::WindowTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    makeKey(keyPath());
    WindowTest::SetUp();
    QFile settings(settingsPath);
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[SSH]\nKnownHosts=" + knownHosts().toUtf8() + "\n");
  }
  QStringList simArgs() const override { return {"--ssh-host-key", keyPath()}; }
  QString keyPath() const { return dir.filePath("hostkey"); }
  QString knownHosts() const { return dir.filePath("known_hosts"); }
  QString knownName() const { return QString("[127.0.0.1]:%1").arg(sim->sshPort()); }

  static void makeKey(const QString& path) {
    ASSERT_EQ(QProcess::execute("/usr/bin/ssh-keygen", {"-q", "-t", "ed25519", "-N", "", "-f", path}), 0);
  }
  // "SHA256:..." as ssh-keygen -l shows the key.
  static QString fingerprint(const QString& path) {
    QProcess keygen;
    keygen.start("/usr/bin/ssh-keygen", {"-l", "-f", path + ".pub"});
    keygen.waitForFinished();
    return QString::fromLatin1(keygen.readAllStandardOutput()).split(' ').value(1);
  }
  static QByteArray fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  // Runs answer once the host-key dialog opens, keeping its text as a
  // screen reader gets it.
  void whenHostKeyShown(const std::function<void(TfrmHostKey*)>& answer) {
    auto* timer = new QTimer(win.get());
    QObject::connect(timer, &QTimer::timeout, [this, timer, answer] {
      auto* dialog = qobject_cast<TfrmHostKey*>(QApplication::activeModalWidget());
      if (!dialog) return;
      timer->stop();
      shown = QAccessible::queryAccessibleInterface(dialog->lbDetails)->text(QAccessible::Description);
      answer(dialog);
    });
    timer->start(5);
  }
  // Tools, Connect over SSH; waits for the PATHMONs or for until.
  void connectSsh(const std::function<bool()>& until) {
    answerLogin(QString::fromStdString(sim->sshHost()), "OPS.OPER", "secret1");
    win->mmConnect->trigger();
    ASSERT_TRUE(waitUntil([&] { return pathmonsShown() || until(); }));
  }
  bool pathmonsShown() const {
    QTreeWidgetItem* host = hostItem();
    return host && host->childCount() == 3 && idle();
  }

  QString shown;
};

TEST_F(HostKeyTest, AcceptedUnknownKeyIsAddedToKnownHostsAndTheLogonGoesThrough) {
  bool cancelIsDefault = false;
  whenHostKeyShown([&](TfrmHostKey* dialog) {
    cancelIsDefault = dialog->btnCancel->isDefault() && dialog->focusWidget() == dialog->btnCancel;
    dialog->btnAccept->click();
  });
  win->DebugView->trigger();
  connectSsh([&] { return !catcher.boxes.empty(); });
  EXPECT_TRUE(catcher.texts().isEmpty()) << catcher.texts().join("\n").toStdString();
  EXPECT_TRUE(cancelIsDefault);
  EXPECT_TRUE(shown.contains(fingerprint(keyPath()))) << shown.toStdString();
  EXPECT_TRUE(shown.contains("ssh-ed25519"));
  EXPECT_TRUE(shown.contains(knownHosts()));

  const QByteArray key = fileText(keyPath() + ".pub").split(' ').value(1);
  EXPECT_TRUE(fileText(knownHosts()).contains(key));
  EXPECT_EQ(commands().front(), "SETPROMPT SUBVOL");
  EXPECT_FALSE(debugText().contains("secret1"));
  EXPECT_FALSE(fileText(settingsPath).contains("secret1"));
}

TEST_F(HostKeyTest, KeyAcceptedOnceLogsOnAndLeavesTheKnownHostsAlone) {
  whenHostKeyShown([](TfrmHostKey* dialog) { dialog->btnOnce->click(); });
  connectSsh([&] { return !catcher.boxes.empty(); });
  EXPECT_TRUE(pathmonsShown()) << catcher.texts().join("\n").toStdString();
  EXPECT_FALSE(QFile::exists(knownHosts()));
}

TEST_F(HostKeyTest, ChangedKeyShowsBothKeysAndTheCommandThatRemovesTheOldLine) {
  const QString oldKey = dir.filePath("oldkey");
  makeKey(oldKey);
  const QByteArray line = knownName().toLatin1() + ' ' + fileText(oldKey + ".pub").trimmed();
  QFile file(knownHosts());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(line + "\n");
  file.close();

  bool acceptOffered = true;
  whenHostKeyShown([&](TfrmHostKey* dialog) {
    acceptOffered = dialog->btnAccept->isVisible() || dialog->btnOnce->isVisible();
    dialog->btnCancel->click();
  });
  connectSsh([&] { return !shown.isEmpty() && !QApplication::activeModalWidget(); });
  EXPECT_FALSE(acceptOffered);
  EXPECT_TRUE(shown.contains(fingerprint(oldKey))) << shown.toStdString();
  EXPECT_TRUE(shown.contains(fingerprint(keyPath())));
  EXPECT_TRUE(shown.contains(QString::fromLatin1(line).section(' ', 0, 2)));
  EXPECT_TRUE(shown.contains(QString("ssh-keygen -f '%1' -R '%2'").arg(knownHosts(), knownName())));
  korvtest::processQueuedEvents();
  EXPECT_FALSE(pathmonsShown());
  EXPECT_TRUE(commands().empty());
  EXPECT_EQ(fileText(knownHosts()), line + "\n");
}

}  // namespace
