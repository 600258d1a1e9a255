#include "SimServer.h"

#include "ClientSession.h"

#include <QTcpSocket>

SimServer::SimServer(SimContext context, QObject* parent) : QObject(parent), m_ctx(context) {
  connect(&m_server, &QTcpServer::newConnection, this, [this] {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) new ClientSession(socket, m_ctx, this);
  });
}

bool SimServer::listen(const QHostAddress& address, quint16 port) {
  return m_server.listen(address, port);
}

quint16 SimServer::port() const {
  return m_server.serverPort();
}

QString SimServer::errorString() const {
  return m_server.errorString();
}
