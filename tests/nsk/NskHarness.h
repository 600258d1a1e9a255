// Test harness for the NonStop session: a session with its protected members
// opened up, a scripted host on loopback (QTcpServer) that records what the
// session sends, and an event log that turns every handler call into one text
// entry so that scenarios can state the calls they expect in order.
#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <string>
#include <vector>

#include "nsk/TNSKTelnet.h"

namespace nsktest {

class ProbeSession : public TNSKTelnet {
 public:
  using TNSKTelnet::AddDebugSecret;
  using TNSKTelnet::ClearCurrentLine;
  using TNSKTelnet::Debug;
  using TNSKTelnet::InstallOwnDataHandler;
  using TNSKTelnet::OwnDataHandlerInstalled;
  using TNSKTelnet::ResetCommands;
  using TNSKTelnet::RestoreOwnerDataHandler;
  using TNSKTelnet::TNSKTelnet;

  // Delivers bytes as the connection does: Len bytes followed by a zero byte.
  void feed(const std::string& bytes) { SessionDataAvailable(this, bytes.c_str(), static_cast<int>(bytes.size())); }
  // Lets the connection deliver every received chunk to the session.
  void takeOverData() {
    InstallOwnDataHandler(
        [this](TTnCnx* sender, const char* buffer, int len) { SessionDataAvailable(sender, buffer, len); });
  }
};

// One host on 127.0.0.1 that accepts one connection from the session.
class LoopbackHost {
 public:
  LoopbackHost();
  // Connects the session to this host; true once both ends are connected.
  bool accept(TTnCnx& session);
  void write(const std::string& bytes);
  // Everything the session has sent so far.
  std::string received();
  bool waitReceived(const std::string& expected);

 private:
  QTcpServer m_server;
  QTcpSocket* m_peer = nullptr;
  std::string m_received;
};

const char* stateName(TNSKTelnetState state);

// Entries: "<tag>:<state>:<line>" for completion handlers and OnStringAvailable,
// "check:<line>:<0|1>" for recorded checks, "queue:<count>:<state>" for
// OnCommand, "debug:<text>" for OnDebug.
class EventLog {
 public:
  // OnStringAvailable as "string", OnCommand as "queue", OnDebug as "debug".
  void attach(TNSKTelnet& session);
  TNSKStringAvailable handler(const std::string& tag);
  // Wraps a check so that each call and its verdict are logged.
  TNSKTelnetCheckCmdTermination recorded(TNSKTelnetCheckCmdTermination check);
  void add(std::string entry) { entries.push_back(std::move(entry)); }
  bool contains(const std::string& entry) const;
  // Removes and returns the entries logged so far.
  std::vector<std::string> take();

  std::vector<std::string> entries;
};

}  // namespace nsktest
