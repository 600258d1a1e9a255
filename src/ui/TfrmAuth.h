// TfrmAuth: the login dialog. The main window opens it modally in TACL mode
// (host, TACL user, password) or NCPCOM mode (NCPCOM user, password; the
// remembered host shown but fixed; titled as the NCP logon to its PATHMON).
// Each opening reloads the remembered hosts and users from the settings file,
// empties the password and puts the focus in the first empty field. Enter in
// the password field remembers the host and user choices and confirms; a
// click on Connect confirms without remembering anything. The password is
// never written anywhere; it stays in edPasswd after closing so the caller
// can read it, until the next opening.
//
// Created once by the main window and reused; owns its controls.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

enum class TLoginMode { lmTACL, lmNCPCOM };

class TfrmAuth : public QDialog {
  Q_OBJECT
 public:
  // The dialog's modal results.
  static constexpr int mrOk = 1;
  static constexpr int mrCancel = 2;

  explicit TfrmAuth(QString settingsPath, QWidget* parent = nullptr);

  // Open modally; mrOk when confirmed, mrCancel when closed otherwise. A
  // host or user given is filled in (an estate's), else the remembered one.
  int ShowTACLLogin(const QString& host = {}, const QString& user = {});
  int ShowNCPLogin(const QString& pathmon = {}, const QString& user = {});

  TLoginMode LoginMode() const { return m_loginMode; }

  QString hostText() const;
  QString userText() const;
  QString passwordText() const;

  // Fill the boxes for the current mode from the settings file.
  void LoadLists();
  // Connect is enabled exactly when there is a host text.
  void cbHostChange();
  // Remember the host and user choices of the current mode. A write the
  // system refuses, or a name the file cannot carry, is told to the
  // operator in a message box; the caller goes on regardless.
  void btnLoginClick();

  QLabel* Label1;
  QComboBox* cbHost;
  QLabel* Label2;
  QComboBox* cbUser;
  QLabel* Label3;
  QLineEdit* edPasswd;
  QPushButton* btnLogin;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int showModal(TLoginMode mode, const QString& host, const QString& user);
  void showMode();
  void edPasswdKeyPress();
  void storeName(const char* section, const QString& name, QStringList* refused) const;

  QString m_settingsPath;
  TLoginMode m_loginMode = TLoginMode::lmTACL;
  QString m_pathmon;
};
