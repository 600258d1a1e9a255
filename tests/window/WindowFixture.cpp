#include "WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QJsonDocument>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "ncp/ListingPool.h"
#include "support/EventLoop.h"
#include "ui/IniFile.h"
#include "ui/KorvApplication.h"
#include "ui/RefreshFollower.h"
#include "ui/TfrmAuth.h"
#include "ui/TfrmDebug.h"

using korvtest::waitUntil;

namespace wintest {

MessageBoxCatcher::MessageBoxCatcher() {
  QObject::connect(&m_timer, &QTimer::timeout, [this] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      if (holdWhile && holdWhile(box)) return;
      boxes.push_back({box->text(), box->icon(), box->informativeText()});
      box->accept();
    }
  });
  m_timer.start(5);
}

QStringList MessageBoxCatcher::texts() const {
  QStringList out;
  for (const Box& b : boxes) out << b.text;
  return out;
}

namespace {

KorvApplication* application() { return static_cast<KorvApplication*>(QCoreApplication::instance()); }

}  // namespace

void WindowTest::SetUp() {
  caughtBefore = application()->caughtCount();
  ASSERT_TRUE(dir.isValid());
  // A test closes windows; the application must not quit behind the next one.
  QApplication::setQuitOnLastWindowClosed(false);
  settingsPath = dir.filePath("Korvanedrestolin.INI");
  sim = std::make_unique<korvtest::NskSimProcess>(simArgs());
  ASSERT_TRUE(sim->started());
  win = std::make_unique<TfrmMain>(settingsPath);
  win->show();
  ASSERT_TRUE(waitUntil([&] { return win->isVisible() && win->ObjList() != nullptr; }));
}

void WindowTest::TearDown() {
  if (win && win->pMenu->isVisible()) win->pMenu->close();
  win.reset();
  EXPECT_EQ(application()->caughtCount(), caughtBefore) << "an exception reached the event dispatch";
}

void WindowTest::confirmationsOff() { IniFile(settingsPath).writeInteger("Main", "Confirm", 0); }

void WindowTest::oneConnection() {
  IniFile(settingsPath).writeInteger("Main", "Connections", 1);
  win = std::make_unique<TfrmMain>(settingsPath);
  win->show();
  ASSERT_TRUE(waitUntil([&] { return win->ObjList() != nullptr; }));
}

void WindowTest::stopFromSecondClient(const QString& type, const QString& name, const QString& pathmon) {
  QProcess ncpctl;
  ncpctl.start(KORV_NCPCTL_PATH, {"--host", QString::fromStdString(sim->hostPort()), "--user", "OPS.OPER", "--ncp-user",
                                  "NCPOPER", "--pathmon", pathmon, "--password-stdin", "stop", type, name});
  ncpctl.write("secret1\nsecret2\n");
  ncpctl.closeWriteChannel();
  ASSERT_TRUE(ncpctl.waitForFinished(60000));
  ASSERT_EQ(ncpctl.exitCode(), 0) << ncpctl.readAllStandardError().toStdString();
}

void WindowTest::whenLoginOpen(const std::function<void()>& act) {
  auto* timer = new QTimer(win.get());
  QObject::connect(timer, &QTimer::timeout, [this, timer, act] {
    if (!win->frmAuth->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    act();
  });
  timer->start(5);
}

void WindowTest::answerLogin(const QString& host, const QString& user, const QString& password) {
  whenLoginOpen([this, host, user, password] {
    TfrmAuth* dlg = win->frmAuth;
    if (dlg->cbHost->isEnabled()) dlg->cbHost->setEditText(host);
    dlg->cbUser->setEditText(user);
    dlg->edPasswd->setText(password);
    QTest::keyClick(dlg->edPasswd, Qt::Key_Return);
  });
}

void WindowTest::answerNcpLogin(const QString& password) { answerLogin({}, "NCPOPER", password); }

void WindowTest::connectTacl(const QString& password) {
  answerLogin(QString::fromStdString(sim->hostPort()), "OPS.OPER", password);
  win->mmConnect->trigger();
  ASSERT_TRUE(waitUntil([&] {
    QTreeWidgetItem* host = hostItem();
    return (host && host->isExpanded() && idle()) || !catcher.boxes.empty();
  }));
}

void WindowTest::logonNcp(const QString& pathmon, int waitMs) {
  QTreeWidgetItem* node = item(pathmon);
  ASSERT_NE(node, nullptr);
  win->tvMain->setCurrentItem(node);
  answerNcpLogin();
  doubleClick(node);
  ASSERT_TRUE(
      waitUntil([&] { return win->StateHandler()->NCPLoggedOn() && !win->Follower()->Loading() && idle(); }, waitMs))
      << "sent: "
      << QStringList([&] {
           QStringList l;
           for (auto& c : commands()) l << QString::fromStdString(c);
           return l;
         }())
             .join(" | ")
             .toStdString();
}

void WindowTest::doubleClick(QTreeWidgetItem* node) {
  for (QTreeWidgetItem* p = node->parent(); p; p = p->parent()) p->setExpanded(true);
  win->tvMain->scrollToItem(node);
  const QPoint at = win->tvMain->visualItemRect(node).center();
  QTest::mouseClick(win->tvMain->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(win->tvMain->viewport(), Qt::LeftButton, {}, at);
}

bool WindowTest::idle() const {
  return win->NCPTelnet->State() == atsIdle && win->NCPTelnet->QueueCount() == 0 && !win->Pool()->Busy() &&
         !win->Pool()->Opening();
}

QTreeWidgetItem* WindowTest::hostItem() const { return win->tvMain->topLevelItem(0); }

QTreeWidgetItem* WindowTest::item(const QString& text) const {
  for (QTreeWidgetItemIterator it(win->tvMain); *it; ++it)
    if ((*it)->text(0) == text) return *it;
  return nullptr;
}

QStringList WindowTest::popupTexts() const {
  QStringList out;
  for (QAction* a : win->pMenu->actions())
    if (a->isVisible()) out << (a->isSeparator() ? "-" : QString(a->text()).remove('&'));
  return out;
}

void WindowTest::rightClick(QTreeWidgetItem* node) {
  if (win->pMenu->isVisible()) win->pMenu->close();
  for (QTreeWidgetItem* p = node->parent(); p; p = p->parent()) p->setExpanded(true);
  win->tvMain->scrollToItem(node);
  win->tvMainContextMenu(win->tvMain->visualItemRect(node).center());
}

void WindowTest::choose(const QString& text) {
  for (QAction* a : win->pMenu->actions()) {
    if (a->isVisible() && QString(a->text()).remove('&') == text) {
      win->pMenu->close();
      a->trigger();
      return;
    }
  }
  ADD_FAILURE() << "no visible popup item " << text.toStdString();
}

std::vector<QJsonObject> WindowTest::auditRecords() const {
  QFile file(auditPath());
  std::vector<QJsonObject> out;
  if (!file.open(QIODevice::ReadOnly)) return out;
  for (const QByteArray& line : file.readAll().split('\n'))
    if (!line.isEmpty()) out.push_back(QJsonDocument::fromJson(line).object());
  return out;
}

QStringList WindowTest::auditActions() const {
  QStringList out;
  for (const QJsonObject& o : auditRecords()) out << o["action"].toString() + ' ' + o["outcome"].toString();
  return out;
}

QString WindowTest::debugText() const {
  win->frmDebug->flushPending();
  return win->frmDebug->mmDebug->toPlainText();
}

}  // namespace wintest
