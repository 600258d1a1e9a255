#include "ScriptedPeer.h"

#include <sys/socket.h>

#include "support/EventLoop.h"

ScriptedPeer::ScriptedPeer() { m_server.listen(QHostAddress::LocalHost, 0); }

std::string ScriptedPeer::portText() const { return std::to_string(m_server.serverPort()); }

std::string ScriptedPeer::closedPortText() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  const std::string port = std::to_string(probe.serverPort());
  probe.close();
  return port;
}

bool ScriptedPeer::waitForClient() {
  if (!korvtest::waitUntil([this] { return m_server.hasPendingConnections(); })) return false;
  m_client = m_server.nextPendingConnection();
  QObject::connect(m_client, &QTcpSocket::readyRead, [this] { readAll(); });
  QObject::connect(m_client, &QTcpSocket::disconnected, [this] { m_gone = true; });
  // A client that speaks first may have been read before anyone listened.
  readAll();
  return true;
}

void ScriptedPeer::readAll() {
  if (!m_client) return;
  const QByteArray data = m_client->readAll();
  m_received.append(data.constData(), static_cast<size_t>(data.size()));
}

void ScriptedPeer::send(const std::string& data) {
  m_client->write(data.data(), static_cast<qint64>(data.size()));
  m_client->flush();
}

bool ScriptedPeer::waitForReceived(size_t count) {
  return korvtest::waitUntil([&] { return m_received.size() >= count; });
}

void ScriptedPeer::close() {
  m_client->flush();
  m_client->disconnectFromHost();
}

void ScriptedPeer::reset() {
  // A zero linger time makes the close abortive: the client sees a reset.
  const linger hard{1, 0};
  ::setsockopt(static_cast<int>(m_client->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  m_client->abort();
}

bool ScriptedPeer::waitForClientGone() {
  return korvtest::waitUntil(
      [this] { return m_gone || !m_client || m_client->state() == QAbstractSocket::UnconnectedState; });
}
