// The window over telnets:// through the system's stunnel in front of the
// simulator: the whole road over a certificate verified with the host's CA
// file, the protection panel, the trust dialog for a certificate that does not
// verify (refused, then trusted and pinned) and a pinned certificate that has
// changed.
#include <QAccessible>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "WindowFixture.h"
#include "support/EventLoop.h"
#include "support/TlsLab.h"
#include "ui/TfrmCertificate.h"
#include "ui/TlsTrustSettings.h"

using korvtest::waitUntil;
using wintest::WindowTest;

namespace {

class TlsTrustTest : public WindowTest {
 protected:
  std::string hostKey() const { return "telnets://localhost:" + std::to_string(stunnel->port()); }
  void serve(const korvtest::TlsFiles& files) {
    stunnel = std::make_unique<korvtest::Stunnel>(lab, files, sim->port());
  }
  // Tools, Connect to the stunnel port; waits for the PATHMONs, a message box
  // or the certificate dialog's outcome.
  void connectTls(const std::function<bool()>& until) {
    answerLogin(QString::fromStdString(hostKey()), "OPS.OPER", "secret1");
    win->mmConnect->trigger();
    ASSERT_TRUE(waitUntil(until));
  }
  bool pathmonsShown() const { return hostItem() && hostItem()->isExpanded() && idle(); }
  // Runs answer once the certificate dialog opens, keeping its text as a
  // screen reader gets it.
  void onCertificateDialog(const std::function<void(TfrmCertificate*)>& answer) {
    auto* timer = new QTimer(win.get());
    QObject::connect(timer, &QTimer::timeout, [this, timer, answer] {
      if (!win->frmCertificate->isVisible()) return;
      timer->stop();
      QAccessibleInterface* details = QAccessible::queryAccessibleInterface(win->frmCertificate->lbDetails);
      shown = details ? details->text(QAccessible::Description) : QString();
      answer(win->frmCertificate);
    });
    timer->start(5);
  }
  void whenCertificateShown(bool trust) {
    onCertificateDialog([trust](TfrmCertificate* dialog) { (trust ? dialog->btnTrust : dialog->btnCancel)->click(); });
  }
  QString settingsText() const {
    QFile file(settingsPath);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
  }

  korvtest::TlsLab lab;
  std::unique_ptr<korvtest::Stunnel> stunnel;
  QString shown;
};

TEST_F(TlsTrustTest, VerifiedCertificateRunsTheWholeRoadAndThePanelSaysWhatProtectsIt) {
  serve(lab.issue("host"));
  IniFile(settingsPath).writeString(TlsTrustSettings::kCaFiles, hostKey(), lab.caFile().toStdString());
  win->DebugView->trigger();
  connectTls([&] { return pathmonsShown() || !catcher.boxes.empty(); });
  ASSERT_TRUE(catcher.boxes.empty()) << catcher.texts().join("|").toStdString();
  EXPECT_EQ(win->sbPanels[1]->text(), "TLS 1.3, certificate verified");
  logonNcp();
  EXPECT_NE(item("(Started) LTCP01"), nullptr);
  EXPECT_FALSE(debugText().contains("secret"));
  EXPECT_FALSE(settingsText().contains("secret"));

  win->DisConnect1Click();
  EXPECT_TRUE(win->sbPanels[1]->text().isEmpty());
}

TEST_F(TlsTrustTest, UntrustedCertificateIsShownRefusedOrTrustedAndThenPinned) {
  const korvtest::TlsFiles own = lab.selfSigned("own");
  serve(own);
  const QString fingerprint = QString::fromStdString(lab.pin(own.cert)).mid(7).toUpper();

  whenCertificateShown(false);
  connectTls([&] { return !shown.isEmpty(); });
  korvtest::processQueuedEvents();
  EXPECT_TRUE(shown.contains(QString::fromStdString(WSocketErrorDesc(socketerrors::kTlsUntrusted))));
  EXPECT_TRUE(QString(shown).remove(':').contains(fingerprint));
  EXPECT_TRUE(shown.contains("Subject: CN=localhost"));
  EXPECT_FALSE(win->NCPTelnet->IsConnected());
  EXPECT_FALSE(settingsText().contains(TlsTrustSettings::kPins));
  EXPECT_TRUE(stunnel->forwardedNothing());
  EXPECT_TRUE(sim->transcript().empty());

  shown.clear();
  whenCertificateShown(true);
  connectTls([&] { return pathmonsShown() || !catcher.boxes.empty(); });
  ASSERT_TRUE(catcher.boxes.empty()) << catcher.texts().join("|").toStdString();
  EXPECT_EQ(TlsTrustSettings(settingsPath).trustFor(hostKey()).pin, lab.pin(own.cert));
  EXPECT_EQ(win->sbPanels[1]->text(), "TLS 1.3, certificate trusted by the operator");
}

TEST_F(TlsTrustTest, EnterInTheTrustDialogRefusesTheCertificate) {
  serve(lab.selfSigned("own"));
  onCertificateDialog([](TfrmCertificate* dialog) { QTest::keyClick(dialog->focusWidget(), Qt::Key_Return); });
  connectTls([&] { return !shown.isEmpty() && !win->frmCertificate->isVisible(); });
  korvtest::processQueuedEvents();
  EXPECT_FALSE(settingsText().contains(TlsTrustSettings::kPins));
  EXPECT_FALSE(win->NCPTelnet->IsConnected());
}

TEST_F(TlsTrustTest, ChangedCertificateIsRefusedAndTheOperatorToldHowToRemoveTheOldOne) {
  const korvtest::TlsFiles now = lab.selfSigned("now");
  const std::string before = lab.pin(lab.selfSigned("before").cert);
  serve(now);
  TlsTrustSettings(settingsPath).writePin(hostKey(), before);
  connectTls([&] { return !catcher.boxes.empty(); });
  ASSERT_EQ(catcher.boxes.size(), 1u);
  EXPECT_EQ(catcher.boxes[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(catcher.boxes[0].text.contains("[TLS.Pins]"));
  EXPECT_TRUE(catcher.boxes[0].text.contains(settingsPath));
  EXPECT_TRUE(catcher.boxes[0].text.contains(QString::fromStdString(before)));
  EXPECT_TRUE(catcher.boxes[0].text.contains(QString::fromStdString(lab.pin(now.cert))));
  EXPECT_FALSE(win->frmCertificate->isVisible());
  EXPECT_TRUE(stunnel->forwardedNothing());
  EXPECT_TRUE(sim->transcript().empty());
}

}  // namespace
