// The listening side of the simulator: a TCP server on 127.0.0.1 that gives
// every accepted connection its own ClientSession. Owned by main().
#pragma once

#include "SimContext.h"

#include <QTcpServer>

class SimServer : public QObject {
 public:
  SimServer(SimContext context, QObject* parent = nullptr);
  bool listen(quint16 port);
  quint16 port() const;
  QString errorString() const;

 private:
  SimContext m_ctx;
  QTcpServer m_server;
};
