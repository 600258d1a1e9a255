// TfrmMain: the program's main window. Owns the NCP session NCPTelnet, the
// network object registry (made when the window is first shown), the shared
// state-event handler that applies the session's events to registry and
// tree, the tree's popup menu, and the login dialog, about box and debug
// window (created after it, in that order, and living as long as it does).
//
// The window adds what only a window does to the shared handler: message
// boxes, the Connect/Disconnect menu item and the caption, the host node's
// expansion, the queue and what protects the connection in the status bar
// with the busy cursor, the trust dialog of telnets:// certificates, the debug
// routing of View, Debug, and its position in the settings file.
//
// Every operator action the session raises goes to the audit trail named in
// the settings file; a trail that cannot be written is told once, and Help,
// Audit Trail Folder opens the folder it lies in.
// For a large network: the find bar above the tree (TreeFind, Ctrl+F), the
// counts per status in the status bar's third panel, F8 and Shift+F8 to the
// next and previous object that is down, the Changes dock and the marks of
// each refresh, and View, Auto Refresh (RefreshFollower), whose alerts show
// as the tray's message.
//
// An end of the connection the operator did not ask for is told at once: the
// status bar's age panel turns red with the time, the tray tells it when the
// window is not active, and the last tree stays, greyed and headed as the
// last known picture, with the counts marked stale. The next logon to that
// host logs on to the PATHMON again and lists what changed meanwhile.
// The status bar also shows when the picture was last refreshed and the next
// auto refresh, the host's answer to the last START, STOP or DELIVER, and
// how many problems in the Changes dock (the alarm list) are not
// acknowledged; F5 and View, Refresh All run Refresh All.
//
// The object load and Refresh All (the operator's and the automatic one) run
// their listings through a ListingPool: on listing connections of their own
// ("Main"/"Connections" per PATHMON, the operator's among them; at most
// "Main"/"ConnectionsPerHost" to the host), so that START, STOP, DELIVER and
// a single object's status go out on the operator's connection at once even
// while a long listing runs. The queue panel counts the operator's
// connection's queue; the busy cursor shows while it runs a command or a
// listing runs. Their debug lines carry the connection's number ("[2] "); the
// operator's carry none. A listing connection that ends amid
// its listing is told and the tree keeps what was listed. Disconnect, a lost
// operator's connection and the window's end end them too.
//
// The estate: a PATHMON of a host whose connection has loaded another one is
// loaded on a connection of its own (a double click, or Tools, Load All
// PATHMONs on the selected host), its objects under that host's node beside
// the first; Tools, Add Host opens one more host as a root node of its own;
// Tools, Open Estate opens a set the settings file keeps (EstateSettings) in
// one step, asking only for the passwords, and Save Estate keeps what is
// open. These further connections (PathmonConnection, TfrmMainEstate.cpp)
// share the host's connection budget; a command, the popup, the parameter
// list, Find, F8 and the counts take the connection that shows the node;
// Refresh All and the auto refresh refresh every one, each followed by a
// RefreshFollower of its own into the one alarm list; Disconnect ends them all,
// Tools, Refresh Host and Disconnect Host those of the selected node's host. One that ends
// unasked is told, its objects go, and it is opened again with backoff as
// the operator's is; those sharing the operator's connection's host are
// loaded again after that connection when it comes back.
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
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audit/AuditTrail.h"
#include "ncp/ConnectionBudget.h"
#include "ncp/NCPStateHandler.h"
#include "ncp/PathmonConnection.h"
#include "ncp/SharedTreeNodes.h"
#include "ncp/TNCPTelnet.h"
#include "ncp/TXPNetObjList.h"
#include "nsk/SecretText.h"
#include "ui/QtTreeNodes.h"
#include "ui/Reconnection.h"
#include "ui/RefreshFollower.h"

class ChangesPanel;
class ListingPool;
class StatusDelegate;
class DataAgePanel;
class ObjectPopupMenu;
class QAction;
class QSystemTrayIcon;
class TreeFind;
class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTableWidget;
class QTimer;
class QTreeWidget;
class TfrmAbout;
class TfrmAuth;
class TfrmCertificate;
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
  RefreshFollower* Follower() const { return m_follower; }
  // Null until the window is first shown.
  ListingPool* Pool() const { return m_pool.get(); }

  void Connect1Click();
  void DisConnect1Click();
  void Exit1Click();
  // A close nobody waits at the screen for (a signal): a settings file that
  // cannot be written is told on standard error, never in a dialog.
  void closeUnattended();
  // Applies the check mark of DebugView, which the menu has just toggled.
  void DebugViewClick();
  void About1Click();
  // Opens the audit file's folder in the desktop's file manager.
  void AuditFolderClick();
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
  // F8 (forward) and Shift+F8: selects the next or previous object that is
  // Abnormal or Stopped.
  void SelectNextDown(bool forward);
  void AutoRefreshClick();
  // Tools, Add Host: the TACL logon to one more host, a root node of its own.
  void AddHostClick();
  // Tools, Load All PATHMONs: every PATHMON of the selected node's host that
  // no connection has loaded, after one NCP logon dialog.
  void LoadAllPathmonsClick();
  // Tools, Open Estate: the estate's hosts and PATHMONs, asking each host's
  // passwords; only while nothing is connected.
  void OpenEstate(const std::string& name);
  // Tools, Save Estate: the hosts and loaded PATHMONs shown, under a name.
  void SaveEstate(const std::string& name);
  // Tools, Refresh Host and Disconnect Host: every PATHMON loaded on the
  // selected node's host is refreshed; every connection to it ends (the
  // other hosts stay).
  void RefreshHostClick();
  void DisconnectHostClick();
  // The connections open beside the operator's.
  size_t MoreConnections() const;
  // Every connection has nothing queued or running, no listing runs and
  // every load has ended.
  bool AllIdle() const;

  QTreeWidget* tvMain;
  QSplitter* spMain;
  QTableWidget* lvMain;
  QPushButton* btnApplyAlter;
  QStatusBar* sbPanel;
  QList<QLabel*> sbPanels;
  // The counts per status of the loaded objects.
  QLabel* sbCounts;
  QLabel* sbAnswer;
  DataAgePanel* sbAge;
  QLabel* sbAlarms;
  TreeFind* pnlFind;
  ChangesPanel* dkChanges;
  QList<QIcon> imgList;
  QAction* mmConnect;
  // Ends the attempts to open a lost connection again; enabled while they run.
  QAction* StopReconnecting;
  QAction* AddHost;
  QAction* LoadAllPathmons;
  QAction* RefreshHost;
  QAction* DisconnectHost;
  QMenu* OpenEstateMenu;
  QAction* SaveEstateAction;
  QAction* N2;
  QAction* Exit1;
  QAction* DebugView;
  QAction* FindObjects;
  QAction* NextDown;
  QAction* PreviousDown;
  QAction* ChangesView;
  QAction* RefreshAllView;
  QAction* AutoRefresh;
  QAction* About1;
  QAction* AuditFolder;
  QMenu* pMenu;
  TNCPTelnet* NCPTelnet;
  TfrmAuth* frmAuth;
  TfrmAbout* frmAbout;
  TfrmDebug* frmDebug;
  TfrmCertificate* frmCertificate;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Enter, Shift+F10 and the Menu key on the tree; whether the key was used.
  bool treeKey(const QKeyEvent* key);
  void buildControls();
  void buildMenus();
  void wireSession();
  void FormShow();
  void showDisconnected();
  // The operator's connection ends, its listing connections and its tree with it.
  void disconnectOperatorsHost();
  // The host node of the selected node; null for none.
  ncp::TreeNode* selectedHost() const;
  void NCPTelnetSessionConnected(uint16_t error);
  // The logon with the TLS trust the settings file keeps for the host.
  void logon(const std::string& host, const std::string& user, const std::string& password,
             ncp::ActionKind kind = ncp::ActionKind::Connect);
  // A telnets:// host's certificate did not verify: its identity goes to the
  // operator, who may trust it; the logon then starts again.
  void offerTrust(uint16_t error);
  // The last logon once more, with the user and password the session kept;
  // throws as logon does.
  void logonWithKeptPassword(ncp::ActionKind kind);
  // That, after the operator trusted the host; a failure is told.
  void logonAgain();
  // An SSH host key that is not trusted: an unknown one is shown for the
  // operator to accept (into the known hosts or for this connection only,
  // and the logon made again); a changed one is refused.
  void hostKeyRefused(uint16_t error);
  void addDebugLine(const std::string& line);
  // The busy cursor while the session runs a command or the pool lists.
  void showBusy(bool sessionRunning);
  // A listing connection ended amid its listing.
  void listingLost(const std::string& sentence);
  void tellUnsafeText(const EUnsafeCommandText& e);
  // A command that could not be sent, in the exception's own words.
  void tellSendFailed(const ESocketException& e);
  // A host name that cannot be resolved or an invalid address: nothing was opened.
  void tellCannotConnect(const QString& host, const ESocketException& e);
  // The host's error line to a START, STOP or DELIVER; a host that listed
  // more than the object limit. Either connection's.
  void tellCommandRefused(const std::string& hostLine);
  void tellObjectLimit(size_t limit);
  // The known hosts and the TLS trust the settings file keeps for host.
  void applyTrust(TNCPTelnet& session, const std::string& host) const;
  // The password typed in the login dialog, which is emptied.
  SecretText takePassword(const char* what);
  // Saves the position; a file that cannot be written is told once.
  void savePositionOrTell();
  // follower: the one of the connection that ran it (null: the operator's).
  void recordAction(const ncp::OperatorAction& action, RefreshFollower* follower = nullptr);
  // The first failure of the audit file in the window's life, told after
  // the event that caused it.
  void tellAuditFailure(const std::string& error);
  // The counts panel is brought up to date at most kCountsDelayMs after an event.
  static constexpr int kCountsDelayMs = 100;
  void queueCounts();
  void showAlert(const QString& message);
  QString countsText() const;
  // The connection ended unasked: the last picture stays, marked stale.
  void showLoss();
  void clearStale();
  // After the PATHMONs of a logon are listed: the NCP logon the lost
  // connection had, made again; whether it was sent.
  bool resumeAfterLoss();
  // Opening a lost connection again (Reconnection): the next attempt
  // scheduled after a loss or a failed attempt; the attempt, a logon with
  // the user and password the session kept; a connection that failed to
  // open (true: the attempt's, handled); a refused logon (TACL's or NCP's),
  // which ends the attempts; the connection back and loaded.
  void reconnectLater();
  void reconnect(int attempt);
  bool reconnectFailed(uint16_t error);
  void reconnectRefused(bool tacl);
  void reconnected();
  // The attempts end; wipe: the session's passwords go too (the operator
  // disconnected or stopped them, or the host refused one).
  void stopReconnecting(bool wipe);
  // Tools, Stop Reconnecting: the operator's connection's attempts, with its
  // passwords, and every further connection waiting to be opened again.
  void stopAllReconnecting();
  // Stop Reconnecting is enabled while some attempt is pending.
  void showReconnecting();
  void showReconnection(const QDateTime& next);
  // The registry's entry of that object; null for none.
  static const ExtInfo* findEntry(const TXPNetObjList* registry, TXPNetType type, const std::string& name);

  // ---- The estate (TfrmMainEstate.cpp) ----
  // The PATHMONs a host's connection loads once it has listed them: the
  // first on itself when it has none, the others on connections of their own.
  struct PathmonsToLoad {
    std::vector<std::string> names;
    bool all = false;
    std::string ncpUser;
    SecretText ncpPassword;
  };
  struct MoreConnection {
    std::unique_ptr<ncp::SharedTreeNodes> tree;
    std::unique_ptr<PathmonConnection> link;
    std::string prefix;                       // of its debug lines
    ncp::TreeNode* pathmonNode = nullptr;     // reads "(NAME)" while loaded here
    std::unique_ptr<PathmonsToLoad> pending;  // once its host's PATHMONs are listed
    bool ncpRefused = false;
    // Opens it again after a loss; made at the first.
    std::unique_ptr<Reconnection> reconnection;
    // Its refreshes' changes, marks and auto refresh.
    std::unique_ptr<RefreshFollower> follower;
    bool gone = false;
  };
  // The connection that shows a node: the operator's, or one of m_more.
  struct Owner {
    TNCPTelnet* session = nullptr;
    TXPNetObjList* registry = nullptr;
    NCPStateHandler* handler = nullptr;
    MoreConnection* more = nullptr;
    std::string hostField;
    RefreshFollower* follower = nullptr;
  };
  Owner primaryOwner() const;
  Owner ownerOf(ncp::TreeNode* node) const;
  std::vector<const TXPNetObjList*> registries() const;
  // Some connection has logged on, or is logging on, to the PATHMON of node.
  bool pathmonLoaded(const ncp::TreeNode* node) const;
  // The NCP logon a double click on node may start: on the operator's
  // connection, or on one of its own.
  bool canLogonNcp(ncp::TreeNode* node) const;
  void logonNcpElsewhere(QTreeWidgetItem* item);
  void loadPathmons(ncp::TreeNode* hostNode, const PathmonsToLoad& load);
  // The PATHMONs waiting for their host's connection to list them, once no
  // connection is still leaving (those hold their share of the budget).
  void loadPending();
  // The host nodes in the order of their connections.
  void placeHosts();
  MoreConnection* openMore(const PathmonConnection::Target& target, const std::string& password,
                           const std::string& ncpPassword, ncp::TreeNode* anchor, const TNCPTelnet* like);
  void wireMore(MoreConnection& more);
  void moreLoaded(MoreConnection& more);
  void moreClosed(MoreConnection& more, bool asked, const std::string& why);
  // A loss of a loaded connection, or a failed attempt to open it again:
  // whether the next attempt is scheduled (reconnection is on, the
  // passwords are kept).
  bool reconnectMoreLater(MoreConnection& more, const std::string& why);
  void reconnectMore(MoreConnection& more, int attempt);
  // Ends it (and the attempts to open it again).
  void closeMore(MoreConnection& more);
  // Ends the connections that share host's node, before it goes.
  void closeMoreUnder(ncp::TreeNode* host);
  // The PATHMONs loaded on those, to be loaded again once host's own
  // connection is back; null for none.
  std::unique_ptr<PathmonsToLoad> pathmonsBeside(ncp::TreeNode* host) const;
  void closeAllMore();
  ConnectionBudget& budgetFor(const std::string& hostField);
  void refreshAll();
  void buildEstateMenu(QMenu* tools);
  void fillEstateMenu();
  // The TACL or NCP logon dialog with its fields given; the password, or
  // nothing when the operator cancelled.
  std::optional<SecretText> askPassword(bool tacl, const QString& host, const QString& user, QString* userOut);
  // Before Stop, Key Change or Warmboot (unless the settings file turned the
  // questions off): the operator is asked, with the object, its type and the
  // stations and lines it carries named; Cancel is the default. True: go on.
  bool confirmAction(ncp::NcpAction action);
  // Disconnect while NCP is logged on asks the same way.
  bool confirmDisconnect();
  bool askFirst(const QString& question, const QString& go);
  // Selects the object's node in the tree (an alarm row opened).
  // Of the connection to that host (its host field) that shows that PATHMON.
  void selectObject(TXPNetType type, const QString& name, const QString& host, const QString& pathmon);
  void recordAcknowledgement(TXPNetType type, const QString& name, TXPNetStatus status);
  // The selected object's details in the parameter list.
  void showDetails();
  // The tree's width: as the operator last left it, at first wide enough for
  // "(Abnormal) " and a long name.
  int treeWidth() const;
  // The host's answer to a START, STOP or DELIVER, in the status bar.
  void showAnswer(const ncp::OperatorAction& action, RefreshFollower* follower);

  QString m_settingsPath;
  bool m_shown = false;
  bool m_connectAction = true;  // mmConnect runs Connect1Click, else DisConnect1Click
  // A logon was started and has not yet been answered by 002 or 001: a
  // connection that fails or ends meanwhile is told to the operator once.
  bool m_logonUnderway = false;
  // The host field of the last logon, as typed: a trusted certificate's
  // logon starts again with it.
  std::string m_hostField;
  // The host's line to the last refused logon until its message is shown.
  std::string m_refusedLogonLine;
  // The host and logged-on PATHMON of a connection that was lost.
  std::string m_lostHost;
  std::string m_lostPathmon;
  // The PATHMON the attempts to reconnect log on to again once TACL is back.
  std::string m_reconnectPathmon;
  Reconnection* m_reconnection = nullptr;
  // The host's last answer to a command, by object ("LINE LTCP01").
  std::map<std::string, QString> m_lastAnswers;
  StatusDelegate* m_statusDelegate = nullptr;
  QTimer* m_treeWidthSave = nullptr;
  ObjectPopupMenu* m_popup = nullptr;
  RefreshFollower* m_follower = nullptr;
  QSystemTrayIcon* m_tray = nullptr;
  QTimer* m_countsTimer = nullptr;
  std::unique_ptr<QtTreeNodes> m_treeNodes;
  std::unique_ptr<TXPNetObjList> m_objList;
  std::unique_ptr<NCPStateHandler> m_handler;
  // The operator's connection's part of the tree; it ends the connections
  // that share its host node before it clears them.
  std::unique_ptr<ncp::SharedTreeNodes> m_primaryTree;
  // An estate's PATHMONs for the operator's connection's host, or the ones
  // loaded beside it before it was lost; loaded once it has listed them.
  std::unique_ptr<PathmonsToLoad> m_primaryPending;
  bool m_primaryListed = false;
  // The hosts other than the operator's connection's, by host field.
  std::map<std::string, ConnectionBudget> m_hostBudgets;
  // The registry the popup was last configured with.
  const TXPNetObjList* m_popupRegistry = nullptr;
  ConnectionBudget m_budget;
  // After the handler, whose LoadObjects it assigns; ended first of all.
  std::unique_ptr<ListingPool> m_pool;
  // Before the session: the session's end records what it still had open.
  std::unique_ptr<AuditTrail> m_audit;
  bool m_auditFailureTold = false;
  bool m_unattended = false;  // closeUnattended: no dialog may wait
  // Declared last, destroyed first: the session's close raises nothing into
  // a half-destroyed window.
  std::unique_ptr<TNCPTelnet> m_session;
  // Before the session: their end may clear nodes of its host.
  std::vector<std::unique_ptr<MoreConnection>> m_more;
};
