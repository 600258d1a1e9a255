// The main window's attempts to open again a connection the host or the
// network ended unasked (Reconnection schedules them).
#include <algorithm>
#include <string>

#include "nsk/SecretText.h"
#include "transport/SocketErrors.h"
#include "ui/DataAgePanel.h"
#include "ui/Reconnection.h"
#include "ui/SettingsFile.h"
#include "ui/TfrmMain.h"

void TfrmMain::reconnectLater() {
  if (!m_reconnection->Attempting()) {
    // The first loss: the settings as they are now, and the PATHMON to come
    // back to, which a failed attempt keeps.
    const SettingsFile settings(m_settingsPath);
    m_reconnection->Enabled = settings.readReconnect();
    m_reconnection->SetFirstWait(settings.readReconnectFirstWait());
    m_reconnectPathmon = m_lostPathmon;
  }
  m_reconnection->Lost();
}

void TfrmMain::reconnect(int attempt) {
  addDebugLine("Reconnecting to " + m_hostField + ", attempt " + std::to_string(attempt));
  m_lostPathmon = m_reconnectPathmon;
  try {
    logonWithKeptPassword(ncp::ActionKind::Reconnect);
  } catch (const ESocketException& e) {
    // A name the resolver cannot answer while the network is down.
    addDebugLine("Reconnecting to " + m_hostField + " failed: " + e.what());
    m_reconnection->Lost();
  } catch (const EUnsafeCommandText&) {
    // Nothing left to log on with.
    stopReconnecting(true);
  }
}

bool TfrmMain::reconnectFailed(uint16_t error) {
  if (!m_reconnection->Attempting()) return false;
  // A refused password is never tried again, and a host that no longer
  // shows the identity the operator trusted is theirs to judge: both are
  // told as at the operator's own logon.
  const bool refused = error == socketerrors::kSshAuthRefused;
  if (refused || socketerrors::isVerificationFailure(error)) {
    stopReconnecting(refused);
    return false;
  }
  addDebugLine("Reconnecting to " + m_hostField + " failed: " + socketerrors::message(error));
  m_reconnection->Lost();
  return true;
}

void TfrmMain::reconnectRefused(bool tacl) {
  if (!m_reconnection->Attempting()) return;
  addDebugLine("The host refused the logon; no more attempts to reconnect");
  // A refused NCP password goes; the TACL one still serves the connection
  // that is logged on (and its listing connections).
  stopReconnecting(tacl);
  if (!tacl) SecretText::wipeString(m_session->NCPPassword);
}

void TfrmMain::reconnected() {
  if (!m_reconnection->Attempting()) return;
  addDebugLine("Reconnected to " + m_hostField);
  stopReconnecting(false);
}

void TfrmMain::stopReconnecting(bool wipe) {
  m_reconnection->Stop();
  m_reconnectPathmon.clear();
  showReconnecting();
  sbAge->Reconnecting({});
  if (!wipe) return;
  // With the NCP password of the PATHMONs that were to be loaded again.
  m_primaryPending.reset();
  SecretText::wipeString(m_session->Password);
  SecretText::wipeString(m_session->NCPPassword);
  m_session->Ssh.wipePassword();
}

void TfrmMain::stopAllReconnecting() {
  if (m_reconnection->Pending()) stopReconnecting(true);
  // The further connections waiting to be opened again end, their passwords with them.
  for (const auto& more : m_more)
    if (more->reconnection && more->reconnection->Pending()) closeMore(*more);
}

void TfrmMain::showReconnecting() {
  const bool pending = m_reconnection->Pending() || std::any_of(m_more.begin(), m_more.end(), [](const auto& more) {
                         return !more->gone && more->reconnection && more->reconnection->Pending();
                       });
  StopReconnecting->setEnabled(pending);
}

void TfrmMain::showReconnection(const QDateTime& next) {
  StopReconnecting->setEnabled(true);
  sbAge->Reconnecting(next);
}
