#include "NskHarness.h"

#include <algorithm>

#include "support/EventLoop.h"

namespace nsktest {

LoopbackHost::LoopbackHost() { m_server.listen(QHostAddress::LocalHost, 0); }

bool LoopbackHost::accept(TTnCnx& session) {
  session.Host = "127.0.0.1";
  session.Port = std::to_string(m_server.serverPort());
  session.Connect();
  const bool ok = korvtest::waitUntil([&] {
    if (m_peer == nullptr && m_server.hasPendingConnections()) m_peer = m_server.nextPendingConnection();
    return m_peer != nullptr && session.IsConnected();
  });
  return ok;
}

void LoopbackHost::write(const std::string& bytes) {
  m_peer->write(bytes.data(), static_cast<qint64>(bytes.size()));
  m_peer->flush();
}

std::string LoopbackHost::received() {
  if (m_peer != nullptr) {
    const QByteArray data = m_peer->readAll();
    m_received.append(data.constData(), static_cast<size_t>(data.size()));
  }
  return m_received;
}

bool LoopbackHost::waitReceived(const std::string& expected) {
  return korvtest::waitUntil([&] { return received() == expected; });
}

const char* stateName(TNSKTelnetState state) {
  switch (state) {
    case atsIdle:
      return "idle";
    case atsOtorisasi:
      return "otorisasi";
    case atsCommand:
      return "command";
    case atsCommandEnd:
      return "end";
  }
  return "?";
}

void EventLog::attach(TNSKTelnet& session) {
  session.OnStringAvailable = handler("string");
  session.OnCommand = [this](TTnCnx*, int queueCount, TNSKTelnetState state) {
    add("queue:" + std::to_string(queueCount) + ":" + stateName(state));
  };
  session.OnDebug = [this](TTnCnx*, const std::string& text) { add("debug:" + text); };
}

TNSKStringAvailable EventLog::handler(const std::string& tag) {
  return [this, tag](TTnCnx*, const std::string& str, TNSKTelnetState state) {
    add(tag + ":" + stateName(state) + ":" + str);
  };
}

TNSKTelnetCheckCmdTermination EventLog::recorded(TNSKTelnetCheckCmdTermination check) {
  return [this, check](TTnCnx* sender, std::string& line, bool& bterminate) {
    const std::string seen = line;
    check(sender, line, bterminate);
    add("check:" + seen + ":" + (bterminate ? "1" : "0"));
  };
}

bool EventLog::contains(const std::string& entry) const {
  return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

std::vector<std::string> EventLog::take() {
  std::vector<std::string> taken;
  taken.swap(entries);
  return taken;
}

}  // namespace nsktest
