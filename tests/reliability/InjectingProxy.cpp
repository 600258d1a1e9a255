#include "InjectingProxy.h"

namespace reltest {

namespace {
constexpr qint64 kWaitingLimit = 256 * 1024;
}

InjectingProxy::InjectingProxy(uint16_t hostPort) : m_hostPort(hostPort) {
  m_server.listen(QHostAddress::LocalHost, 0);
  connect(&m_server, &QTcpServer::newConnection, this, [this] {
    if (m_console != nullptr) return;
    m_console = m_server.nextPendingConnection();
    connect(m_console, &QTcpSocket::readyRead, this, [this] { m_host.write(m_console->readAll()); });
    connect(m_console, &QTcpSocket::bytesWritten, this, [this] { pump(); });
    connect(m_console, &QTcpSocket::disconnected, this, [this] { m_host.disconnectFromHost(); });
    m_host.connectToHost(QHostAddress::LocalHost, m_hostPort);
  });
  connect(&m_host, &QTcpSocket::readyRead, this, [this] {
    m_heldBack += m_host.readAll();
    pump();
  });
  connect(&m_host, &QTcpSocket::disconnected, this, [this] {
    if (m_console != nullptr) m_console->disconnectFromHost();
  });
}

std::string InjectingProxy::hostPort() const { return "127.0.0.1:" + std::to_string(m_server.serverPort()); }

void InjectingProxy::flood(int64_t bytes) {
  m_floodLeft += bytes;
  pump();
}

void InjectingProxy::pump() {
  if (m_console == nullptr) return;
  while (m_floodLeft > 0 && m_console->bytesToWrite() < kWaitingLimit) {
    QByteArray line = "UNSOLICITED EMS EVENT " + QByteArray::number(++m_lineNumber).rightJustified(9, '0') +
                      " XPNET LINE STATE CHANGE NOTIFICATION\r\n";
    if (line.size() > m_floodLeft)
      line = m_floodLeft >= 2 ? QByteArray(static_cast<qsizetype>(m_floodLeft - 2), 'X') + "\r\n" : "\n";
    m_console->write(line);
    m_floodLeft -= line.size();
    m_flooded += line.size();
  }
  if (m_floodLeft == 0 && !m_heldBack.isEmpty()) {
    m_console->write(m_heldBack);
    m_heldBack.clear();
  }
}

}  // namespace reltest
