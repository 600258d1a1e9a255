// Operator: one NCP session driven the way the main window drives it (the
// shared state-event handler over an in-memory tree), with everything a
// reliability test asserts on recorded: state events, debug lines, owner
// lines and how often the session was closed. Also the road's stages as
// helpers that wait for their end.
#pragma once

#include <string>
#include <vector>

#include "ncp/MemoryTree.h"
#include "ncp/NCPStateHandler.h"
#include "ncp/TNCPTelnet.h"
#include "ncp/TXPNetObjList.h"

namespace reltest {

class Operator {
 public:
  Operator();
  Operator(const Operator&) = delete;
  Operator& operator=(const Operator&) = delete;

  TNCPTelnet session;
  ncp::MemoryTree tree;
  TXPNetObjList registry;
  NCPStateHandler handler{session, registry, tree};

  std::vector<std::string> events;
  std::vector<std::string> debug;
  std::vector<std::string> ownerLines;
  int closes = 0;

  // Logon; waits for the PATHMON list (008) or the refusal (001) and an idle session.
  bool logonTacl(const std::string& hostPort, const std::string& password = "secret1", int timeoutMs = 20000);
  // The NCP logon on the named PATHMON node; waits for the complete object load.
  bool logonNcp(const std::string& pathmon = "$PM01", const std::string& password = "secret2", int timeoutMs = 20000);
  // TACL logon and NCP logon with the object load.
  bool fullRoad(const std::string& hostPort, int timeoutMs = 20000);

  // The recorded events of that kind from index from on.
  bool seen(ncp::NcpEvent event, size_t from = 0) const;
  size_t count(ncp::NcpEvent event, size_t from = 0) const;
  bool idle() const { return session.State() == atsIdle && session.QueueCount() == 0; }
  ncp::TreeNode* pathmonNode(const std::string& name) const;
  // Object nodes below the PATHMONs (processes, stations, lines).
  size_t objectNodes() const;
};

}  // namespace reltest
