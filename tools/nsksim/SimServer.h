// The listening side of the simulator: a TCP server on one address that gives
// every accepted connection its own ClientSession. Owned by main().
#pragma once

#include "SimContext.h"

#include <QTcpServer>

class SimServer : public QObject {
 public:
  SimServer(SimContext context, QObject* parent = nullptr);
  bool listen(const QHostAddress& address, quint16 port);
  quint16 port() const;
  QString errorString() const;

 private:
  SimContext m_ctx;
  QTcpServer m_server;
};
