// The main window's estate: the connections it opens beside the operator's,
// for further PATHMONs of a host and for further hosts, and the estates the
// settings file keeps.
#include <QAction>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

#include "ncp/ListingPool.h"
#include "nsk/OperatorText.h"
#include "ui/DataAgePanel.h"
#include "ui/EstateSettings.h"
#include "ui/Latin1Text.h"
#include "ui/LogonRefusal.h"
#include "ui/ObjectPopupMenu.h"
#include "ui/RefreshFollower.h"
#include "ui/SettingsFile.h"
#include "ui/TfrmAuth.h"
#include "ui/TfrmMain.h"

namespace {

// The PATHMON nodes of a host in tree order, with their names.
std::vector<std::pair<ncp::TreeNode*, std::string>> pathmonsOf(const TXPNetObjList& registry,
                                                               const ncp::TreeNode* host) {
  std::vector<std::pair<ncp::TreeNode*, std::string>> found;
  for (const auto& entry : registry.Items())
    if (entry->NetType == xpPathmon && entry->Node->parent() == host) found.emplace_back(entry->Node, entry->Name);
  return found;
}

}  // namespace

size_t TfrmMain::MoreConnections() const {
  return size_t(std::count_if(m_more.begin(), m_more.end(),
                              [](const auto& more) { return !more->gone && !more->link->Closing(); }));
}

bool TfrmMain::AllIdle() const {
  const auto idle = [](const TNCPTelnet& session, const ListingPool* pool) {
    return session.State() == atsIdle && session.QueueCount() == 0 && !(pool && pool->Busy());
  };
  if (!idle(*m_session, m_pool.get()) || m_follower->Loading()) return false;
  return std::all_of(m_more.begin(), m_more.end(), [&](const auto& more) {
    return more->gone || (more->link->Loaded() && idle(more->link->Session(), &more->link->Pool()));
  });
}

void TfrmMain::placeHosts() {
  // The operator's connection's host first, then the others as they were
  // opened, however their answers raced.
  std::vector<QTreeWidgetItem*> roots;
  if (m_handler && m_handler->HostNode()) roots.push_back(QtTreeNodes::item(m_handler->HostNode()));
  for (const auto& more : m_more)
    if (!more->gone && !more->tree->Anchor() && more->link->Handler().HostNode())
      roots.push_back(QtTreeNodes::item(more->link->Handler().HostNode()));
  for (int i = 0; i < int(roots.size()); ++i) {
    const int at = tvMain->indexOfTopLevelItem(roots[size_t(i)]);
    if (at < 0 || at == i) continue;
    const bool expanded = roots[size_t(i)]->isExpanded();
    tvMain->insertTopLevelItem(i, tvMain->takeTopLevelItem(at));
    roots[size_t(i)]->setExpanded(expanded);
  }
}

TfrmMain::Owner TfrmMain::primaryOwner() const {
  return {m_session.get(), m_objList.get(), m_handler.get(), nullptr, m_hostField, m_follower};
}

TfrmMain::Owner TfrmMain::ownerOf(ncp::TreeNode* node) const {
  if (!node || !m_handler) return primaryOwner();
  // The node's host (the root) and its PATHMON (the root's child on its way).
  ncp::TreeNode* pathmon = nullptr;
  ncp::TreeNode* root = node;
  while (root->parent()) {
    pathmon = root;
    root = root->parent();
  }
  const auto ownerFor = [](MoreConnection& more) {
    PathmonConnection& link = *more.link;
    return Owner{&link.Session(), &link.Registry(), &link.Handler(), &more, link.target().host, more.follower.get()};
  };
  if (pathmon) {
    for (const auto& more : m_more)
      if (!more->gone && more->link->Handler().CurrentPathmonNode() == pathmon) return ownerFor(*more);
    if (m_handler->CurrentPathmonNode() == pathmon) return primaryOwner();
  }
  if (root == m_handler->HostNode()) return primaryOwner();
  for (const auto& more : m_more)
    if (!more->gone && !more->tree->Anchor() && more->link->Handler().HostNode() == root) return ownerFor(*more);
  return {};
}

std::vector<const TXPNetObjList*> TfrmMain::registries() const {
  std::vector<const TXPNetObjList*> all;
  if (m_objList) all.push_back(m_objList.get());
  for (const auto& more : m_more)
    if (!more->gone) all.push_back(&more->link->Registry());
  return all;
}

bool TfrmMain::pathmonLoaded(const ncp::TreeNode* node) const {
  if (!node) return false;
  // The operator's connection may log on again after a refusal.
  if (m_handler && m_handler->NCPLoggedOn() && m_handler->CurrentPathmonNode() == node) return true;
  return std::any_of(m_more.begin(), m_more.end(), [node](const auto& more) {
    return !more->gone && !more->ncpRefused && more->link->Handler().CurrentPathmonNode() == node;
  });
}

bool TfrmMain::canLogonNcp(ncp::TreeNode* node) const {
  if (!m_handler || !node || pathmonLoaded(node) || sbAge->IsLost()) return false;
  const Owner host = ownerOf(node);
  if (!host.handler) return false;
  if (host.handler->CanLogonNCP(node)) return true;
  // A PATHMON of a host whose connection is logged on to another one.
  const ExtInfo* entry = host.registry->FindByNode(node);
  return entry && entry->Node == node && entry->NetType == xpPathmon && host.handler->NCPLoggedOn();
}

void TfrmMain::logonNcpElsewhere(QTreeWidgetItem* item) {
  auto* node = QtTreeNode::of(item);
  const Owner host = ownerOf(node);
  const ExtInfo* entry = host.registry ? host.registry->FindByNode(node) : nullptr;
  if (!entry) return;
  const std::string name = entry->Name;
  QString user;
  std::optional<SecretText> password = askPassword(false, item->text(0), {}, &user);
  // The tree may have changed while the dialog was open.
  if (!password || tvMain->currentItem() != item || !canLogonNcp(node)) return;
  PathmonsToLoad load;
  load.names = {name};
  load.ncpUser = user.toLatin1().toStdString();
  load.ncpPassword = std::move(*password);
  loadPathmons(node->parent(), load);
}

void TfrmMain::loadPathmons(ncp::TreeNode* hostNode, const PathmonsToLoad& load) {
  const Owner host = ownerOf(hostNode);
  if (!host.handler || host.handler->HostNode() != hostNode) return;
  QStringList missing;
  QStringList unopened;
  const auto listed = pathmonsOf(*host.registry, hostNode);
  std::vector<std::pair<ncp::TreeNode*, std::string>> chosen;
  if (load.all) chosen = listed;
  for (const std::string& name : load.names) {
    const auto it = std::find_if(listed.begin(), listed.end(), [&](const auto& p) { return p.second == name; });
    if (it == listed.end())
      missing << fromLatin1(name);
    else
      chosen.push_back(*it);
  }
  // The host's connection logs on to the first one, unless it has chosen one.
  bool hostLogon = !host.handler->CurrentPathmonNode();
  for (const auto& [node, name] : chosen) {
    if (pathmonLoaded(node)) continue;
    try {
      if (hostLogon && host.handler->CanLogonNCP(node)) {
        hostLogon = false;
        if (host.more)
          host.more->link->LogonNCP(node, load.ncpUser, load.ncpPassword.text());
        else
          m_handler->LogonNCP(node, load.ncpUser, load.ncpPassword.text());
        continue;
      }
      if (!openMore({host.hostField, host.session->UserName, name, load.ncpUser}, host.session->Password,
                    load.ncpPassword.text(), hostNode, host.session))
        unopened << fromLatin1(name);
    } catch (const EUnsafeCommandText& e) {
      tellUnsafeText(e);
      return;
    } catch (const ESocketException& e) {
      tellSendFailed(e);
      return;
    }
  }
  if (!missing.isEmpty())
    QMessageBox::warning(this, kCaption,
                         tr("%1 does not list %2.").arg(fromLatin1(host.hostField), missing.join(", ")));
  if (!unopened.isEmpty())
    QMessageBox::warning(this, kCaption,
                         tr("Not loaded, every connection to %1 the settings file allows is open: %2.")
                             .arg(fromLatin1(host.hostField), unopened.join(", ")));
}

ConnectionBudget& TfrmMain::budgetFor(const std::string& hostField) {
  if (hostField == m_hostField && m_handler && m_handler->HostNode()) return m_budget;
  auto [it, made] = m_hostBudgets.try_emplace(hostField);
  if (made) it->second.limit = SettingsFile(m_settingsPath).readConnectionsPerHost();
  return it->second;
}

TfrmMain::MoreConnection* TfrmMain::openMore(const PathmonConnection::Target& target, const std::string& password,
                                             const std::string& ncpPassword, ncp::TreeNode* anchor,
                                             const TNCPTelnet* like) {
  ConnectionBudget& budget = budgetFor(target.host);
  if (budget.used >= budget.limit) return nullptr;
  const SettingsFile settings(m_settingsPath);
  auto owned = std::make_unique<MoreConnection>();
  MoreConnection& more = *owned;
  more.tree = std::make_unique<ncp::SharedTreeNodes>(*m_treeNodes, anchor);
  more.link = std::make_unique<PathmonConnection>(*more.tree, budget, settings.readConnections());
  more.prefix = "[" + target.host + (target.pathmon.empty() ? "" : " " + target.pathmon) + "] ";
  TNCPTelnet& session = more.link->Session();
  applyTrust(session, target.host);
  session.PagePromptQuietMs = settings.readPagePromptQuietMs(session.PagePromptQuietMs);
  // A host key the operator accepted for this run holds for its connections.
  if (like) session.Ssh.acceptedHostKey = like->Ssh.acceptedHostKey;
  more.link->Handler().MaxObjects = settings.readMaxObjects();
  more.follower = std::make_unique<RefreshFollower>(session, dkChanges, tvMain, this);
  more.follower->Host = fromLatin1(target.host);
  more.follower->SetRegistry(&more.link->Registry());
  more.follower->SetPool(&more.link->Pool());
  more.follower->SetAutoRefresh(AutoRefresh->isChecked() ? settings.readAutoRefreshSeconds() : 0);
  wireMore(more);
  m_more.push_back(std::move(owned));
  try {
    more.link->Open(target, password, ncpPassword);
  } catch (...) {
    m_more.pop_back();
    throw;
  }
  mmConnect->setText(tr("Disconnect"));
  return &more;
}

void TfrmMain::wireMore(MoreConnection& more) {
  PathmonConnection& link = *more.link;
  NCPStateHandler& handler = link.Handler();
  const auto debug = [this, &more](const std::string& line) {
    if (DebugView->isChecked()) addDebugLine(more.prefix + line);
  };
  link.Session().OnDebug = [debug](TTnCnx* sender, const std::string& text) {
    debug(sender ? std::string(sender->ClassName()) + " " + text : text);
  };
  link.Pool().OnDebug = debug;
  handler.OnDebugLine = [this, &more](const std::string& line) { addDebugLine(more.prefix + line); };
  RefreshFollower& follower = *more.follower;
  follower.CanRefresh = [&handler] { return handler.NCPLoggedOn(); };
  connect(&follower, &RefreshFollower::Alert, this, &TfrmMain::showAlert);
  link.Session().OnOperatorAction = [this, &follower](const ncp::OperatorAction& action) {
    recordAction(action, &follower);
  };
  link.OnCommand = [this, &follower](int count, TNSKTelnetState state) {
    showBusy(state == atsCommand);
    if (state == atsIdle && count == 0) follower.SessionIdle();
  };
  handler.OnCommandRefused = [this](const std::string& hostLine) { tellCommandRefused(hostLine); };
  handler.OnObjectLimit = [this](size_t limit) { tellObjectLimit(limit); };
  link.OnNCPLoggedOn = [&more] {
    more.pathmonNode = more.link->Handler().CurrentPathmonNode();
    more.follower->LoadStarted();
  };
  handler.OnTreeCleared = [this] {
    m_popup->Forget();
    queueCounts();
  };
  more.tree->OnBeforeClear = [this, &more] {
    // A shared PATHMON node stays, shown as not loaded (a host's own goes
    // with its host node).
    if (more.pathmonNode) more.pathmonNode->setText(more.link->target().pathmon);
    more.pathmonNode = nullptr;
    if (more.tree->Anchor()) return;
    // A host's own connection: the ones sharing its node end first; when it
    // was lost, they are loaded again once it is back.
    ncp::TreeNode* host = more.link->Handler().HostNode();
    if (!more.link->Closing()) more.pending = pathmonsBeside(host);
    closeMoreUnder(host);
  };
  link.OnLoaded = [this, &more] { moreLoaded(more); };
  link.OnListed = [this, &follower] {
    follower.SessionIdle();
    queueCounts();
    showBusy(m_session->State() == atsCommand);
  };
  link.Pool().OnLost = [this, &follower](const std::string& sentence) {
    follower.Abandon();
    listingLost(sentence);
  };
  link.OnRefused = [this, &more](bool tacl) {
    ShowLogonRefused(this, tacl ? RefusedLogon::Tacl : RefusedLogon::Ncp, std::exchange(m_refusedLogonLine, {}));
    more.link->Wipe();
    more.ncpRefused = !tacl;
    // A host's own connection stays for its other PATHMONs after an NCP refusal.
    if (tacl || more.tree->Anchor()) closeMore(more);
  };
  link.OnPathmonMissing = [this, &more](const std::string& pathmon) {
    QMessageBox::warning(this, kCaption,
                         tr("%1 does not list %2.").arg(fromLatin1(more.link->target().host), fromLatin1(pathmon)));
    closeMore(more);
  };
  link.OnClosed = [this, &more](bool asked, const std::string& why) { moreClosed(more, asked, why); };
}

void TfrmMain::moreLoaded(MoreConnection& more) {
  placeHosts();
  if (more.reconnection && more.reconnection->Attempting()) {
    more.reconnection->Stop();
    addDebugLine(more.prefix + "reconnected");
    showReconnecting();
  }
  if (QTreeWidgetItem* host = QtTreeNodes::item(more.link->Handler().HostNode())) host->setExpanded(true);
  queueCounts();
  showDetails();
  loadPending();
}

void TfrmMain::loadPending() {
  if (std::any_of(m_more.begin(), m_more.end(), [](const auto& m) { return m->gone || m->link->Closing(); })) return;
  std::vector<std::pair<ncp::TreeNode*, std::unique_ptr<PathmonsToLoad>>> ready;
  if (m_primaryPending && m_primaryListed) ready.emplace_back(m_handler->HostNode(), std::move(m_primaryPending));
  for (const auto& more : m_more)
    if (more->pending && more->link->Loaded())
      ready.emplace_back(more->link->Handler().HostNode(), std::move(more->pending));
  // Loading opens more connections: not while m_more is walked.
  for (const auto& [host, load] : ready) loadPathmons(host, *load);
}

void TfrmMain::moreClosed(MoreConnection& more, bool asked, const std::string& why) {
  if (more.gone || (!asked && reconnectMoreLater(more, why))) return;
  more.gone = true;
  more.pending.reset();
  more.link->Wipe();
  addDebugLine(more.prefix + (asked ? "closed" : why));
  // Its objects went with it; the operator is told what no longer shows.
  if (!asked)
    QTimer::singleShot(0, this, [this, what = more.link->target(), why] {
      QMessageBox::warning(
          this, kCaption,
          tr("The connection to %1 for %2 ended (%3); its objects are no longer shown.")
              .arg(fromLatin1(what.host), what.pathmon.empty() ? tr("its PATHMON list") : fromLatin1(what.pathmon),
                   fromLatin1(why)));
    });
  // Not inside the connection's own handlers.
  QTimer::singleShot(0, this, [this] {
    // Partitioned, not removed: the gone ones are still looked at.
    const auto gone = std::stable_partition(m_more.begin(), m_more.end(), [](const auto& m) { return !m->gone; });
    for (auto it = gone; it != m_more.end(); ++it)
      if (m_popupRegistry == &(*it)->link->Registry()) m_popupRegistry = m_objList.get();
    m_more.erase(gone, m_more.end());
    if (m_connectAction && MoreConnections() == 0) showDisconnected();
    loadPending();
  });
  queueCounts();
}

bool TfrmMain::reconnectMoreLater(MoreConnection& more, const std::string& why) {
  const bool attempting = more.reconnection && more.reconnection->Attempting();
  // A connection the host never logged on was the operator's attempt, told
  // as such; a host that no longer shows the identity trusted is the
  // operator's to judge.
  if ((!attempting && !more.link->Listed()) || more.link->Untrusted()) return false;
  if (!attempting) {
    const SettingsFile settings(m_settingsPath);
    if (!settings.readReconnect() || more.link->Session().Password.empty()) return false;
    if (!more.reconnection) {
      more.reconnection = std::make_unique<Reconnection>(nullptr);
      more.reconnection->OnAttempt = [this, &more](int attempt) { reconnectMore(more, attempt); };
    }
    more.reconnection->SetFirstWait(settings.readReconnectFirstWait());
    const QString pathmon = fromLatin1(more.link->target().pathmon);
    // Told once a loss, not at each failed attempt.
    QTimer::singleShot(0, this, [this, host = fromLatin1(more.link->target().host), pathmon, what = fromLatin1(why)] {
      QMessageBox::warning(this, kCaption,
                           tr("The connection to %1 for %2 ended (%3); its objects are no longer shown until it "
                              "is opened again.")
                               .arg(host, pathmon.isEmpty() ? tr("its PATHMON list") : pathmon, what));
    });
  }
  addDebugLine(more.prefix + why + "; reconnecting");
  more.reconnection->Lost();
  showReconnecting();
  return true;
}

void TfrmMain::reconnectMore(MoreConnection& more, int attempt) {
  addDebugLine(more.prefix + "reconnecting, attempt " + std::to_string(attempt));
  TNCPTelnet& session = more.link->Session();
  const SecretText password{std::string(session.Password)};
  const SecretText ncpPassword{std::string(session.NCPPassword)};
  try {
    more.link->Open(more.link->target(), password.text(), ncpPassword.text(), ncp::ActionKind::Reconnect);
  } catch (const ESocketException& e) {
    addDebugLine(more.prefix + "reconnecting failed: " + e.what());
    more.reconnection->Lost();
  }
}

void TfrmMain::closeMore(MoreConnection& more) {
  if (more.gone || more.link->Closing()) return;
  if (more.reconnection) more.reconnection->Stop();
  more.link->Close();
  // One waiting to be opened again has no connection whose end would tell it.
  if (!more.link->Session().IsConnected()) moreClosed(more, true, {});
  showReconnecting();
}

void TfrmMain::closeMoreUnder(ncp::TreeNode* host) {
  if (!host) return;
  for (const auto& more : m_more)
    if (more->tree->Anchor() == host) closeMore(*more);
}

std::unique_ptr<TfrmMain::PathmonsToLoad> TfrmMain::pathmonsBeside(ncp::TreeNode* host) const {
  auto pending = std::make_unique<PathmonsToLoad>();
  for (const auto& more : m_more) {
    if (more->gone || more->link->Closing() || more->tree->Anchor() != host) continue;
    const PathmonConnection::Target& target = more->link->target();
    pending->names.push_back(target.pathmon);
    // One NCP user for all of them: the first one's, with the password its session kept.
    if (!pending->ncpPassword.empty()) continue;
    pending->ncpUser = target.ncpUser;
    pending->ncpPassword = SecretText(std::string(more->link->Session().NCPPassword));
  }
  if (pending->names.empty() || pending->ncpPassword.empty()) return nullptr;
  return pending;
}

void TfrmMain::closeAllMore() {
  // The ones sharing a host first: the host's own connection deletes its node.
  for (bool anchored : {true, false})
    for (const auto& more : m_more)
      if (bool(more->tree->Anchor()) == anchored) closeMore(*more);
}

void TfrmMain::refreshAll() {
  if (m_handler && m_handler->NCPLoggedOn()) m_follower->RefreshAll();
  for (const auto& more : m_more)
    if (!more->gone && more->link->Loaded() && more->link->Handler().NCPLoggedOn()) more->follower->RefreshAll();
}

std::optional<SecretText> TfrmMain::askPassword(bool tacl, const QString& host, const QString& user, QString* userOut) {
  const int result = tacl ? frmAuth->ShowTACLLogin(host, user) : frmAuth->ShowNCPLogin(host, user);
  if (result != TfrmAuth::mrOk) return std::nullopt;
  if (userOut) *userOut = frmAuth->userText();
  try {
    return takePassword(tacl ? "TACL password" : "NCP password");
  } catch (const EUnsafeCommandText& e) {
    tellUnsafeText(e);
    return std::nullopt;
  }
}

// ---- Menu items ----------------------------------------------------------------------------

void TfrmMain::buildEstateMenu(QMenu* tools) {
  AddHost = tools->addAction(tr("Add &Host..."));
  AddHost->setObjectName("AddHost");
  connect(AddHost, &QAction::triggered, this, &TfrmMain::AddHostClick);
  LoadAllPathmons = tools->addAction(tr("Load All &PATHMONs"));
  LoadAllPathmons->setObjectName("LoadAllPathmons");
  connect(LoadAllPathmons, &QAction::triggered, this, &TfrmMain::LoadAllPathmonsClick);
  RefreshHost = tools->addAction(tr("&Refresh Host"));
  RefreshHost->setObjectName("RefreshHost");
  connect(RefreshHost, &QAction::triggered, this, &TfrmMain::RefreshHostClick);
  DisconnectHost = tools->addAction(tr("&Disconnect Host"));
  DisconnectHost->setObjectName("DisconnectHost");
  connect(DisconnectHost, &QAction::triggered, this, &TfrmMain::DisconnectHostClick);
  OpenEstateMenu = tools->addMenu(tr("Open &Estate"));
  OpenEstateMenu->setObjectName("OpenEstate");
  // Filled as Tools opens: an estate saved meanwhile is there, and the
  // estates open only while nothing is connected.
  connect(tools, &QMenu::aboutToShow, this, &TfrmMain::fillEstateMenu);
  SaveEstateAction = tools->addAction(tr("Sa&ve Estate..."));
  SaveEstateAction->setObjectName("SaveEstate");
  connect(SaveEstateAction, &QAction::triggered, this, [this] {
    bool ok = false;
    const QString name = QInputDialog::getText(this, kCaption, tr("Estate name:"), QLineEdit::Normal, {}, &ok);
    if (!ok || name.isEmpty()) return;
    try {
      SaveEstate(RequireLatin1Text(name, "Estate name"));
    } catch (const EUnsafeCommandText& e) {
      QMessageBox::warning(this, kCaption, tr("%1\nThe estate is not saved.").arg(QString::fromLatin1(e.what())));
    }
  });
  fillEstateMenu();
}

void TfrmMain::fillEstateMenu() {
  OpenEstateMenu->clear();
  for (const std::string& name : EstateSettings(m_settingsPath).names()) {
    QAction* open = OpenEstateMenu->addAction(fromLatin1(name));
    open->setEnabled(m_connectAction && MoreConnections() == 0);
    connect(open, &QAction::triggered, this, [this, name] { OpenEstate(name); });
  }
  OpenEstateMenu->setEnabled(!OpenEstateMenu->isEmpty());
}

void TfrmMain::AddHostClick() {
  if (m_connectAction && MoreConnections() == 0) return Connect1Click();
  QString user;
  std::optional<SecretText> password = askPassword(true, {}, {}, &user);
  if (!password) return;
  try {
    const std::string host = RequireLatin1Text(frmAuth->hostText(), "Host");
    if (!openMore({host, user.toLatin1().toStdString(), {}, {}}, password->text(), {}, nullptr, nullptr))
      QMessageBox::warning(this, kCaption,
                           tr("Every connection to %1 the settings file allows is open.").arg(fromLatin1(host)));
  } catch (const EUnsafeCommandText& e) {
    tellUnsafeText(e);
  } catch (const ESocketException& e) {
    tellCannotConnect(frmAuth->hostText(), e);
  }
}

ncp::TreeNode* TfrmMain::selectedHost() const {
  ncp::TreeNode* node = QtTreeNode::of(tvMain->currentItem());
  while (node && node->parent()) node = node->parent();
  return node;
}

void TfrmMain::RefreshHostClick() {
  ncp::TreeNode* host = selectedHost();
  const Owner owner = ownerOf(host);
  if (!host || !owner.handler || sbAge->IsLost()) return;
  try {
    if (owner.handler->NCPLoggedOn()) owner.follower->RefreshAll();
    for (const auto& more : m_more)
      if (!more->gone && more->tree->Anchor() == host && more->link->Handler().NCPLoggedOn())
        more->follower->RefreshAll();
  } catch (const ESocketException& e) {
    tellSendFailed(e);
  }
}

void TfrmMain::DisconnectHostClick() {
  ncp::TreeNode* host = selectedHost();
  QTreeWidgetItem* item = QtTreeNodes::item(host);
  if (!host || !ownerOf(host).handler ||
      !askFirst(tr("Disconnect from %1?\n\nIts PATHMONs leave the tree.").arg(item->text(0)), tr("Disconnect")))
    return;
  // The host may have gone while the question was open.
  if (tvMain->indexOfTopLevelItem(item) < 0) return;
  const Owner owner = ownerOf(host);
  if (!owner.handler) return;
  closeMoreUnder(host);
  if (owner.more)
    closeMore(*owner.more);
  else
    disconnectOperatorsHost();
}

void TfrmMain::LoadAllPathmonsClick() {
  ncp::TreeNode* node = selectedHost();
  const Owner host = node ? ownerOf(node) : primaryOwner();
  if (!host.handler || !host.handler->HostNode() || sbAge->IsLost()) return;
  QTreeWidgetItem* hostItem = QtTreeNodes::item(host.handler->HostNode());
  QString user;
  std::optional<SecretText> password = askPassword(false, hostItem->text(0), {}, &user);
  // The host may have gone while the dialog was open.
  if (!password || ownerOf(host.handler->HostNode()).handler != host.handler) return;
  PathmonsToLoad load;
  load.all = true;
  load.ncpUser = user.toLatin1().toStdString();
  load.ncpPassword = std::move(*password);
  loadPathmons(host.handler->HostNode(), load);
}

void TfrmMain::OpenEstate(const std::string& name) {
  const Estate estate = EstateSettings(m_settingsPath).read(name);
  if (estate.hosts.empty() || !m_connectAction || MoreConnections() > 0) return;
  bool first = true;
  for (const EstateHost& host : estate.hosts) {
    QString user;
    std::optional<SecretText> password = askPassword(true, fromLatin1(host.host), fromLatin1(host.user), &user);
    if (!password) return;
    auto load = std::make_unique<PathmonsToLoad>();
    load->names = host.pathmons;
    load->all = host.allPathmons;
    load->ncpUser = host.ncpUser;
    if (load->all || !load->names.empty()) {
      std::optional<SecretText> ncpPassword =
          askPassword(false, fromLatin1(host.host), fromLatin1(host.ncpUser), nullptr);
      if (!ncpPassword) return;
      load->ncpUser = frmAuth->userText().toLatin1().toStdString();
      load->ncpPassword = std::move(*ncpPassword);
    }
    try {
      const std::string tacl = user.toLatin1().toStdString();
      if (first) {
        // The first host on the operator's connection, as Connect opens it.
        stopReconnecting(false);
        m_session->Ssh.acceptedHostKey.clear();
        m_primaryPending = std::move(load);
        logon(host.host, tacl, password->text());
      } else if (MoreConnection* more = openMore({host.host, tacl, {}, {}}, password->text(), {}, nullptr, nullptr)) {
        more->pending = std::move(load);
      }
    } catch (const EUnsafeCommandText& e) {
      tellUnsafeText(e);
    } catch (const ESocketException& e) {
      tellCannotConnect(fromLatin1(host.host), e);
    }
    first = false;
  }
}

void TfrmMain::SaveEstate(const std::string& name) {
  Estate estate{name, {}};
  const auto add = [&](const Owner& host) {
    if (!host.handler || !host.handler->HostNode()) return;
    EstateHost saved{host.hostField, host.session->UserName, {}, false, host.session->NCPUserName};
    for (const auto& [node, pathmon] : pathmonsOf(*host.registry, host.handler->HostNode()))
      if (pathmonLoaded(node)) saved.pathmons.push_back(pathmon);
    for (const auto& more : m_more)
      if (saved.ncpUser.empty() && more->tree->Anchor() == host.handler->HostNode())
        saved.ncpUser = more->link->Session().NCPUserName;
    estate.hosts.push_back(std::move(saved));
  };
  add(primaryOwner());
  for (const auto& more : m_more)
    if (!more->gone && !more->tree->Anchor() && more->link->Handler().HostNode())
      add(ownerOf(more->link->Handler().HostNode()));
  try {
    EstateSettings(m_settingsPath).write(estate);
  } catch (const std::exception& e) {
    QMessageBox::warning(this, kCaption, tr("%1\nThe estate is not saved.").arg(QString::fromLocal8Bit(e.what())));
  }
}
