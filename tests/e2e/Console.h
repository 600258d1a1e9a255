// Console: a TNCPTelnet driven the way the main window drives it, without
// widgets. On 002 it asks for the PATHMONs, on 006 for the objects; it records
// every state event, every owner line and the session's close, and runs the
// road's stages to their end.
#pragma once

#include <string>
#include <vector>

#include "ncp/TNCPTelnet.h"

class Console {
 public:
  Console();

  TNCPTelnet session;
  std::vector<std::string> events;
  std::vector<std::string> ownerLines;
  bool closedByHost = false;

  // Logon and TACL dialogue; waits for 008 (PATHMONs listed) or 001.
  bool logonTacl(const std::string& hostPort, const std::string& user, const std::string& password,
                 int timeoutMs = 60000);
  // NCP logon to the PATHMON; waits for 006 and the complete load, or 007.
  bool logonNcp(const std::string& pathmon, const std::string& password, int timeoutMs = 60000);
  // Waits until nothing runs and nothing waits.
  bool waitIdle(int timeoutMs = 60000);
  bool waitEvent(const std::string& code, size_t from = 0, int timeoutMs = 60000) const;

  // The PATHMON names of the 004 events.
  std::vector<std::string> pathmons() const;
  // Event codes from index from on, runs of the same code folded into one.
  std::vector<std::string> codeRuns(size_t from = 0) const;
  // The event texts with this code.
  std::vector<std::string> withCode(const std::string& code, size_t from = 0) const;
};
