#include "ScriptedHost.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include "support/EventLoop.h"

namespace {
constexpr unsigned char kIac = 255, kDo = 253, kWont = 252;
// An option number no telnet option uses.
constexpr unsigned char kProbeOption = 199;
}  // namespace

ScriptedHost::ScriptedHost() : m_server(new QTcpServer(this)) {
  m_server->listen(QHostAddress::LocalHost, 0);
  connect(m_server, &QTcpServer::newConnection, this, &ScriptedHost::onConnection);
}

ScriptedHost::~ScriptedHost() = default;

uint16_t ScriptedHost::port() const { return m_server->serverPort(); }

std::string ScriptedHost::hostPort() const { return "127.0.0.1:" + std::to_string(port()); }

bool ScriptedHost::clientConnected() const { return m_client && m_client->state() == QAbstractSocket::ConnectedState; }

void ScriptedHost::onConnection() {
  while (QTcpSocket* socket = m_server->nextPendingConnection()) {
    m_client = socket;
    ++m_connections;
    m_pending.clear();
    m_lines.clear();
    m_taken = 0;
    m_telnetState = 0;
    m_probeRefusals = 0;
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
  }
}

void ScriptedHost::onReadyRead(QTcpSocket* socket) {
  if (socket != m_client) return;
  const QByteArray data = socket->readAll();
  parse(std::string(data.constData(), static_cast<size_t>(data.size())));
}

void ScriptedHost::parse(const std::string& bytes) {
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    switch (m_telnetState) {
      case 0:
        if (b == 255) {
          m_telnetState = 1;
        } else if (b == '\n') {
          if (!m_pending.empty() && m_pending.back() == '\r') m_pending.pop_back();
          m_lines.push_back(m_pending);
          m_pending.clear();
        } else {
          m_pending.push_back(c);
        }
        break;
      case 1:
        if (b == 250)
          m_telnetState = 3;
        else if (b >= 251 && b <= 254) {
          m_verb = b;
          m_telnetState = 2;
        } else if (b == 255) {
          m_pending.push_back(c);
          m_telnetState = 0;
        } else
          m_telnetState = 0;
        break;
      case 2:
        if (m_verb == kWont && b == kProbeOption) ++m_probeRefusals;
        m_telnetState = 0;
        break;
      case 3:
        if (b == 255) m_telnetState = 4;
        break;
      case 4:
        m_telnetState = (b == 240) ? 0 : 3;
        break;
    }
  }
}

void ScriptedHost::send(const std::string& bytes) {
  if (!m_client) return;
  m_client->write(bytes.data(), static_cast<qint64>(bytes.size()));
  m_client->flush();
  korvtest::waitUntil([this] { return !m_client || m_client->bytesToWrite() == 0; }, 2000);
}

void ScriptedHost::closeClient() {
  if (m_client) m_client->close();
}

bool ScriptedHost::waitForLines(size_t n, int timeoutMs) const {
  return korvtest::waitUntil([this, n] { return m_lines.size() >= n; }, timeoutMs);
}

std::string ScriptedHost::nextLine(int timeoutMs) {
  if (!waitForLines(m_taken + 1, timeoutMs)) return "<none>";
  return m_lines[m_taken++];
}

std::string ScriptedHost::answer(const std::string& reply) {
  const std::string line = nextLine();
  if (line != "<none>") send(line + "\r\n" + reply);
  return line;
}

bool ScriptedHost::roundTrip() {
  const int before = m_probeRefusals;
  send(std::string{static_cast<char>(kIac), static_cast<char>(kDo), static_cast<char>(kProbeOption)});
  return korvtest::waitUntil([this, before] { return m_probeRefusals > before; });
}

// The connection answers a request while it parses a read, before it hands
// that read's data to the session: the first refusal only shows that the
// bytes before it were read. The second request is read after the session
// is done with them, so its refusal follows anything the session sent.
bool ScriptedHost::caughtUp() { return roundTrip() && roundTrip(); }
