#include "TlsRelay.h"

TlsRelay::TlsRelay(QTcpSocket* client, ssl_st* ssl, QHostAddress backendAddress, quint16 backendPort, QObject* parent)
    : QObject(parent),
      m_client(client),
      m_backend(new QTcpSocket(this)),
      m_channel(ssl),
      m_backendAddress(backendAddress),
      m_backendPort(backendPort) {
  m_client->setParent(this);
  connect(m_client, &QTcpSocket::readyRead, this, &TlsRelay::clientReadable);
  connect(m_client, &QTcpSocket::disconnected, this, &TlsRelay::end);
  connect(m_backend, &QTcpSocket::readyRead, this, &TlsRelay::backendReadable);
  connect(m_backend, &QTcpSocket::connected, this, [this] {
    m_backend->write(m_toBackend);
    m_toBackend.clear();
  });
  connect(m_backend, &QTcpSocket::disconnected, this, &TlsRelay::end);
  connect(m_backend, &QTcpSocket::errorOccurred, this, [this] {
    if (m_backend->state() != QAbstractSocket::ConnectedState) end();
  });
  if (m_client->bytesAvailable() > 0) clientReadable();
}

void TlsRelay::clientReadable() {
  const QByteArray cipher = m_client->readAll();
  m_channel.feed(cipher.constData(), static_cast<size_t>(cipher.size()));
  if (!m_handshakeDone) {
    const TlsChannel::Status status = m_channel.handshake();
    flushClient();
    if (status == TlsChannel::Status::WantMore) return;
    if (status != TlsChannel::Status::Done) return end();
    m_handshakeDone = true;
    m_backend->connectToHost(m_backendAddress, m_backendPort);
  }
  char buffer[16 * 1024];
  for (;;) {
    TlsChannel::Status status = TlsChannel::Status::Done;
    const int n = m_channel.read(buffer, sizeof buffer, &status);
    if (n > 0) {
      if (m_backend->state() == QAbstractSocket::ConnectedState) {
        m_backend->write(buffer, n);
      } else {
        m_toBackend.append(buffer, n);
      }
      continue;
    }
    flushClient();
    if (status != TlsChannel::Status::WantMore) end();
    return;
  }
}

void TlsRelay::backendReadable() {
  const QByteArray plain = m_backend->readAll();
  if (plain.isEmpty() || m_channel.write(plain.constData(), static_cast<int>(plain.size()))) {
    flushClient();
  } else {
    end();
  }
}

void TlsRelay::flushClient() {
  const std::string out = m_channel.takeOutgoing();
  if (!out.empty()) m_client->write(out.data(), static_cast<qint64>(out.size()));
}

void TlsRelay::end() {
  if (m_ending) return;
  m_ending = true;
  // What the telnet side said last goes out before the close_notify.
  if (m_backend->bytesAvailable() > 0) backendReadable();
  if (m_handshakeDone) {
    m_channel.shutdown();
    flushClient();
  }
  m_backend->disconnectFromHost();
  m_client->disconnectFromHost();
  deleteLater();
}
