#include "ncp/PathmonConnection.h"

#include <utility>

#include "transport/SocketErrors.h"

PathmonConnection::PathmonConnection(ncp::TreeNodes& tree, ConnectionBudget& budget, int listingConnections)
    : m_session(std::make_unique<TNCPTelnet>()),
      m_handler(*m_session, m_registry, tree),
      m_pool(*m_session, m_handler, budget) {
  m_pool.Extra = listingConnections - 1;
  m_session->OnNCPState = [this](const std::string& text) { m_handler.NCPState(text); };
  m_session->OnSessionClosed = [this](TTnCnx*, uint16_t) { closed(); };
  m_session->OnSessionConnected = [this](TTnCnx*, uint16_t error) {
    if (error == 0) return;
    // An SSH password refused is a refused logon like TACL's.
    if (error == socketerrors::kSshAuthRefused) {
      if (OnRefused) OnRefused(true);
      return;
    }
    m_untrusted = socketerrors::isVerificationFailure(error);
    if (OnClosed) OnClosed(false, socketerrors::message(error));
  };
  m_handler.OnTACLRefused = [this] {
    if (OnRefused) OnRefused(true);
  };
  m_handler.OnNCPRefused = [this] {
    m_ncpPassword.wipe();
    if (OnRefused) OnRefused(false);
  };
  m_handler.OnExpandHost = [this](ncp::TreeNode*) { pathmonsListed(); };
  m_handler.OnNCPLoggedOn = [this] {
    m_loading = true;
    if (OnNCPLoggedOn) OnNCPLoggedOn();
  };
  m_session->OnCommand = [this](TTnCnx*, int count, TNSKTelnetState state) {
    if (OnCommand) OnCommand(count, state);
    if (state == atsIdle && count == 0) loadEnded();
  };
  m_pool.OnListed = [this] {
    loadEnded();
    if (OnListed) OnListed();
  };
}

PathmonConnection::~PathmonConnection() {
  m_session->OnSessionClosed = nullptr;
  m_session->OnSessionConnected = nullptr;
  Wipe();
}

void PathmonConnection::Open(const Target& target, const std::string& password, const std::string& ncpPassword,
                             ncp::ActionKind kind) {
  m_target = target;
  m_ncpPassword = SecretText(std::string(ncpPassword));
  m_loaded = false;
  m_listed = false;
  m_loading = false;
  m_closing = false;
  m_untrusted = false;
  m_session->Logon(target.host, target.user, password, kind);
}

void PathmonConnection::pathmonsListed() {
  m_listed = true;
  if (m_target.pathmon.empty()) {
    m_loaded = true;
    if (OnLoaded) OnLoaded();
    return;
  }
  for (const auto& entry : m_registry.Items()) {
    if (entry->NetType != xpPathmon || entry->Name != m_target.pathmon) continue;
    const SecretText password = std::move(m_ncpPassword);
    m_handler.LogonNCP(entry->Node, m_target.ncpUser, password.text());
    return;
  }
  m_ncpPassword.wipe();
  if (OnPathmonMissing) OnPathmonMissing(m_target.pathmon);
}

void PathmonConnection::loadEnded() {
  if (!m_loading || m_pool.Busy() || m_session->State() != atsIdle || m_session->QueueCount() != 0) return;
  m_loading = false;
  m_loaded = true;
  if (OnLoaded) OnLoaded();
}

void PathmonConnection::LogonNCP(ncp::TreeNode* pathmonNode, const std::string& user, const std::string& password) {
  const ExtInfo* entry = m_registry.FindByNode(pathmonNode);
  if (!entry || !m_handler.CanLogonNCP(pathmonNode)) return;
  m_handler.LogonNCP(pathmonNode, user, password);
  m_target.pathmon = entry->Name;
  m_target.ncpUser = user;
  m_loaded = false;
}

void PathmonConnection::Close() {
  m_closing = true;
  m_pool.Farewell();
  m_handler.Disconnect();
}

void PathmonConnection::Wipe() {
  m_ncpPassword.wipe();
  SecretText::wipeString(m_session->Password);
  SecretText::wipeString(m_session->NCPPassword);
  m_session->Ssh.wipePassword();
}

void PathmonConnection::closed() {
  m_pool.Farewell();
  m_handler.SessionClosed();
  if (OnClosed) OnClosed(m_closing, m_closing ? std::string() : "the connection to " + m_target.host + " ended");
}
