// TfrmMain: the program's main window. Owns the NCP session NCPTelnet, the
// network object registry (made when the window is first shown), the shared
// state-event handler that applies the session's events to registry and
// tree, the tree's popup menu, and the login dialog, about box and debug
// window (created after it, in that order, and living as long as it does).
//
// The window adds what only a window does to the shared handler: message
// boxes, the Connect/Disconnect menu item and the caption, the host node's
// expansion, the queue in the status bar with the busy cursor, the debug
// routing of View, Debug, and its position in the settings file.
//
// Operator text the session refuses (control characters, characters outside
// Latin-1, an empty user, an object name that would change the command) is
// told in a message box and nothing is sent. A command the host refuses is
// told in a message box with the host's line. A password is taken out of the
// login dialog as it is used, and the session's copies are wiped when the
// window goes. UI thread only.
#pragma once

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <memory>
#include <string>

#include "ncp/NCPStateHandler.h"
#include "ncp/TNCPTelnet.h"
#include "ncp/TXPNetObjList.h"
#include "ui/QtTreeNodes.h"

class ObjectPopupMenu;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTableWidget;
class QTreeWidget;
class SecretText;
class TfrmAbout;
class TfrmAuth;
class TfrmDebug;

class TfrmMain : public QMainWindow {
  Q_OBJECT
 public:
  static constexpr int kDesignWidth = 1004;
  static constexpr int kDesignHeight = 522;
  // The caption; Disconnect cuts the caption back to this many characters.
  static constexpr const char* kCaption = "Korvanedrestolin";

  explicit TfrmMain(QString settingsPath, QWidget* parent = nullptr);
  ~TfrmMain() override;

  // Null until the window is first shown.
  TXPNetObjList* ObjList() const { return m_objList.get(); }
  NCPStateHandler* StateHandler() const { return m_handler.get(); }
  ObjectPopupMenu* Popup() const { return m_popup; }

  void Connect1Click();
  void DisConnect1Click();
  void Exit1Click();
  // Applies the check mark of DebugView, which the menu has just toggled.
  void DebugViewClick();
  void About1Click();
  void tvMainDblClick();
  // Selects the node under pos (viewport coordinates), configures the popup
  // menu for it (for no object on empty space) and opens it there.
  void tvMainContextMenu(const QPoint& pos);
  void NCPTelnetNCPState(const std::string& aCommand);
  void NCPTelnetCommand(TTnCnx* Sender, int queueCount, TNSKTelnetState state);
  void NCPTelnetDebug(TTnCnx* Sender, const std::string& Str);
  void NCPTelnetSessionClosed(TTnCnx* Sender, uint16_t Error);
  // Throws IniWriteError when the settings file cannot be written.
  void SavePosition();

  QTreeWidget* tvMain;
  QSplitter* spMain;
  QTableWidget* lvMain;
  QPushButton* btnApplyAlter;
  QStatusBar* sbPanel;
  QList<QLabel*> sbPanels;
  QList<QIcon> imgList;
  QAction* mmConnect;
  QAction* N2;
  QAction* Exit1;
  QAction* DebugView;
  QAction* About1;
  QMenu* pMenu;
  TNCPTelnet* NCPTelnet;
  TfrmAuth* frmAuth;
  TfrmAbout* frmAbout;
  TfrmDebug* frmDebug;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void buildMenus();
  void wireSession();
  void FormShow();
  void showDisconnected();
  void NCPTelnetSessionConnected(uint16_t error);
  // An SSH host key that is not trusted: an unknown one is shown for the
  // operator to accept (then added to the known hosts, and the logon made
  // again); a changed one is refused.
  void hostKeyRefused(uint16_t error);
  void addDebugLine(const std::string& line);
  void tellUnsafeText(const EUnsafeCommandText& e);
  // The password typed in the login dialog, which is emptied.
  SecretText takePassword(const char* what);
  // Saves the position; a file that cannot be written is told once.
  void savePositionOrTell();

  QString m_settingsPath;
  bool m_shown = false;
  bool m_connectAction = true;  // mmConnect runs Connect1Click, else DisConnect1Click
  // A logon was started and has not yet been answered by 002 or 001: a
  // connection that fails or ends meanwhile is told to the operator once.
  bool m_logonUnderway = false;
  // The host field of the last logon, as typed.
  std::string m_logonHost;
  ObjectPopupMenu* m_popup = nullptr;
  std::unique_ptr<QtTreeNodes> m_treeNodes;
  std::unique_ptr<TXPNetObjList> m_objList;
  std::unique_ptr<NCPStateHandler> m_handler;
  // Declared last, destroyed first: the session's close raises nothing into
  // a half-destroyed window.
  std::unique_ptr<TNCPTelnet> m_session;
};
