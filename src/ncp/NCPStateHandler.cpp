#include "ncp/NCPStateHandler.h"

#include <optional>

#include "ncp/NcpEvent.h"
#include "ncp/NcpParsing.h"

using ncp::NcpEvent;

namespace {

template <typename Event, typename... Args>
void raise(const Event& event, Args&&... args) {
  if (event) event(std::forward<Args>(args)...);
}

}  // namespace

NCPStateHandler::NCPStateHandler(TNCPTelnet& session, TXPNetObjList& registry, ncp::TreeNodes& tree)
    : m_session(session), m_registry(registry), m_tree(tree) {}

void NCPStateHandler::NCPState(const std::string& aCommand) {
  const std::optional<NcpEvent> event = ncp::parseEvent(aCommand);
  if (!event) return;
  switch (*event) {
    case NcpEvent::TaclRefused:
      raise(OnTACLRefused);
      m_session.Disconnect();
      break;
    case NcpEvent::TaclLoggedOn:
      raise(OnTACLLoggedOn);
      m_session.GetPathmon();
      break;
    case NcpEvent::SystemName:
      addHost(aCommand);
      break;
    case NcpEvent::PathmonListed:
      if (roomFor(1)) m_registry.AddPathmon(m_hostNode, ncp::pathmonName(aCommand));
      break;
    case NcpEvent::ProcessListed:
      addProcess(aCommand);
      break;
    case NcpEvent::NcpLoggedOn:
      ncpLoggedOn();
      break;
    case NcpEvent::NcpRefused:
      raise(OnNCPRefused);
      debugLine("NCP Not Authorized");
      break;
    case NcpEvent::PathmonsListed:
      if (m_hostNode) raise(OnExpandHost, m_hostNode);
      break;
    case NcpEvent::StationListed:
      addStation(aCommand);
      break;
    case NcpEvent::StationStatus:
      setStatus(aCommand, xpStation);
      break;
    case NcpEvent::LineStatus:
      setStatus(aCommand, xpLine);
      break;
    case NcpEvent::PathmonChange:
      debugLine("Change PATHMON");
      break;
    case NcpEvent::ProcessStatus:
      setStatus(aCommand, xpProcess);
      break;
    case NcpEvent::CommandRefused: {
      const std::string hostLine(ncp::eventPayload(aCommand));
      debugLine("Refused by the host: " + hostLine);
      raise(OnCommandRefused, hostLine);
      break;
    }
    case NcpEvent::DebugText:
      debugLine(aCommand);
      break;
  }
}

bool NCPStateHandler::CanLogonNCP(const ncp::TreeNode* node) const {
  const ExtInfo* entry = nullptr;
  // The registry is asked before the node is touched: a node deleted while a
  // dialog was open has no entry any more.
  if (m_ncpLoggedOn || m_treeKept || !ownEntry(node, entry)) return false;
  const ncp::TreeNode* parent = entry->Node->parent();
  return parent != nullptr && parent->parent() == nullptr;
}

void NCPStateHandler::LogonNCP(ncp::TreeNode* node, const std::string& user, const std::string& password) {
  if (!CanLogonNCP(node)) return;
  m_session.LogonNCP(m_registry.FindByNode(node)->Name, user, password);
  m_previousPathmonNode = m_currentPathmonNode;
  m_currentPathmonNode = node;
}

void NCPStateHandler::Disconnect() {
  // A TACL session that is logged on is left in order, so that none stays
  // open at the host; the farewell closes the connection in the end.
  m_session.Farewell(m_ncpLoggedOn);
  m_ncpLoggedOn = false;
  clearAll();
}

void NCPStateHandler::SessionClosed() {
  m_ncpLoggedOn = false;
  // What was loaded up to the limit stays for the operator to see.
  if (m_objectLimitReached || KeepTreeOnClose)
    m_treeKept = true;
  else
    clearAll();
}

void NCPStateHandler::debugLine(const std::string& line) { raise(OnDebugLine, line); }

void NCPStateHandler::namelessEvent(const std::string& aCommand) {
  debugLine("Skipped, no object name: " + aCommand);
  raise(OnNamelessEvent, aCommand);
}

void NCPStateHandler::addHost(const std::string& aCommand) {
  // A new connection: the objects an earlier one kept go.
  if (m_treeKept) clearAll();
  m_hostNode = m_tree.addFirst(ncp::hostName(aCommand));
  m_registry.SetTreeNodes(&m_tree);
}

void NCPStateHandler::addProcess(const std::string& aCommand) {
  const auto name = ncp::objectName(aCommand);
  if (!name) return namelessEvent(aCommand);
  if (!m_currentPathmonNode || !roomFor(1)) return;
  const ExtInfo* pathmon = m_registry.FindByNode(m_currentPathmonNode);
  if (pathmon) m_registry.AddProcess(pathmon->Name, *name, ncp::objectStatus(aCommand));
}

void NCPStateHandler::ncpLoggedOn() {
  m_registry.DeletePathmonChildren();
  const ExtInfo* previous = nullptr;
  if (ownEntry(m_previousPathmonNode, previous)) m_previousPathmonNode->setText(previous->Name);
  m_ncpLoggedOn = true;
  if (m_currentPathmonNode) m_currentPathmonNode->setText("(" + m_currentPathmonNode->text() + ")");
  if (LoadObjects) {
    LoadObjects();
  } else {
    m_session.GetNetObjects();
  }
  raise(OnNCPLoggedOn);
}

void NCPStateHandler::addStation(const std::string& aCommand) {
  const auto name = ncp::objectName(aCommand);
  if (!name) return namelessEvent(aCommand);
  if (!roomFor(2)) return;
  const std::string process = ncp::stationProcessName(aCommand);
  m_registry.AddStation(process, *name);
  m_registry.AddLine(process, ncp::stationLineName(aCommand));
}

void NCPStateHandler::setStatus(const std::string& aCommand, TXPNetType type) {
  const auto name = ncp::objectName(aCommand);
  if (!name) return namelessEvent(aCommand);
  m_registry.SetStatusObj(*name, type, ncp::objectStatus(aCommand));
}

bool NCPStateHandler::roomFor(size_t entries) {
  if (m_objectLimitReached) return false;
  if (m_registry.Items().size() + entries <= MaxObjects) return true;
  m_objectLimitReached = true;
  debugLine("Object limit of " + std::to_string(MaxObjects) + " reached: connection closed");
  raise(OnObjectLimit, MaxObjects);
  // The host would go on sending the listing; only the end of the
  // connection stops it.
  m_session.Disconnect();
  return false;
}

void NCPStateHandler::clearAll() {
  m_objectLimitReached = false;
  m_treeKept = false;
  m_registry.Clear();
  m_tree.clear();
  m_hostNode = nullptr;
  m_currentPathmonNode = nullptr;
  m_previousPathmonNode = nullptr;
  raise(OnTreeCleared);
}

bool NCPStateHandler::ownEntry(const ncp::TreeNode* node, const ExtInfo*& entry) const {
  if (!node) return false;
  entry = m_registry.FindByNode(node);
  return entry != nullptr && entry->Node == node;
}
