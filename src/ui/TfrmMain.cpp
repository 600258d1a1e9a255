#include "ui/TfrmMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

#include "ncp/ListingPool.h"
#include "ncp/NcpCommands.h"
#include "nsk/OperatorText.h"
#include "nsk/SecretText.h"
#include "ui/CarriedObjects.h"
#include "ui/ChangesPanel.h"
#include "ui/DataAgePanel.h"
#include "ui/Latin1Text.h"
#include "ui/LogonRefusal.h"
#include "ui/NextAlert.h"
#include "ui/NodeImages.h"
#include "ui/ObjectDetails.h"
#include "ui/ObjectPopupMenu.h"
#include "ui/Reconnection.h"
#include "ui/RefreshFollower.h"
#include "ui/ScreenFit.h"
#include "ui/SettingsFile.h"
#include "ui/StatusCounts.h"
#include "ui/StatusDelegate.h"
#include "ui/TfrmAbout.h"
#include "ui/TfrmAuth.h"
#include "ui/TfrmCertificate.h"
#include "ui/TfrmDebug.h"
#include "ui/TfrmHostKey.h"
#include "ui/TlsTrustSettings.h"
#include "ui/TreeFind.h"

namespace {

// The window state as its ordinal: 0 normal, 1 minimized, 2 maximized.
int stateOrdinal(Qt::WindowStates state) {
  if (state & Qt::WindowMinimized) return 1;
  if (state & Qt::WindowMaximized) return 2;
  return 0;
}

}  // namespace

TfrmMain::TfrmMain(QString settingsPath, QWidget* parent)
    : QMainWindow(parent),
      m_settingsPath(std::move(settingsPath)),
      m_audit(std::make_unique<AuditTrail>(SettingsFile(m_settingsPath).readAudit())),
      m_session(std::make_unique<TNCPTelnet>()) {
  setObjectName("frmMain");
  setWindowTitle(kCaption);
  setFont(QFont("MS Sans Serif", 8));
  resize(kDesignWidth, kDesignHeight);
  NCPTelnet = m_session.get();
  m_reconnection = new Reconnection(this);
  m_reconnection->OnAttempt = [this](int attempt) { reconnect(attempt); };
  m_reconnection->OnScheduled = [this](const QDateTime& at) { showReconnection(at); };

  buildControls();
  buildMenus();
  wireSession();

  frmAuth = new TfrmAuth(m_settingsPath, this);
  frmAbout = new TfrmAbout(this);
  frmAbout->SetSettingsFile(m_settingsPath);
  frmDebug = new TfrmDebug(this);
  frmCertificate = new TfrmCertificate(this);
}

TfrmMain::~TfrmMain() {
  // The estate's and the listing connections end before the operator's.
  m_more.clear();
  m_pool.reset();
  SecretText::wipeString(m_session->Password);
  SecretText::wipeString(m_session->NCPPassword);
}

void TfrmMain::buildControls() {
  imgList = NodeImages::icons();

  spMain = new QSplitter(Qt::Horizontal, this);
  spMain->setObjectName("spMain");
  spMain->setAccessibleName(tr("Tree and parameters splitter"));
  spMain->setHandleWidth(2);
  spMain->setChildrenCollapsible(false);
  setCentralWidget(spMain);

  // The find bar sits above the tree, in the splitter's left pane.
  auto* treeSide = new QWidget(spMain);
  treeSide->setObjectName("pnlTree");
  auto* treeLayout = new QVBoxLayout(treeSide);
  treeLayout->setContentsMargins(0, 0, 0, 0);
  treeLayout->setSpacing(0);
  tvMain = new QTreeWidget(treeSide);
  tvMain->setObjectName("tvMain");
  tvMain->setAccessibleName(tr("Network objects"));
  tvMain->setHeaderHidden(true);
  tvMain->setIndentation(19);
  tvMain->setIconSize(QSize(NodeImages::kSize, NodeImages::kSize));
  tvMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tvMain->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(tvMain, &QWidget::customContextMenuRequested, this, &TfrmMain::tvMainContextMenu);
  connect(tvMain, &QTreeWidget::itemDoubleClicked, this, [this] { tvMainDblClick(); });
  tvMain->installEventFilter(this);
  m_statusDelegate = new StatusDelegate(tvMain);
  tvMain->setItemDelegate(m_statusDelegate);
  connect(tvMain, &QTreeWidget::currentItemChanged, this, &TfrmMain::showDetails);
  m_treeNodes = std::make_unique<QtTreeNodes>(tvMain, imgList);
  pnlFind = new TreeFind(tvMain, treeSide);
  treeLayout->addWidget(pnlFind);
  treeLayout->addWidget(tvMain);

  auto* right = new QWidget(spMain);
  right->setObjectName("pnlParams");
  auto* layout = new QVBoxLayout(right);
  layout->setContentsMargins(0, 0, 0, 0);
  lvMain = new QTableWidget(0, 2, right);
  lvMain->setObjectName("lvMain");
  lvMain->setAccessibleName(tr("Object parameters"));
  lvMain->setHorizontalHeaderLabels({tr("Params"), tr("Value")});
  lvMain->setColumnWidth(0, 100);
  lvMain->setColumnWidth(1, 200);
  lvMain->verticalHeader()->hide();
  lvMain->setShowGrid(true);
  QPalette palette = lvMain->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Button));
  lvMain->setPalette(palette);
  lvMain->setEnabled(false);
  layout->addWidget(lvMain);

  btnApplyAlter = new QPushButton(tr("Apply"), right);
  btnApplyAlter->setObjectName("btnApplyAlter");
  btnApplyAlter->setAccessibleName(tr("Apply parameters"));
  btnApplyAlter->setFixedSize(75, 25);
  btnApplyAlter->setEnabled(false);
  btnApplyAlter->raise();
  right->installEventFilter(this);

  spMain->setSizes({treeWidth(), kDesignWidth - treeWidth()});
  spMain->setStretchFactor(1, 1);
  // Kept once the operator has stopped dragging.
  m_treeWidthSave = new QTimer(this);
  m_treeWidthSave->setSingleShot(true);
  m_treeWidthSave->setInterval(500);
  connect(spMain, &QSplitter::splitterMoved, m_treeWidthSave, qOverload<>(&QTimer::start));
  connect(m_treeWidthSave, &QTimer::timeout, this, [this] {
    try {
      SettingsFile(m_settingsPath).writeTreeWidth(spMain->sizes().value(0));
    } catch (const IniWriteError&) {
      // The width is a convenience; the next drag tries again.
    }
  });

  sbPanel = new QStatusBar(this);
  sbPanel->setObjectName("sbPanel");
  sbPanel->setAccessibleName(tr("Status"));
  sbPanel->setSizeGripEnabled(false);
  sbPanel->setFixedHeight(19);
  for (int width : {200, 280}) {
    auto* panel = new QLabel(sbPanel);
    panel->setObjectName(QString("sbPanel%1").arg(sbPanels.size()));
    // The queue panel's accessible name stays its text, which a screen
    // reader must read; what the panel is goes into the description.
    if (sbPanels.isEmpty())
      panel->setAccessibleDescription(tr("Command queue"));
    else
      panel->setAccessibleDescription(tr("Connection protection"));
    panel->setFixedWidth(width);
    panel->setFrameShape(QFrame::StyledPanel);
    sbPanel->addWidget(panel);
    sbPanels << panel;
  }
  // The counts, the host's last answer, the age of the data and the alarms
  // not acknowledged share the rest of the bar as one panel of their own
  // (the second one is spoken for), which never widens the window: a narrow
  // window cuts their texts short, and each tells its whole text as its
  // tool tip.
  auto* rest = new QWidget(sbPanel);
  rest->setObjectName("pnlStatusRest");
  rest->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  auto* restLayout = new QHBoxLayout(rest);
  restLayout->setContentsMargins(0, 0, 0, 0);
  restLayout->setSpacing(0);
  sbPanel->addWidget(rest, 1);
  sbCounts = new QLabel(rest);
  sbCounts->setObjectName("sbCounts");
  sbCounts->setAccessibleDescription(tr("Objects by status"));
  sbAnswer = new QLabel(rest);
  sbAnswer->setObjectName("sbAnswer");
  sbAnswer->setAccessibleDescription(tr("The host's answer to the last command"));
  sbAge = new DataAgePanel(rest);
  sbAlarms = new QLabel(rest);
  sbAlarms->setObjectName("sbAlarms");
  sbAlarms->setAccessibleDescription(tr("Problems not acknowledged"));
  for (const auto& [panel, stretch] :
       {std::pair<QLabel*, int>{sbCounts, 3}, {sbAnswer, 2}, {sbAge, 3}, {sbAlarms, 1}}) {
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    restLayout->addWidget(panel, stretch);
  }
  m_countsTimer = new QTimer(this);
  m_countsTimer->setSingleShot(true);
  m_countsTimer->setInterval(kCountsDelayMs);
  connect(m_countsTimer, &QTimer::timeout, this, [this] { sbCounts->setText(countsText()); });
  setStatusBar(sbPanel);

  dkChanges = new ChangesPanel(this);
  addDockWidget(Qt::BottomDockWidgetArea, dkChanges);
  m_follower = new RefreshFollower(*m_session, dkChanges, tvMain, this);
  m_follower->CanRefresh = [this] { return m_handler && m_handler->NCPLoggedOn(); };
  connect(m_follower, &RefreshFollower::Alert, this, &TfrmMain::showAlert);
  connect(m_follower, &RefreshFollower::Started, this, [this] { showBusy(m_session->State() == atsCommand); });
  connect(m_follower, &RefreshFollower::Refreshed, this, [this](const QDateTime& at) {
    sbAge->Refreshed(at, m_follower->NextAutoRefresh());
    showDetails();
    reconnected();
  });
  connect(m_follower, &RefreshFollower::Paused, this,
          [this](const QString& reason) { sbAge->Paused(reason, m_follower->NextAutoRefresh()); });
  connect(dkChanges, &ChangesPanel::Open, this, &TfrmMain::selectObject);
  connect(dkChanges, &ChangesPanel::Acknowledged, this, &TfrmMain::recordAcknowledgement);
  connect(dkChanges, &ChangesPanel::UnacknowledgedChanged, this, [this](int count) {
    sbAlarms->setText(count ? tr("Unacknowledged: %1").arg(count) : QString());
    sbAlarms->setToolTip(sbAlarms->text());
  });
  // Find and marks hold items of the tree; they let go before any goes.
  m_treeNodes->OnBeforeDelete = [this] {
    pnlFind->Forget();
    m_follower->Forget();
    for (const auto& more : m_more) more->follower->Forget();
  };

  m_popup = new ObjectPopupMenu(*m_session, this);
  m_popup->OnDebugLine = [this](const std::string& line) { addDebugLine(line); };
  m_popup->OnUnsafeText = [this](const EUnsafeCommandText& e) { tellUnsafeText(e); };
  m_popup->OnSendFailed = [this](const ESocketException& e) { tellSendFailed(e); };
  m_popup->OnRefreshAll = [this] { refreshAll(); };
  m_popup->Confirm = [this](ncp::NcpAction action) { return confirmAction(action); };
  m_popup->CanLogonNcp = [this](ncp::TreeNode* node) { return canLogonNcp(node); };
  m_popup->OnNcpLogon = [this] { tvMainDblClick(); };
  pMenu = m_popup->pMenu;
}

void TfrmMain::buildMenus() {
  QMenuBar* mMenu = menuBar();
  mMenu->setObjectName("mMenu");
  mMenu->setAccessibleName(tr("Main menu"));

  QMenu* Tools = mMenu->addMenu(tr("&Tools"));
  Tools->setObjectName("Tools");
  mmConnect = Tools->addAction(tr("&Connect"));
  mmConnect->setObjectName("mmConnect");
  mmConnect->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  mmConnect->setShortcutContext(Qt::WindowShortcut);
  connect(mmConnect, &QAction::triggered, this, [this] {
    if (m_connectAction && MoreConnections() == 0)
      Connect1Click();
    else if (confirmDisconnect())
      DisConnect1Click();
  });
  StopReconnecting = Tools->addAction(tr("&Stop Reconnecting"));
  StopReconnecting->setObjectName("StopReconnecting");
  StopReconnecting->setEnabled(false);
  connect(StopReconnecting, &QAction::triggered, this, &TfrmMain::stopAllReconnecting);
  buildEstateMenu(Tools);
  N2 = Tools->addSeparator();
  N2->setObjectName("N2");
  Exit1 = Tools->addAction(tr("E&xit"));
  Exit1->setObjectName("Exit1");
  connect(Exit1, &QAction::triggered, this, &TfrmMain::Exit1Click);

  QMenu* VIew1 = mMenu->addMenu(tr("&View"));
  VIew1->setObjectName("VIew1");
  DebugView = VIew1->addAction(tr("&Debug"));
  DebugView->setObjectName("DebugView");
  DebugView->setCheckable(true);
  connect(DebugView, &QAction::triggered, this, &TfrmMain::DebugViewClick);
  VIew1->addSeparator();
  FindObjects = VIew1->addAction(tr("&Find"));
  FindObjects->setObjectName("FindObjects");
  FindObjects->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  connect(FindObjects, &QAction::triggered, pnlFind, &TreeFind::FocusFind);
  NextDown = VIew1->addAction(tr("&Next Object Down"));
  NextDown->setObjectName("NextDown");
  NextDown->setShortcut(QKeySequence(Qt::Key_F8));
  connect(NextDown, &QAction::triggered, this, [this] { SelectNextDown(true); });
  PreviousDown = VIew1->addAction(tr("&Previous Object Down"));
  PreviousDown->setObjectName("PreviousDown");
  PreviousDown->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F8));
  connect(PreviousDown, &QAction::triggered, this, [this] { SelectNextDown(false); });
  RefreshAllView = VIew1->addAction(tr("&Refresh All"));
  RefreshAllView->setObjectName("RefreshAllView");
  RefreshAllView->setShortcut(QKeySequence(Qt::Key_F5));
  // Through the popup's Refresh All: a send that fails is told there.
  connect(RefreshAllView, &QAction::triggered, this, [this] { m_popup->RefreshAllClick(); });
  VIew1->addSeparator();
  ChangesView = dkChanges->toggleViewAction();
  ChangesView->setObjectName("ChangesView");
  ChangesView->setText(tr("&Changes"));
  VIew1->addAction(ChangesView);
  const SettingsFile settings(m_settingsPath);
  AutoRefresh = VIew1->addAction(tr("&Auto Refresh (every %1 s)").arg(settings.readAutoRefreshSeconds()));
  AutoRefresh->setObjectName("AutoRefresh");
  AutoRefresh->setCheckable(true);
  AutoRefresh->setChecked(settings.readAutoRefresh());
  m_follower->SetAutoRefresh(AutoRefresh->isChecked() ? settings.readAutoRefreshSeconds() : 0);
  connect(AutoRefresh, &QAction::triggered, this, &TfrmMain::AutoRefreshClick);

  QMenu* Help1 = mMenu->addMenu(tr("&Help"));
  Help1->setObjectName("Help1");
  About1 = Help1->addAction(tr("&About"));
  About1->setObjectName("About1");
  connect(About1, &QAction::triggered, this, &TfrmMain::About1Click);
  AuditFolder = Help1->addAction(tr("Audit Trail &Folder"));
  AuditFolder->setObjectName("AuditFolder");
  connect(AuditFolder, &QAction::triggered, this, &TfrmMain::AuditFolderClick);
}

void TfrmMain::wireSession() {
  TNCPTelnet& s = *m_session;
  s.Port = "23";
  s.Location = "TNCNX";
  s.TermType = "VT100";
  s.LocalEcho = true;
  s.ControlCharToHexa = false;
  s.OnSessionConnected = [this](TTnCnx*, uint16_t error) { NCPTelnetSessionConnected(error); };
  s.OnSessionClosed = [this](TTnCnx* sender, uint16_t error) { NCPTelnetSessionClosed(sender, error); };
  s.OnDebug = [this](TTnCnx* sender, const std::string& str) { NCPTelnetDebug(sender, str); };
  s.OnCommand = [this](TTnCnx* sender, int count, TNSKTelnetState state) { NCPTelnetCommand(sender, count, state); };
  s.OnNCPState = [this](const std::string& aCommand) { NCPTelnetNCPState(aCommand); };
  s.OnOperatorAction = [this](const ncp::OperatorAction& action) { recordAction(action); };
}

void TfrmMain::recordAction(const ncp::OperatorAction& action, RefreshFollower* follower) {
  // The host's line to a refused logon, for the message that follows it.
  const bool logon = ncp::opensConnection(action.kind) || action.kind == ncp::ActionKind::NcpLogon;
  if (logon && action.outcome == ncp::ActionOutcome::Refused) m_refusedLogonLine = action.answer;
  showAnswer(action, follower);
  std::string error;
  if (!m_audit->write(action, &error)) tellAuditFailure(error);
}

void TfrmMain::tellAuditFailure(const std::string& error) {
  if (m_auditFailureTold) return;
  m_auditFailureTold = true;
  // Not inside the session's handler that recorded the action.
  QTimer::singleShot(0, this, [this, error] {
    QMessageBox::warning(
        this, kCaption,
        tr("%1.\nThe operator actions are not recorded in the audit trail.").arg(QString::fromLocal8Bit(error)));
  });
}

// ---- Showing and closing ---------------------------------------------------------

void TfrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (m_shown) return;
  m_shown = true;
  FormShow();
}

void TfrmMain::FormShow() {
  std::string auditError;
  if (!m_audit->open(&auditError)) tellAuditFailure(auditError);
  m_objList = std::make_unique<TXPNetObjList>();
  m_primaryTree = std::make_unique<ncp::SharedTreeNodes>(*m_treeNodes);
  m_primaryTree->OnBeforeClear = [this] {
    if (m_reconnection->Attempting()) m_primaryPending = pathmonsBeside(m_handler->HostNode());
    closeMoreUnder(m_handler->HostNode());
  };
  m_handler = std::make_unique<NCPStateHandler>(*m_session, *m_objList, *m_primaryTree);
  m_handler->OnTACLRefused = [this] {
    m_logonUnderway = false;
    reconnectRefused(true);
    ShowLogonRefused(this, RefusedLogon::Tacl, std::exchange(m_refusedLogonLine, {}));
  };
  m_handler->OnTACLLoggedOn = [this] {
    m_primaryListed = false;
    m_logonUnderway = false;
    mmConnect->setText(tr("Disconnect"));
    m_connectAction = false;
    setWindowTitle(windowTitle() + " (" + fromLatin1(m_session->Host) + ")");
    sbAge->Connected();
    dkChanges->SetHost(fromLatin1(m_hostField), fromLatin1(m_session->UserName));
    // What changed meanwhile is looked for on the host that was lost only.
    if (m_hostField != m_lostHost) {
      m_lostPathmon.clear();
      m_follower->DropLostPicture();
    }
  };
  m_handler->OnNCPRefused = [this] {
    reconnectRefused(false);
    ShowLogonRefused(this, RefusedLogon::Ncp, std::exchange(m_refusedLogonLine, {}));
  };
  m_handler->OnExpandHost = [this](ncp::TreeNode* host) {
    if (QTreeWidgetItem* item = QtTreeNodes::item(host)) item->setExpanded(true);
    placeHosts();
    const bool resumed = resumeAfterLoss();
    m_primaryListed = true;
    loadPending();
    // Back, unless a PATHMON is to be loaded again first.
    if (!resumed) reconnected();
  };
  m_handler->OnDebugLine = [this](const std::string& line) { addDebugLine(line); };
  m_handler->OnObjectLimit = [this](size_t limit) { tellObjectLimit(limit); };
  const SettingsFile settings(m_settingsPath);
  m_budget.limit = settings.readConnectionsPerHost();
  m_pool = std::make_unique<ListingPool>(*m_session, *m_handler, m_budget);
  m_pool->Extra = settings.readConnections() - 1;
  // The listing connections' lines go where the operator's go.
  m_pool->OnDebug = [this](const std::string& line) {
    if (m_session->OnDebug) addDebugLine(line);
  };
  m_pool->OnListed = [this] {
    // The listing connections' answers reach the handler without passing
    // NCPTelnetNCPState: the counts follow them here.
    queueCounts();
    m_follower->SessionIdle();
    showBusy(m_session->State() == atsCommand);
  };
  m_pool->OnLost = [this](const std::string& sentence) {
    m_follower->Abandon();
    listingLost(sentence);
  };
  m_follower->SetPool(m_pool.get());
  m_handler->MaxObjects = settings.readMaxObjects();
  m_session->PagePromptQuietMs = settings.readPagePromptQuietMs(m_session->PagePromptQuietMs);
  m_handler->OnCommandRefused = [this](const std::string& hostLine) { tellCommandRefused(hostLine); };
  m_handler->OnTreeCleared = [this] {
    m_popup->Forget();
    clearStale();
    queueCounts();
  };
  m_handler->KeepTreeOnClose = true;
  m_handler->OnNCPLoggedOn = [this] { m_follower->LoadStarted(); };
  pnlFind->Registries = [this] { return registries(); };
  m_follower->SetRegistry(m_objList.get());

  const WindowPlacement placement = SettingsFile(m_settingsPath).readPlacement();
  // Top and Left place the window's frame, Width and Height size the window.
  const QRect bounds = FitOnScreen(placement, QSize(kDesignWidth, kDesignHeight), windowHandle()->frameMargins());
  move(bounds.topLeft());
  resize(bounds.size());
  // Bounds first, then the state: a maximized window keeps them as its
  // normal bounds.
  if (placement.maximized == 2)
    setWindowState(Qt::WindowMaximized);
  else if (placement.maximized == 1)
    setWindowState(Qt::WindowMinimized);
}

void TfrmMain::SavePosition() {
  WindowPlacement placement;
  placement.top = pos().y();
  placement.left = pos().x();
  placement.width = width();
  placement.height = height();
  placement.maximized = stateOrdinal(windowState());
  SettingsFile(m_settingsPath).writePlacement(placement);
}

void TfrmMain::savePositionOrTell() {
  try {
    SavePosition();
  } catch (const IniWriteError& e) {
    const QString problem = QString::fromLocal8Bit(e.what());
    if (m_unattended) {
      std::fprintf(stderr, "korvanedrestolin: %s; the window position is not saved\n", qPrintable(problem));
    } else {
      QMessageBox::warning(this, kCaption, tr("%1\nThe window position is not saved.").arg(problem));
    }
  }
}

void TfrmMain::closeUnattended() {
  m_unattended = true;
  close();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  savePositionOrTell();
  event->accept();
}

void TfrmMain::Exit1Click() {
  savePositionOrTell();
  QCoreApplication::exit(0);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tvMain && event->type() == QEvent::KeyPress && treeKey(static_cast<QKeyEvent*>(event))) return true;
  // The Apply button keeps to the bottom right corner of the parameter side.
  if (event->type() == QEvent::Resize && watched == btnApplyAlter->parentWidget()) {
    const QWidget* side = btnApplyAlter->parentWidget();
    btnApplyAlter->move(side->width() - 5 - btnApplyAlter->width(), side->height() - 4 - btnApplyAlter->height());
  }
  return QMainWindow::eventFilter(watched, event);
}

bool TfrmMain::treeKey(const QKeyEvent* key) {
  // Enter does on a PATHMON what the double click does: the NCP logon.
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
    tvMainDblClick();
    return true;
  }
  // The popup from the keyboard opens at the selected node.
  if (key->key() == Qt::Key_Menu || (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
    QTreeWidgetItem* current = tvMain->currentItem();
    tvMainContextMenu(current ? tvMain->visualItemRect(current).center() : QPoint(0, 0));
    return true;
  }
  return false;
}

// ---- Connect and disconnect --------------------------------------------------------

void TfrmMain::Connect1Click() {
  // The operator takes over from the attempts to reconnect.
  stopReconnecting(false);
  if (frmAuth->ShowTACLLogin() != TfrmAuth::mrOk) return;
  try {
    m_logonUnderway = false;
    const std::string host = RequireLatin1Text(frmAuth->hostText(), "Host");
    const std::string user = RequireLatin1Text(frmAuth->userText(), "TACL user");
    const SecretText password = takePassword("TACL password");
    m_session->Ssh.acceptedHostKey.clear();
    logon(host, user, password.text());
  } catch (const EUnsafeCommandText& e) {
    tellUnsafeText(e);
  } catch (const ESocketException& e) {
    // A host name that cannot be resolved or an invalid address: nothing
    // was opened.
    tellCannotConnect(frmAuth->hostText(), e);
  }
}

void TfrmMain::tellCannotConnect(const QString& host, const ESocketException& e) {
  QMessageBox::warning(this, kCaption, tr("Cannot connect to %1: %2").arg(host, QString::fromLatin1(e.what())));
}

void TfrmMain::applyTrust(TNCPTelnet& session, const std::string& host) const {
  session.Ssh.knownHostsFile = SettingsFile(m_settingsPath).readKnownHosts();
  session.Tls = TlsTrustSettings(m_settingsPath).trustFor(TlsTrustSettings::hostKey(ncp::splitHostPort(host)));
}

void TfrmMain::logon(const std::string& host, const std::string& user, const std::string& password,
                     ncp::ActionKind kind) {
  applyTrust(*m_session, host);
  m_hostField = host;
  m_session->Logon(host, user, password, kind);
  m_logonUnderway = true;
}

void TfrmMain::DisConnect1Click() {
  closeAllMore();
  disconnectOperatorsHost();
}

void TfrmMain::disconnectOperatorsHost() {
  stopReconnecting(true);
  if (m_pool) m_pool->Farewell();
  if (m_handler) m_handler->Disconnect();
  showDisconnected();
}

void TfrmMain::NCPTelnetSessionConnected(uint16_t error) {
  if (error == 0) sbPanels[1]->setText(fromLatin1(m_session->Protection()));
  if (error == 0 || !m_logonUnderway) return;
  m_logonUnderway = false;
  if (reconnectFailed(error)) return;
  if (m_session->Transport == TransportKind::TelnetTls && socketerrors::isVerificationFailure(error)) {
    // After the failed stream has closed, not from inside its event.
    QMetaObject::invokeMethod(
        this, [this, error] { offerTrust(error); }, Qt::QueuedConnection);
    return;
  }
  if (error == socketerrors::kSshHostKeyUnknown || error == socketerrors::kSshHostKeyChanged) {
    // Out of the stream's event: the logon made again replaces the stream.
    QTimer::singleShot(0, this, [this, error] { hostKeyRefused(error); });
    return;
  }
  QMessageBox::warning(
      this, kCaption,
      tr("Cannot connect to %1: %2.").arg(fromLatin1(m_session->Host), fromLatin1(socketerrors::message(error))));
}

void TfrmMain::offerTrust(uint16_t error) {
  const std::string key = TlsTrustSettings::hostKey({m_session->Transport, m_session->Host, m_session->Port});
  const std::optional<TlsCertificate> certificate = m_session->PeerCertificate();
  if (!certificate) {
    QMessageBox::warning(
        this, kCaption,
        tr("Cannot connect to %1: %2.").arg(fromLatin1(m_session->Host), fromLatin1(socketerrors::message(error))));
    return;
  }
  if (error == socketerrors::kTlsCertificateChanged) {
    // Trust given once is not taken back or replaced from here: a changed
    // certificate is what an impostor would show.
    QMessageBox::critical(
        this, kCaption,
        tr("The certificate of %1 is not the one you trusted for it. Nothing was sent to the host.\n\n"
           "Trusted: %4\nOffered now: %5\n\n"
           "If the host's certificate was changed on purpose, remove the line of %1 from the section [%2] "
           "of the settings file %3, then connect again.")
            .arg(fromLatin1(key), TlsTrustSettings::kPins, m_settingsPath, fromLatin1(m_session->Tls.pin),
                 fromLatin1(certificate->pin())));
    return;
  }
  if (!frmCertificate->ShowCertificate(fromLatin1(key), fromLatin1(WSocketErrorDesc(error)), *certificate)) return;
  try {
    TlsTrustSettings(m_settingsPath).writePin(key, certificate->pin());
  } catch (const IniWriteError& e) {
    QMessageBox::warning(this, kCaption,
                         tr("%1\nThe certificate is not trusted.").arg(QString::fromLocal8Bit(e.what())));
    return;
  }
  logonAgain();
}

void TfrmMain::logonWithKeptPassword(ncp::ActionKind kind) {
  // The session kept the user and its copy of the password of the last logon.
  const SecretText password{std::string(m_session->Password)};
  const std::string user = m_session->UserName;
  logon(m_hostField, user, password.text(), kind);
}

void TfrmMain::logonAgain() {
  try {
    logonWithKeptPassword(ncp::ActionKind::Connect);
  } catch (const ESocketException& e) {
    tellCannotConnect(fromLatin1(m_hostField), e);
  }
}

void TfrmMain::hostKeyRefused(uint16_t error) {
  const auto* ssh = dynamic_cast<const SshStream*>(m_session->Socket());
  if (!ssh) return;
  const std::string fingerprint = ssh->HostKeyFingerprint();
  TfrmHostKey dialog({m_session->Host, m_session->Port, m_session->Ssh.knownHostsFile, ssh->HostKeyType(), fingerprint,
                      error == socketerrors::kSshHostKeyChanged, ssh->KnownHostKey()},
                     this);
  const TfrmHostKey::Choice choice = dialog.Ask();
  if (choice == TfrmHostKey::Choice::Refuse) return;
  // Only this key is accepted: another one met on the way is refused again.
  m_session->Ssh.acceptedHostKey = fingerprint;
  m_session->Ssh.keepAcceptedHostKey = choice == TfrmHostKey::Choice::Accept;
  logonAgain();
}

void TfrmMain::NCPTelnetSessionClosed(TTnCnx*, uint16_t) {
  if (m_pool) m_pool->Farewell();
  // Logged on, and the operator did not disconnect: the connection was lost.
  // The object limit's close is the window's own and told on its own.
  const bool lost = !m_connectAction && m_handler && !m_handler->ObjectLimitReached();
  if (lost) showLoss();
  if (m_handler) m_handler->SessionClosed();
  showDisconnected();
  if (lost || m_reconnection->Attempting()) {
    // The next attempt shows in the status bar, not in a message box.
    m_logonUnderway = false;
    reconnectLater();
    return;
  }
  if (!m_logonUnderway) return;
  m_logonUnderway = false;
  QMessageBox::warning(
      this, kCaption,
      tr("The host %1 closed the connection before the logon completed.").arg(fromLatin1(m_session->Host)));
}

void TfrmMain::showDisconnected() {
  sbPanels[1]->clear();
  m_connectAction = true;
  mmConnect->setText(MoreConnections() ? tr("Disconnect") : tr("Connect"));
  setWindowTitle(windowTitle().left(16));
}

SecretText TfrmMain::takePassword(const char* what) {
  // The dialog's field is emptied at once: the session keeps the copy it needs.
  SecretText password(RequireLatin1Text(frmAuth->passwordText(), what));
  frmAuth->edPasswd->clear();
  return password;
}

void TfrmMain::tellUnsafeText(const EUnsafeCommandText& e) {
  QMessageBox::warning(this, kCaption, tr("%1.\nNothing was sent to the host.").arg(QString::fromLatin1(e.what())));
}

void TfrmMain::tellCommandRefused(const std::string& hostLine) {
  QMessageBox::warning(this, kCaption, tr("The host refused the command:\n%1").arg(fromLatin1(hostLine)));
}

void TfrmMain::tellObjectLimit(size_t limit) {
  QMessageBox::warning(this, kCaption,
                       tr("The host listed more than %1 objects. The load stopped there and the connection "
                          "was closed; the objects loaded so far stay in the tree.")
                           .arg(limit));
}

void TfrmMain::tellSendFailed(const ESocketException& e) {
  QMessageBox::warning(this, kCaption, QString::fromLatin1(e.what()));
}

// ---- Tree ----------------------------------------------------------------------------

void TfrmMain::tvMainDblClick() {
  QTreeWidgetItem* item = tvMain->currentItem();
  QtTreeNode* node = QtTreeNode::of(item);
  if (!canLogonNcp(node)) return;
  if (!m_handler->CanLogonNCP(node)) return logonNcpElsewhere(item);
  if (frmAuth->ShowNCPLogin(item->text(0)) != TfrmAuth::mrOk) return;
  // The tree may have been cleared while the dialog was open.
  if (tvMain->currentItem() != item) return;
  try {
    const std::string user = RequireLatin1Text(frmAuth->userText(), "NCP user");
    const SecretText password = takePassword("NCP password");
    m_handler->LogonNCP(node, user, password.text());
  } catch (const EUnsafeCommandText& e) {
    tellUnsafeText(e);
  } catch (const ESocketException& e) {
    tellSendFailed(e);
  }
}

void TfrmMain::tvMainContextMenu(const QPoint& pos) {
  // The node under the mouse, never the selection: on empty space that may be
  // a node the operator did not point at.
  QTreeWidgetItem* under = tvMain->itemAt(pos);
  if (under) tvMain->setCurrentItem(under);
  // A stale picture's objects cannot be acted on.
  const Owner owner = ownerOf(QtTreeNode::of(under));
  if (owner.registry && !sbAge->IsLost()) {
    m_popup->SetSession(*owner.session);
    m_popupRegistry = owner.registry;
    ncp::TreeNode* select = m_popup->pMenuPopup(*owner.registry, QtTreeNode::of(under));
    if (QTreeWidgetItem* item = QtTreeNodes::item(select)) tvMain->setCurrentItem(item);
  }
  pMenu->popup(tvMain->viewport()->mapToGlobal(pos));
}

// ---- Session events ---------------------------------------------------------------------

void TfrmMain::NCPTelnetNCPState(const std::string& aCommand) {
  if (!m_handler) return;
  m_handler->NCPState(aCommand);
  queueCounts();
}

void TfrmMain::queueCounts() {
  // A load or a refresh brings thousands of events a second; drawing the
  // panel after each read cost more than the tree did.
  if (!m_countsTimer->isActive()) m_countsTimer->start();
}

void TfrmMain::NCPTelnetCommand(TTnCnx*, int queueCount, TNSKTelnetState state) {
  showBusy(state == atsCommand);
  sbPanels[0]->setText(QString::asprintf(tr("Queue: %d (%d)").toUtf8().constData(), queueCount, int(state)));
  if (state == atsIdle && queueCount == 0) m_follower->SessionIdle();
}

void TfrmMain::NCPTelnetDebug(TTnCnx* Sender, const std::string& Str) {
  addDebugLine(Sender ? std::string(Sender->ClassName()) + " " + Str : Str);
}

void TfrmMain::addDebugLine(const std::string& line) { frmDebug->AddDebugLine(fromLatin1(line)); }

void TfrmMain::showBusy(bool sessionRunning) {
  tvMain->setCursor(sessionRunning || (m_pool && m_pool->Busy()) ? Qt::BusyCursor : Qt::ArrowCursor);
}

void TfrmMain::listingLost(const std::string& sentence) {
  showBusy(m_session->State() == atsCommand);
  // Not inside the listing connection's handler; a load the object limit
  // stopped is told once, as the limit.
  QTimer::singleShot(0, this, [this, sentence] {
    if (m_handler->ObjectLimitReached()) return;
    QMessageBox::warning(this, kCaption,
                         tr("A listing was cut short: %1.\nThe tree shows what was listed until then; Refresh All "
                            "lists every status again, a new NCP logon the objects.")
                             .arg(fromLatin1(sentence)));
  });
}

void TfrmMain::DebugViewClick() {
  auto debug = [this](TTnCnx* sender, const std::string& str) { NCPTelnetDebug(sender, str); };
  if (DebugView->isChecked()) {
    m_session->OnDebug = debug;
    if (m_objList) m_objList->OnDebug = debug;
    frmDebug->show();
  } else {
    m_session->OnDebug = nullptr;
    if (m_objList) m_objList->OnDebug = nullptr;
  }
}

void TfrmMain::About1Click() { frmAbout->ShowModal(); }

void TfrmMain::AuditFolderClick() {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(m_audit->options().path).absolutePath()));
}

// ---- Large networks ----------------------------------------------------------------------

void TfrmMain::SelectNextDown(bool forward) {
  if (!m_objList) return;
  const auto registryOf = [this](QTreeWidgetItem* item) -> const TXPNetObjList* {
    return ownerOf(QtTreeNode::of(item)).registry;
  };
  if (QTreeWidgetItem* item = NextAlert(tvMain, registryOf, tvMain->currentItem(), forward)) {
    tvMain->setCurrentItem(item);
    tvMain->scrollToItem(item);
  }
}

void TfrmMain::AutoRefreshClick() {
  const SettingsFile settings(m_settingsPath);
  const bool on = AutoRefresh->isChecked();
  m_follower->SetAutoRefresh(on ? settings.readAutoRefreshSeconds() : 0);
  for (const auto& more : m_more) more->follower->SetAutoRefresh(on ? settings.readAutoRefreshSeconds() : 0);
  sbAge->SetNext(m_follower->NextAutoRefresh());
  try {
    settings.writeAutoRefresh(on);
  } catch (const IniWriteError& e) {
    QMessageBox::warning(this, kCaption,
                         tr("%1\nThe Auto Refresh setting is not saved.").arg(QString::fromLocal8Bit(e.what())));
  }
}

void TfrmMain::showAlert(const QString& message) {
  // No tray (a bare desktop, offscreen): the Changes panel still lists it.
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  if (!m_tray) {
    m_tray = new QSystemTrayIcon(imgList.value(0), this);
    m_tray->setToolTip(kCaption);
    m_tray->show();
  }
  m_tray->showMessage(kCaption, message, QSystemTrayIcon::Warning);
}

QString TfrmMain::countsText() const {
  if (!m_objList) return {};
  const QString counts = StatusCountsText(registries());
  if (!sbAge->IsLost()) return counts;
  return tr("STALE since %1: %2").arg(sbAge->LostAt().toString("HH:mm:ss"), counts);
}

// ---- A lost connection -------------------------------------------------------------------

void TfrmMain::showLoss() {
  const QDateTime at = QDateTime::currentDateTime();
  m_lostHost = m_hostField;
  m_lostPathmon.clear();
  const ExtInfo* pathmon = m_objList->FindByNode(m_handler->CurrentPathmonNode());
  if (m_handler->NCPLoggedOn() && pathmon) m_lostPathmon = pathmon->Name;
  // An attempt to reconnect that fails midway holds part of a picture at
  // most: what changed meanwhile is still told against the first one.
  if (!m_reconnection->Attempting()) m_follower->KeepLostPicture();
  m_popup->Forget();
  sbAge->Lost(fromLatin1(m_hostField), at);
  m_statusDelegate->SetStale(true);
  tvMain->viewport()->update();
  tvMain->setHeaderLabel(tr("Last known picture: the connection was lost at %1").arg(at.toString("HH:mm:ss")));
  tvMain->setHeaderHidden(false);
  queueCounts();
  if (!isActiveWindow())
    showAlert(tr("The connection to %1 was lost at %2").arg(fromLatin1(m_hostField), at.toString("HH:mm:ss")));
}

void TfrmMain::clearStale() {
  m_statusDelegate->SetStale(false);
  tvMain->setHeaderHidden(true);
}

bool TfrmMain::resumeAfterLoss() {
  const std::string pathmon = std::exchange(m_lostPathmon, {});
  const ExtInfo* entry = findEntry(m_objList.get(), xpPathmon, pathmon);
  // The operator's Disconnect or a refused logon wiped the password.
  if (!entry || m_session->NCPUserName.empty() || m_session->NCPPassword.empty()) return false;
  // The session kept the user and its copy of the password of that logon.
  const SecretText password{std::string(m_session->NCPPassword)};
  m_handler->LogonNCP(entry->Node, m_session->NCPUserName, password.text());
  return m_handler->CurrentPathmonNode() == entry->Node;
}

const ExtInfo* TfrmMain::findEntry(const TXPNetObjList* registry, TXPNetType type, const std::string& name) {
  if (!registry || name.empty()) return nullptr;
  for (const auto& entry : registry->Items())
    if (entry->NetType == type && entry->Name == name) return entry.get();
  return nullptr;
}

// ---- Questions before what hurts ----------------------------------------------------------

bool TfrmMain::confirmAction(ncp::NcpAction action) {
  QString verb;
  switch (action) {
    case ncp::NcpAction::Stop:
      verb = tr("Stop");
      break;
    case ncp::NcpAction::KeyChange:
      verb = tr("Key Change");
      break;
    case ncp::NcpAction::WarmBoot:
      verb = tr("Warmboot");
      break;
    default:
      return true;
  }
  const TXPNetObjList* registry = m_popupRegistry ? m_popupRegistry : m_objList.get();
  const ExtInfo* entry = findEntry(registry, m_popup->PopupObjectType(), m_popup->PopupObjectName());
  const CarriedObjects carried = CarriedObjects::Below(*registry, entry ? entry->Node : nullptr);
  return askFirst(tr("%1 %2?\n\nIt carries %3 and %4.")
                      .arg(verb, ObjectWords(m_popup->PopupObjectType(), m_popup->PopupObjectName()),
                           CarriedObjects::Text(carried.stations, tr("station"), tr("stations")),
                           CarriedObjects::Text(carried.lines, tr("line"), tr("lines"))),
                  verb);
}

bool TfrmMain::confirmDisconnect() {
  if ((!m_handler || !m_handler->NCPLoggedOn()) && MoreConnections() == 0) return true;
  return askFirst(tr("Disconnect from %1?\n\nNCP is logged on; the tree is emptied.").arg(fromLatin1(m_session->Host)),
                  tr("Disconnect"));
}

bool TfrmMain::askFirst(const QString& question, const QString& go) {
  if (!SettingsFile(m_settingsPath).readConfirm()) return true;
  QMessageBox box(QMessageBox::Question, kCaption, question, QMessageBox::Cancel, this);
  QPushButton* yes = box.addButton(go, QMessageBox::AcceptRole);
  box.setDefaultButton(QMessageBox::Cancel);
  box.exec();
  return box.clickedButton() == yes;
}

// ---- Alarm list -----------------------------------------------------------------------------

void TfrmMain::selectObject(TXPNetType type, const QString& name, const QString& host, const QString& pathmon) {
  const ExtInfo* entry = nullptr;
  for (const TXPNetObjList* registry : registries()) {
    const ExtInfo* found = findEntry(registry, type, name.toLatin1().toStdString());
    const Owner owner = found ? ownerOf(found->Node) : Owner{};
    if (found && fromLatin1(owner.hostField) == host && PathmonOf(*registry, *found) == pathmon) entry = found;
  }
  QTreeWidgetItem* item = entry ? QtTreeNodes::item(entry->Node) : nullptr;
  if (!item) return;
  // A find that hides the object gives the whole tree back first.
  pnlFind->Clear();
  tvMain->setCurrentItem(item);
  tvMain->scrollToItem(item);
  tvMain->setFocus();
}

void TfrmMain::recordAcknowledgement(TXPNetType type, const QString& name, TXPNetStatus status) {
  ncp::OperatorAction action;
  action.kind = ncp::ActionKind::Acknowledge;
  action.outcome = ncp::ActionOutcome::Accepted;
  action.time = std::chrono::system_clock::now();
  action.host = m_hostField;
  action.transport = m_session->Transport;
  action.taclUser = m_session->UserName;
  const ncp::ObjectKind* kind = ncp::objectKind(type);
  action.object = (kind ? std::string(kind->keyword) + " " : std::string()) + name.toLatin1().toStdString();
  action.answer = XPNetStatusWord(status);
  recordAction(action);
}

void TfrmMain::showAnswer(const ncp::OperatorAction& action, RefreshFollower* follower) {
  using ncp::ActionKind;
  if (action.kind != ActionKind::Start && action.kind != ActionKind::Stop && action.kind != ActionKind::Message) return;
  const QString outcome = QString::fromLatin1(ncp::outcomeWord(action.outcome));
  QString text = tr("%1: %2").arg(fromLatin1(action.command), outcome);
  if (!action.answer.empty()) text += " - " + fromLatin1(action.answer);
  sbAnswer->setText(text);
  sbAnswer->setToolTip(text);
  m_lastAnswers[action.object] = text;
  showDetails();
  if (action.kind != ActionKind::Message) {
    // "LINE LTCP01": the follower lists the change it brings as this console's.
    const std::string& object = action.object;
    const size_t blank = object.find(' ');
    for (TXPNetType type : {xpLine, xpStation, xpProcess})
      if (blank != std::string::npos && object.compare(0, blank, ncp::objectKind(type)->keyword) == 0)
        (follower ? follower : m_follower)->NoteOwnAction(type, object.substr(blank + 1));
  }
}

// ---- The parameter list ------------------------------------------------------------------

void TfrmMain::showDetails() {
  lvMain->setRowCount(0);
  QtTreeNode* node = QtTreeNode::of(tvMain->currentItem());
  const Owner owner = node ? ownerOf(node) : Owner{};
  const TXPNetObjList* registry = owner.registry;
  const ExtInfo* entry = registry ? registry->FindByNode(node) : nullptr;
  if (!entry || entry->Node != node) return;
  const ncp::ObjectKind* kind = ncp::objectKind(entry->NetType);
  const auto answer = kind ? m_lastAnswers.find(std::string(kind->keyword) + " " + entry->Name) : m_lastAnswers.end();
  const auto rows = ObjectDetails(*registry, *entry, owner.follower->ChangedAt(entry->NetType, entry->Name),
                                  answer == m_lastAnswers.end() ? QString() : answer->second);
  lvMain->setRowCount(int(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r) {
    lvMain->setItem(int(r), 0, new QTableWidgetItem(rows[r].first));
    lvMain->setItem(int(r), 1, new QTableWidgetItem(rows[r].second));
  }
}

int TfrmMain::treeWidth() const {
  if (const int saved = SettingsFile(m_settingsPath).readTreeWidth(); saved > 0) return saved;
  // Three levels in, an icon, the status text and a name of twelve wide letters.
  const int text = tvMain->fontMetrics().horizontalAdvance("(Abnormal) " + QString(12, 'W'));
  return std::max(225, 4 * tvMain->indentation() + NodeImages::kSize + text);
}
