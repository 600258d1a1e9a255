#include "SimServer.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QTcpSocket>
#include <cerrno>

#include "ClientSession.h"

SimServer::SimServer(SimContext context, QObject* parent) : QObject(parent), m_ctx(context) {
  connect(&m_pending, &QSocketNotifier::activated, this, &SimServer::acceptPending);
}

bool SimServer::listen(const QHostAddress& address, quint16 port) {
  if (!m_server.listen(address, port)) return false;
  m_server.pauseAccepting();
  m_pending.setSocket(m_server.socketDescriptor());
  m_pending.setEnabled(true);
  return true;
}

void SimServer::acceptPending() {
  const int listener = static_cast<int>(m_server.socketDescriptor());
  for (;;) {
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) m_pending.setEnabled(false);
      return;
    }
    QObject* session = adopt(fd);
    // Its descriptor is free once it is gone: a client waiting in the backlog can have it.
    if (session) connect(session, &QObject::destroyed, &m_pending, [this] { m_pending.setEnabled(true); });
  }
}

QObject* SimServer::adopt(int fd, const QByteArray& loggedOnUser) {
  auto* socket = new QTcpSocket;
  if (!socket->setSocketDescriptor(fd)) {
    delete socket;
    ::close(fd);
    return nullptr;
  }
  return new ClientSession(socket, m_ctx, this, loggedOnUser);
}

quint16 SimServer::port() const { return m_server.serverPort(); }

QString SimServer::errorString() const { return m_server.errorString(); }
