// The listening side of the simulator: a TCP server on one address that gives
// every accepted connection its own ClientSession. Owned by main().
//
// QTcpServer only listens; connections are accepted here. When descriptors
// run out, QTcpServer retries accept() in a busy loop; here accepting pauses
// instead, the new clients wait in the listen backlog, and accepting resumes
// when a client goes and frees its descriptor.
#pragma once

#include <QSocketNotifier>
#include <QTcpServer>

#include "SimContext.h"

class SimServer : public QObject {
 public:
  SimServer(SimContext context, QObject* parent = nullptr);
  bool listen(const QHostAddress& address, quint16 port);
  quint16 port() const;
  QString errorString() const;
  // Serves a connected socket (non-blocking or not); loggedOnUser as
  // ClientSession takes it. Null when the socket cannot be used.
  QObject* adopt(int fd, const QByteArray& loggedOnUser = {});

 private:
  void acceptPending();

  SimContext m_ctx;
  QTcpServer m_server;
  QSocketNotifier m_pending{QSocketNotifier::Read};
};
