// NCPStateHandler: what the owner of the NCP session does with its state
// events, shared by the main window and the headless console so that both
// follow one set of rules.
//
// It turns each OnNCPState text (an ncp::NcpEvent; NcpEvent.h lists the
// events and their codes) into session calls, registry entries and tree
// nodes; a text that names no event (parseEvent) is ignored. It also holds
// the steps of the NCP logon by double click, of Disconnect and of the
// session's close, and the state they share (HostNode, CurrentPathmonNode,
// PreviousPathmonNode, NCPLoggedOn).
//
// What only a front end does (message boxes, menu and caption, expanding a
// node, showing debug lines) is left to the hooks below; a hook nobody
// assigned is skipped. An object event whose name field has no name is
// skipped with a debug line and the session goes on.
//
// The registry holds at most MaxObjects entries. A host that lists more (one
// that never ends a listing) would otherwise grow memory without bound, and
// it would go on sending whatever was asked of it: the event that would pass
// the limit is dropped, OnObjectLimit is raised and the connection is closed,
// and the objects loaded so far stay in the registry and the tree until the
// next logon (or Disconnect) clears them.
//
// Owns nothing: the session, the registry and the tree belong to the owner and
// must outlive the handler. Node pointers it holds are forgotten when the tree
// is cleared here; nobody else may delete the host or PATHMON nodes. Session
// operations may throw (EUnsafeCommandText for operator text, ESocketException
// from a send); the handler changes none of its state before the session call
// that throws. Single-threaded; the hooks may open nested event loops.
#pragma once

#include <functional>
#include <string>

#include "ncp/TNCPTelnet.h"
#include "ncp/TXPNetObjList.h"
#include "ncp/TreeNode.h"

class NCPStateHandler {
 public:
  NCPStateHandler(TNCPTelnet& session, TXPNetObjList& registry, ncp::TreeNodes& tree);
  NCPStateHandler(const NCPStateHandler&) = delete;
  NCPStateHandler& operator=(const NCPStateHandler&) = delete;

  // TaclRefused, before the session's Disconnect: the TACL logon was refused.
  std::function<void()> OnTACLRefused;
  // TaclLoggedOn, before the session's GetPathmon: the TACL logon is complete.
  std::function<void()> OnTACLLoggedOn;
  // NcpLoggedOn, after the session's GetNetObjects: the NCP logon is complete and
  // the objects are loading.
  std::function<void()> OnNCPLoggedOn;
  // NcpRefused, before the "NCP Not Authorized" debug line: the NCP logon was refused.
  std::function<void()> OnNCPRefused;
  // PathmonsListed: the PATHMON listing has ended; the host node may be opened one level.
  std::function<void(ncp::TreeNode* hostNode)> OnExpandHost;
  // Once per connection, before the connection is closed: an event would
  // have put more than MaxObjects entries into the registry.
  std::function<void(size_t limit)> OnObjectLimit;
  // CommandRefused, after its debug line: the host answered a START, STOP or DELIVER
  // with this error line; the command did not happen.
  std::function<void(const std::string& hostLine)> OnCommandRefused;
  // One line for the debug transcript (NcpRefused, PathmonChange, CommandRefused,
  // DebugText, skipped events, ...).
  std::function<void(const std::string& line)> OnDebugLine;
  // An object event (a listed process or station, a status line) without an
  // object name; after its debug line.
  std::function<void(const std::string& aCommand)> OnNamelessEvent;
  // The registry and the tree have just been emptied (disconnect, close):
  // whatever the front end keeps of an object belongs to a tree now gone.
  std::function<void()> OnTreeCleared;

  // Loads the objects once the NCP logon is complete; unassigned, the
  // session's GetNetObjects does.
  std::function<void()> LoadObjects;

  // Far above any real network; a front end may lower or raise it.
  static constexpr size_t kDefaultMaxObjects = 1000000;
  size_t MaxObjects = kDefaultMaxObjects;

  // The session's OnNCPState.
  void NCPState(const std::string& aCommand);

  // Whether a double click on node may start an NCP logon: node is a PATHMON
  // node (level 1, with a registry entry of its own) and no NCP logon has
  // completed on this connection. The front end asks for the user and
  // password only when this holds.
  bool CanLogonNCP(const ncp::TreeNode* node) const;
  // The NCP logon for the PATHMON of node (when CanLogonNCP holds, else
  // nothing): the session's LogonNCP with the entry's name, user and password,
  // then PreviousPathmonNode := CurrentPathmonNode, CurrentPathmonNode := node.
  void LogonNCP(ncp::TreeNode* node, const std::string& user, const std::string& password);

  // The disconnect steps: the session's Farewell (while logged on: EXIT,
  // when NCP is logged on, and LOGOUT after the running command; the
  // connection ends on LOGOUT or when the host has not answered in time;
  // else the connection is closed at once); then the registry and the tree
  // are cleared and the nodes forgotten. Menu and caption are the front
  // end's.
  void Disconnect();
  // The session's OnSessionClosed: nothing is sent any more, then the
  // disconnect steps (the registry and the tree are kept when the object
  // limit closed the connection, or when KeepTreeOnClose holds; a kept tree
  // offers no NCP logon and goes at the next connection's host node).
  void SessionClosed();
  // A front end that shows the last picture after the connection ends.
  bool KeepTreeOnClose = false;
  bool ObjectLimitReached() const { return m_objectLimitReached; }

  ncp::TreeNode* HostNode() const { return m_hostNode; }
  ncp::TreeNode* CurrentPathmonNode() const { return m_currentPathmonNode; }
  ncp::TreeNode* PreviousPathmonNode() const { return m_previousPathmonNode; }
  bool NCPLoggedOn() const { return m_ncpLoggedOn; }

 private:
  void debugLine(const std::string& line);
  void namelessEvent(const std::string& aCommand);
  void addHost(const std::string& aCommand);
  void addProcess(const std::string& aCommand);
  void ncpLoggedOn();
  void addStation(const std::string& aCommand);
  void setStatus(const std::string& aCommand, TXPNetType type);
  // False, once the limit is reached, when entries more would pass it.
  bool roomFor(size_t entries);
  void clearAll();
  bool ownEntry(const ncp::TreeNode* node, const ExtInfo*& entry) const;

  TNCPTelnet& m_session;
  TXPNetObjList& m_registry;
  ncp::TreeNodes& m_tree;
  ncp::TreeNode* m_hostNode = nullptr;
  ncp::TreeNode* m_currentPathmonNode = nullptr;
  ncp::TreeNode* m_previousPathmonNode = nullptr;
  bool m_ncpLoggedOn = false;
  bool m_objectLimitReached = false;
  bool m_treeKept = false;
};
