#include "StreamReplay.h"

#include <QTimer>

#include "transport/TTnCnx.h"
#include "transport/TWSocket.h"

namespace reltest {

RecordingProxy::RecordingProxy(uint16_t targetPort) : m_targetPort(targetPort) {
  m_server.listen(QHostAddress::LocalHost, 0);
  connect(&m_server, &QTcpServer::newConnection, this, [this] {
    if (m_console != nullptr) return;
    m_console = m_server.nextPendingConnection();
    m_console->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_console, &QTcpSocket::readyRead, this, [this] {
      const QByteArray bytes = m_console->readAll();
      add(false, bytes);
      m_upstream.write(bytes);
    });
    m_upstream.connectToHost(QHostAddress::LocalHost, m_targetPort);
  });
  connect(&m_upstream, &QTcpSocket::connected, this,
          [this] { m_upstream.setSocketOption(QAbstractSocket::LowDelayOption, 1); });
  connect(&m_upstream, &QTcpSocket::readyRead, this, [this] {
    const QByteArray bytes = m_upstream.readAll();
    add(true, bytes);
    m_console->write(bytes);
  });
}

std::string RecordingProxy::hostPort() const { return "127.0.0.1:" + std::to_string(m_server.serverPort()); }

void RecordingProxy::add(bool fromHost, const QByteArray& bytes) {
  if (bytes.isEmpty()) return;
  if (m_recording.empty() || m_recording.back().fromHost != fromHost) m_recording.push_back({fromHost, {}});
  m_recording.back().bytes.append(bytes.constData(), static_cast<size_t>(bytes.size()));
}

ReplayHost::ReplayHost(const Recording& recording, Cuts cuts, TTnCnx& console)
    : m_recording(recording), m_cuts(std::move(cuts)), m_console(console) {
  m_server.listen(QHostAddress::LocalHost, 0);
  connect(&m_server, &QTcpServer::newConnection, this, [this] {
    if (m_peer != nullptr) return;
    m_peer = m_server.nextPendingConnection();
    m_peer->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_peer, &QTcpSocket::readyRead, this, [this] {
      const QByteArray bytes = m_peer->readAll();
      m_received.append(bytes.constData(), static_cast<size_t>(bytes.size()));
      advance();
    });
    advance();
  });
  TStream* socket = m_console.Socket();
  m_consoleReader = socket->OnDataAvailable;
  socket->OnDataAvailable = [this](TStream* sender, uint16_t error) {
    m_consoleReader(sender, error);
    consoleRead();
  };
}

ReplayHost::~ReplayHost() { m_console.Socket()->OnDataAvailable = m_consoleReader; }

std::string ReplayHost::hostPort() const { return "127.0.0.1:" + std::to_string(m_server.serverPort()); }

void ReplayHost::consoleRead() {
  if (!m_awaitingRead) return;
  m_awaitingRead = false;
  // Not from inside the console's reading: the next piece must be a read of its own.
  QTimer::singleShot(0, this, [this] { advance(); });
}

void ReplayHost::advance() {
  while (m_peer != nullptr && m_turn < m_recording.size() && !m_awaitingRead) {
    const Turn& turn = m_recording[m_turn];
    if (!turn.fromHost) {
      if (m_received.size() < m_consoleBytesDue + turn.bytes.size()) return;
      m_consoleBytesDue += turn.bytes.size();
      ++m_turn;
      continue;
    }
    if (m_nextPiece == 0) {
      m_pieces.clear();
      size_t from = 0;
      for (size_t cut : m_cuts(m_hostTurn, turn.bytes.size())) {
        m_pieces.push_back(turn.bytes.substr(from, cut - from));
        from = cut;
      }
      m_pieces.push_back(turn.bytes.substr(from));
    }
    const std::string& piece = m_pieces[m_nextPiece++];
    m_peer->write(piece.data(), static_cast<qint64>(piece.size()));
    m_peer->flush();
    ++m_piecesWritten;
    m_awaitingRead = true;
    if (m_nextPiece == m_pieces.size()) {
      m_nextPiece = 0;
      ++m_hostTurn;
      ++m_turn;
    }
  }
}

}  // namespace reltest
