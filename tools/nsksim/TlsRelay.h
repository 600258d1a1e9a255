// TlsRelay: one TLS client of TlsFront: the server side of its handshake,
// then its plaintext to and from a plain connection to the telnet listener.
// Either side's end ends both (the client gets close_notify). Deletes itself
// when both are closed.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QTcpSocket>
#include <memory>

#include "transport/TlsChannel.h"

class TlsRelay : public QObject {
 public:
  // Takes the client socket and the SSL object (server side) as its own.
  TlsRelay(QTcpSocket* client, ssl_st* ssl, QHostAddress backendAddress, quint16 backendPort, QObject* parent);

 private:
  void clientReadable();
  void backendReadable();
  void flushClient();
  void end();

  QTcpSocket* m_client;
  QTcpSocket* m_backend;
  TlsChannel m_channel;
  QHostAddress m_backendAddress;
  quint16 m_backendPort;
  bool m_handshakeDone = false;
  bool m_ending = false;
  // What the client sent before the telnet side was connected.
  QByteArray m_toBackend;
};
