// PathmonConnection: one connection of an estate beside the operator's first:
// the TACL logon to a host, its PATHMON list and, when a PATHMON is named,
// the NCP logon to it and its load, each with the connection's own session,
// registry, state handler and listing pool. The dialogue is the one the
// operator's connection has, byte for byte; only who starts each step
// differs: the NCP logon follows the PATHMON list by itself.
//
// The window opens one for each further PATHMON of a host (sharing the host's
// node through a SharedTreeNodes) and one for each further host. The tree,
// the budget and the owner's hooks must outlive it. The NCP password given to
// Open is held until the NCP logon is sent; the session keeps its copies
// (for the listing connections and a reconnect) until Wipe or the end.
// Single-threaded, on the Qt event loop.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ncp/ConnectionBudget.h"
#include "ncp/ListingPool.h"
#include "ncp/NCPStateHandler.h"
#include "ncp/TNCPTelnet.h"
#include "ncp/TXPNetObjList.h"
#include "nsk/SecretText.h"

class PathmonConnection {
 public:
  struct Target {
    std::string host;     // the host field: a name, name:port or URL
    std::string user;     // TACL user
    std::string pathmon;  // empty: the TACL logon and PATHMON list only
    std::string ncpUser;
  };

  // listingConnections: the connections its listings may use, its own among them.
  PathmonConnection(ncp::TreeNodes& tree, ConnectionBudget& budget, int listingConnections);
  ~PathmonConnection();
  PathmonConnection(const PathmonConnection&) = delete;
  PathmonConnection& operator=(const PathmonConnection&) = delete;

  // The NCP logon is complete and the objects are loading.
  std::function<void()> OnNCPLoggedOn;
  // The PATHMON list has come (no PATHMON named) or the load has ended:
  // the session is idle with nothing queued and no listing runs.
  std::function<void()> OnLoaded;
  // A listing run on the listing connections has handed on its answers.
  std::function<void()> OnListed;
  // The session's queue and state, as TNCPTelnet's OnCommand tells them.
  std::function<void(int queueCount, TNSKTelnetState state)> OnCommand;
  // The connection ended; asked: by Close. why: the sentence for one that
  // failed to open or was not asked.
  std::function<void(bool asked, const std::string& why)> OnClosed;
  // The host refused the TACL logon (tacl; an SSH password too) or the NCP logon.
  std::function<void(bool tacl)> OnRefused;
  // The named PATHMON is not in the host's list.
  std::function<void(const std::string& pathmon)> OnPathmonMissing;

  // throws as TNCPTelnet::Logon does (operator text, a host that cannot be
  // resolved); the session's transport settings are the caller's to set first.
  void Open(const Target& target, const std::string& password, const std::string& ncpPassword,
            ncp::ActionKind kind = ncp::ActionKind::Connect);
  // The NCP logon to a PATHMON of the list, on a connection opened for none.
  void LogonNCP(ncp::TreeNode* pathmonNode, const std::string& user, const std::string& password);
  // EXIT and LOGOUT here and on the listing connections; the tree part goes.
  void Close();
  // Both passwords the session kept go.
  void Wipe();

  const Target& target() const { return m_target; }
  bool Loaded() const { return m_loaded; }
  // The host accepted the TACL logon and listed its PATHMONs since the last Open.
  bool Listed() const { return m_listed; }
  bool Closing() const { return m_closing; }
  // The last opening failed on the host's certificate or SSH host key: the
  // operator's to judge, never retried here.
  bool Untrusted() const { return m_untrusted; }
  TNCPTelnet& Session() { return *m_session; }
  TXPNetObjList& Registry() { return m_registry; }
  NCPStateHandler& Handler() { return m_handler; }
  ListingPool& Pool() { return m_pool; }

 private:
  void pathmonsListed();
  // The load has ended when the session is idle and no listing runs.
  void loadEnded();
  void closed();

  Target m_target;
  SecretText m_ncpPassword;
  bool m_loaded = false;
  bool m_listed = false;
  bool m_loading = false;  // from the NCP logon to the load's end
  bool m_closing = false;
  bool m_untrusted = false;
  // The session first: the handler and the pool hold it.
  std::unique_ptr<TNCPTelnet> m_session;
  TXPNetObjList m_registry;
  NCPStateHandler m_handler;
  ListingPool m_pool;
};
