// The main window against the host simulator: a fresh simulator and a fresh
// window (shown offscreen, settings in a temporary folder) per test, the
// login dialog answered from a timer, every message box accepted and
// recorded, and helpers to reach the usual stages of a connection.
#pragma once

#include <gtest/gtest.h>

#include <QJsonObject>
#include <QMessageBox>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/NskSimProcess.h"
#include "ui/TfrmMain.h"

class QTreeWidgetItem;

namespace wintest {

// Accepts every message box that opens while it lives, keeping text and icon
// (unless told to hold it open for a while).
class MessageBoxCatcher {
 public:
  MessageBoxCatcher();
  struct Box {
    QString text;
    QMessageBox::Icon icon;
    QString detail;  // the informative text below it
  };
  std::vector<Box> boxes;
  QStringList texts() const;
  // While this returns true an open box is left open; it is called with the box.
  std::function<bool(QMessageBox*)> holdWhile;

 private:
  QTimer m_timer;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Extra simulator switches of a test.
  virtual QStringList simArgs() const { return {}; }

  // The settings file turns the questions before Stop, Key Change, Warmboot
  // and Disconnect off, for tests that drive those roads themselves.
  void confirmationsOff();
  // A fresh window whose settings file runs every listing on the operator's
  // connection ([Main] Connections=1), for tests of what one connection sends.
  void oneConnection();
  // A second client (ncpctl) stops the object on the same simulator.
  void stopFromSecondClient(const QString& type, const QString& name, const QString& pathmon = "$PM01");
  // Runs act once the login dialog is open.
  void whenLoginOpen(const std::function<void()>& act);
  // Answers the next login dialog: texts typed, Enter in the password field.
  void answerLogin(const QString& host, const QString& user, const QString& password);
  void answerNcpLogin(const QString& password = "secret2");
  // Tools, Connect with the demo user; waits for the end of the PATHMON list
  // (or for the refusal) and an idle session.
  void connectTacl(const QString& password = "secret1");
  // Double click on the PATHMON node and the NCP logon; waits for the load.
  // waitMs: how long the load may take at most.
  void logonNcp(const QString& pathmon = "$PM01", int waitMs = 10000);
  // A mouse double click on the node, as the operator makes it.
  void doubleClick(QTreeWidgetItem* node);
  // The operator's connection has nothing queued, no listing runs beside it
  // and no listing connection is logging on.
  bool idle() const;

  QTreeWidgetItem* hostItem() const;
  // The first node whose text is text, anywhere in the tree.
  QTreeWidgetItem* item(const QString& text) const;
  // The visible items of the popup menu without their mnemonics, a separator as "-".
  QStringList popupTexts() const;
  // A right click on the node: selects it, configures and opens the popup.
  void rightClick(QTreeWidgetItem* node);
  // Chooses the visible popup item with that text (without its mnemonic).
  void choose(const QString& text);
  QString debugText() const;
  // The audit trail beside the settings file: its records, and their
  // actions with outcomes ("stop accepted").
  QString auditPath() const { return dir.filePath("audit.jsonl"); }
  std::vector<QJsonObject> auditRecords() const;
  QStringList auditActions() const;
  std::vector<std::string> commands() const { return sim->commandsReceived(); }

  QTemporaryDir dir;
  QString settingsPath;
  std::unique_ptr<korvtest::NskSimProcess> sim;
  std::unique_ptr<TfrmMain> win;
  MessageBoxCatcher catcher;
  // What the application's last resort had caught when the test began: no
  // test of the window may add to it.
  int caughtBefore = 0;
};

}  // namespace wintest
