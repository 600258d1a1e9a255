#include "ui/TfrmAuth.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "ui/ComboAutoComplete.h"
#include "ui/SettingsFile.h"

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->adjustSize();
  label->move(x, y);
  return label;
}

QComboBox* makeCombo(QWidget* parent, const char* name, const QString& accessible, int x, int y) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(name);
  combo->setAccessibleName(accessible);
  combo->setEditable(true);
  // Enter in the box must not add the typed text to the list.
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setGeometry(x, y, 145, 21);
  new ComboAutoComplete(combo);
  return combo;
}

void fillCombo(QComboBox* combo, const std::vector<std::string>& names, int position) {
  QStringList items;
  for (const std::string& name : names) items << QString::fromLatin1(name.data(), qsizetype(name.size()));
  combo->addItems(items);
  combo->setCurrentIndex(position >= 0 && position < combo->count() ? position : -1);
}

}  // namespace

TfrmAuth::TfrmAuth(QString settingsPath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_settingsPath(std::move(settingsPath)) {
  setObjectName("frmAuth");
  setFont(QFont("MS Sans Serif", 8));
  setFixedSize(265, 123);

  Label1 = makeLabel(this, "Label1", tr("&Host"), 84, 16);
  cbHost = makeCombo(this, "cbHost", tr("Host"), 112, 12);
  Label2 = makeLabel(this, "Label2", tr("&User"), 84, 44);
  cbUser = makeCombo(this, "cbUser", tr("User"), 112, 38);
  Label3 = makeLabel(this, "Label3", tr("&Password"), 60, 68);
  Label1->setBuddy(cbHost);
  Label2->setBuddy(cbUser);

  edPasswd = new QLineEdit(this);
  edPasswd->setObjectName("edPasswd");
  edPasswd->setAccessibleName(tr("Password"));
  edPasswd->setEchoMode(QLineEdit::Password);
  edPasswd->setStyleSheet("lineedit-password-character: 42");
  edPasswd->setGeometry(112, 64, 145, 19);
  Label3->setBuddy(edPasswd);

  btnLogin = new QPushButton(this);
  btnLogin->setObjectName("btnLogin");
  btnLogin->setGeometry(184, 92, 75, 25);
  // Not a default button: Enter confirms only in the password field or on
  // the focused button.
  btnLogin->setAutoDefault(false);
  btnLogin->setDefault(false);
  btnLogin->installEventFilter(this);
  showMode();

  setTabOrder(btnLogin, cbHost);
  setTabOrder(cbHost, cbUser);
  setTabOrder(cbUser, edPasswd);

  connect(cbHost, &QComboBox::editTextChanged, this, &TfrmAuth::cbHostChange);
  connect(edPasswd, &QLineEdit::returnPressed, this, &TfrmAuth::edPasswdKeyPress);
  connect(btnLogin, &QPushButton::clicked, this, [this] {
    cbHostChange();
    done(mrOk);
  });
}

int TfrmAuth::ShowTACLLogin(const QString& host, const QString& user) {
  return showModal(TLoginMode::lmTACL, host, user);
}

int TfrmAuth::ShowNCPLogin(const QString& pathmon, const QString& user) {
  m_pathmon = pathmon;
  return showModal(TLoginMode::lmNCPCOM, {}, user);
}

int TfrmAuth::showModal(TLoginMode mode, const QString& host, const QString& user) {
  m_loginMode = mode;
  showMode();
  LoadLists();
  if (!host.isEmpty()) cbHost->setEditText(host);
  if (!user.isEmpty()) cbUser->setEditText(user);
  cbHost->setEnabled(mode == TLoginMode::lmTACL);
  if (QScreen* screen = QGuiApplication::primaryScreen()) move(screen->availableGeometry().center() - rect().center());
  return exec() == mrOk ? mrOk : mrCancel;
}

QString TfrmAuth::hostText() const { return cbHost->currentText(); }

QString TfrmAuth::userText() const { return cbUser->currentText(); }

QString TfrmAuth::passwordText() const { return edPasswd->text(); }

void TfrmAuth::LoadLists() {
  edPasswd->clear();
  SettingsFile settings(m_settingsPath);
  cbHost->clear();
  cbHost->clearEditText();
  cbUser->clear();
  cbUser->clearEditText();
  if (m_loginMode == TLoginMode::lmTACL)
    fillCombo(cbUser, settings.readList(SettingsFile::kUsersTACL), settings.readIndex(SettingsFile::kTACLidx));
  else
    fillCombo(cbUser, settings.readList(SettingsFile::kUsersNCPCOM), settings.readIndex(SettingsFile::kNCPUidx));
  fillCombo(cbHost, settings.readList(SettingsFile::kHosts), settings.readIndex(SettingsFile::kHostidx));
  cbHostChange();
}

// The two logons look alike but are not: the NCP one says so and names its
// PATHMON. The user label keeps its right edge where its text changes.
void TfrmAuth::showMode() {
  const bool ncp = m_loginMode == TLoginMode::lmNCPCOM;
  setWindowTitle(ncp ? tr("NCP logon to %1").arg(m_pathmon) : tr("Login"));
  const int right = Label2->geometry().right();
  Label2->setText(ncp ? tr("NCP &user") : tr("&User"));
  Label2->adjustSize();
  Label2->move(right - Label2->width() + 1, Label2->y());
  btnLogin->setText(ncp ? tr("&Log on") : tr("&Connect"));
}

void TfrmAuth::cbHostChange() { btnLogin->setEnabled(!cbHost->currentText().isEmpty()); }

void TfrmAuth::edPasswdKeyPress() {
  btnLoginClick();
  done(mrOk);
}

void TfrmAuth::btnLoginClick() {
  SettingsFile settings(m_settingsPath);
  QStringList refused;
  try {
    if (m_loginMode == TLoginMode::lmTACL) {
      storeName(SettingsFile::kHosts, cbHost->currentText(), &refused);
      settings.writeIndex(SettingsFile::kHostidx, cbHost->currentIndex());
      storeName(SettingsFile::kUsersTACL, cbUser->currentText(), &refused);
      settings.writeIndex(SettingsFile::kTACLidx, cbUser->currentIndex());
    } else {
      storeName(SettingsFile::kUsersNCPCOM, cbUser->currentText(), &refused);
      settings.writeIndex(SettingsFile::kNCPUidx, cbUser->currentIndex());
    }
  } catch (const IniWriteError& e) {
    QMessageBox::critical(this, QGuiApplication::applicationDisplayName(), QString::fromLocal8Bit(e.what()));
  }
  if (!refused.isEmpty())
    QMessageBox::warning(
        this, QGuiApplication::applicationDisplayName(),
        tr("Not remembered, the settings file cannot hold these names: %1").arg("\"" + refused.join("\", \"") + "\""));
}

// An empty name is not remembered; a name that the file cannot carry
// unchanged (see IniFile::isSafeName, or outside the 8-bit character set)
// is reported instead of being written.
void TfrmAuth::storeName(const char* section, const QString& name, QStringList* refused) const {
  if (name.isEmpty()) return;
  QByteArray bytes = name.toLatin1();
  if (QString::fromLatin1(bytes) != name || !SettingsFile(m_settingsPath).addEntry(section, bytes.toStdString()))
    refused->append(name);
}

// Every opening starts in the first field still to fill, so what the
// operator types lands there; the password is always empty at opening.
void TfrmAuth::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (cbHost->isEnabled() && cbHost->currentText().isEmpty())
    cbHost->setFocus();
  else if (cbUser->currentText().isEmpty())
    cbUser->setFocus();
  else
    edPasswd->setFocus();
}

bool TfrmAuth::eventFilter(QObject* watched, QEvent* event) {
  if (watched == btnLogin && event->type() == QEvent::KeyPress) {
    int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      btnLogin->click();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}
