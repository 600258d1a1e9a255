// OperatorActions: the operator's actions that reach the host, each kept
// open from the moment it is sent until its outcome is known, then handed on
// once, complete, to OnAction: the one source of the audit trail, so that
// the window and ncpctl record the same actions the same way.
//
// The session (TNCPTelnet) begins an action where it sends it (Logon,
// LogonNCP, Perform, PerformStatusAll, Farewell), notes the host's lines to
// it, and finishes it when the answer ends; when the connection ends, every
// action still open is finished at once, oldest first. A record is handed on
// in the order its outcome became known. Owns the open actions only.
// Single-threaded.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>

#include "transport/TStream.h"

namespace ncp {

// Acknowledge: the operator acknowledged a status change in the window's
// alarm list; nothing is sent for it.
// Reconnect: the TACL logon the console makes by itself to open again a
// connection the host or the network ended unasked.
enum class ActionKind : uint8_t {
  Connect,
  NcpLogon,
  Start,
  Stop,
  Refresh,
  Message,
  Disconnect,
  Acknowledge,
  Reconnect
};

// The TACL logon that opens a connection, by the operator or by the console.
inline bool opensConnection(ActionKind kind) { return kind == ActionKind::Connect || kind == ActionKind::Reconnect; }

enum class ActionOutcome : uint8_t {
  Accepted,  // the host took it (a logon accepted, a command answered without an error line)
  Refused,   // the host refused it (a logon refused, an error line)
  Failed,    // no connection came about
  Lost,      // the connection ended before the host answered, or without being asked to
};

struct OperatorAction {
  ActionKind kind = ActionKind::Connect;
  ActionOutcome outcome = ActionOutcome::Lost;
  std::chrono::system_clock::time_point time;       // when it was sent
  std::string host;                                 // the host field as the operator gave it
  TransportKind transport = TransportKind::Telnet;  // what its scheme names
  std::string taclUser;
  std::string pathmon;  // the PATHMON of the NCP logon, once one was sent
  std::string ncpUser;
  std::string object;   // "LINE LTCP01", "$PM01", "*" for every object
  std::string command;  // the command line sent; several are joined by "; "
  std::string answer;   // the host's line to it, or why the connection failed
};

// "connect", "ncp-logon", "start", "stop", "refresh", "message", "disconnect",
// "acknowledge", "reconnect".
const char* actionWord(ActionKind kind);
// "accepted", "refused", "failed", "lost".
const char* outcomeWord(ActionOutcome outcome);

class OperatorActions {
 public:
  using Id = uint64_t;

  std::function<void(const OperatorAction&)> OnAction;

  // Opens the action, stamped with the time now; its outcome is given later.
  Id begin(OperatorAction action);
  // A line the host answered the open action with; the last one is kept, but
  // a refusal stays the answer once given.
  void answer(Id id, const std::string& line);
  void refuse(Id id, const std::string& line);
  // Ends the open action with outcome (or Refused, when refuse was called)
  // and hands it on; nothing for an id not open.
  void finish(Id id, ActionOutcome outcome);
  // Ends every open action, oldest first, with the outcome outcomeOf gives it.
  void finishAll(const std::function<ActionOutcome(OperatorAction&)>& outcomeOf);
  // A record complete at once: begun and finished with outcome.
  void record(OperatorAction action, ActionOutcome outcome);
  bool isOpen(Id id) const;

 private:
  struct Open {
    Id id;
    OperatorAction action;
    bool refused;
  };
  Open* find(Id id);
  void handOn(OperatorAction& action);

  std::deque<Open> m_open;
  Id m_lastId = 0;
};

}  // namespace ncp
