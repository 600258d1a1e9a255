// The window over ssh:// (the simulator's SSH side): an unknown host key is
// shown with its fingerprint; accepted, it is written to the known hosts file
// named in the settings file and the logon is made again, this time through.
#include <QAbstractButton>
#include <QFile>
#include <QProcess>

#include "WindowFixture.h"
#include "support/EventLoop.h"

using korvtest::waitUntil;

namespace {

class HostKeyTest : public wintest::WindowTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(QProcess::execute("/usr/bin/ssh-keygen", {"-q", "-t", "ed25519", "-N", "", "-f", keyPath()}), 0);
    WindowTest::SetUp();
  }
  QStringList simArgs() const override { return {"--ssh-host-key", keyPath()}; }
  QString keyPath() const { return dir.filePath("hostkey"); }

  static QByteArray fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
};

TEST_F(HostKeyTest, AcceptedUnknownKeyIsAddedToKnownHostsAndTheLogonGoesThrough) {
  const QString knownHosts = dir.filePath("known_hosts");
  {
    QFile settings(settingsPath);
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[SSH]\nKnownHosts=" + knownHosts.toUtf8() + "\n");
  }
  QString prompt;
  catcher.holdWhile = [&](QMessageBox* box) {
    if (!box->text().contains("is not known")) return false;
    prompt = box->text();
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == "Accept and connect") button->click();
    }
    return true;
  };
  win->DebugView->trigger();
  answerLogin(QString("ssh://127.0.0.1:%1").arg(sim->sshPort()), "OPS.OPER", "secret1");
  win->mmConnect->trigger();
  ASSERT_TRUE(waitUntil([&] {
    QTreeWidgetItem* host = hostItem();
    return (host && host->childCount() == 3 && idle()) || !catcher.boxes.empty();
  }));
  EXPECT_TRUE(catcher.texts().isEmpty()) << catcher.texts().join("\n").toStdString();
  EXPECT_TRUE(prompt.contains("SHA256:")) << prompt.toStdString();

  const QByteArray key = fileText(keyPath() + ".pub").split(' ').value(1);
  EXPECT_TRUE(fileText(knownHosts).contains(key));
  EXPECT_EQ(commands().front(), "SETPROMPT SUBVOL");
  EXPECT_FALSE(debugText().contains("secret1"));
  EXPECT_FALSE(fileText(settingsPath).contains("secret1"));
}

}  // namespace
