#include "Operator.h"

#include <algorithm>

#include "support/EventLoop.h"

namespace reltest {

using ncp::NcpEvent;

Operator::Operator() {
  session.OnNCPState = [this](const std::string& text) {
    events.push_back(text);
    handler.NCPState(text);
  };
  session.OnDebug = [this](TTnCnx*, const std::string& text) { debug.push_back(text); };
  session.OnStringAvailable = [this](TTnCnx*, const std::string& line, TNSKTelnetState) { ownerLines.push_back(line); };
  session.OnSessionClosed = [this](TTnCnx*, uint16_t) {
    ++closes;
    handler.SessionClosed();
  };
  handler.OnDebugLine = [this](const std::string& line) { debug.push_back(line); };
}

bool Operator::logonTacl(const std::string& hostPort, const std::string& password, int timeoutMs) {
  const size_t from = events.size();
  session.Logon(hostPort, "OPS.OPER", password);
  return korvtest::waitUntil(
      [&] { return (seen(NcpEvent::PathmonsListed, from) || seen(NcpEvent::TaclRefused, from)) && idle(); }, timeoutMs);
}

bool Operator::logonNcp(const std::string& pathmon, const std::string& password, int timeoutMs) {
  ncp::TreeNode* node = pathmonNode(pathmon);
  if (node == nullptr) return false;
  handler.LogonNCP(node, "NCPOPER", password);
  return korvtest::waitUntil([&] { return session.NetObjectsStep() == 4 && idle(); }, timeoutMs);
}

bool Operator::fullRoad(const std::string& hostPort, int timeoutMs) {
  return logonTacl(hostPort, "secret1", timeoutMs) && seen(NcpEvent::TaclLoggedOn) &&
         logonNcp("$PM01", "secret2", timeoutMs);
}

bool Operator::seen(NcpEvent event, size_t from) const { return count(event, from) > 0; }

size_t Operator::count(NcpEvent event, size_t from) const {
  const auto first = events.begin() + static_cast<std::ptrdiff_t>(std::min(from, events.size()));
  return static_cast<size_t>(
      std::count_if(first, events.end(), [event](const std::string& e) { return ncp::parseEvent(e) == event; }));
}

ncp::TreeNode* Operator::pathmonNode(const std::string& name) const {
  ncp::TreeNode* host = handler.HostNode();
  for (int i = 0; host && i < host->childCount(); ++i) {
    const std::string text = host->child(i)->text();
    if (text == name || text == "(" + name + ")") return host->child(i);
  }
  return nullptr;
}

size_t Operator::objectNodes() const {
  size_t n = 0;
  tree.walk([&](const ncp::TreeNode&, int depth) { n += depth >= 2 ? 1 : 0; });
  return n;
}

}  // namespace reltest
