// TlsFront: nsksim's telnets:// side (--tls-cert, --tls-key). A listener of
// its own whose clients speak TLS; once a client's handshake is done its
// plaintext is relayed to the simulator's telnet listener on loopback, so the
// same ClientSession serves it: the same dialogue, switches and transcript.
// A client whose handshake fails never reaches the telnet side. Owned by
// main().
#pragma once

#include <QHostAddress>
#include <QTcpServer>
#include <memory>

struct ssl_ctx_st;

class TlsFront : public QObject {
 public:
  // backend: where the simulator's telnet listener is reached.
  TlsFront(QHostAddress backendAddress, quint16 backendPort, QObject* parent = nullptr);
  ~TlsFront() override;

  // Loads the certificate and its key; false with *error.
  bool load(const QString& certFile, const QString& keyFile, QString* error);
  bool listen(const QHostAddress& address, quint16 port);
  quint16 port() const { return m_server.serverPort(); }
  QString errorString() const { return m_server.errorString(); }

 private:
  struct ContextFree {
    void operator()(ssl_ctx_st* context) const;
  };

  QHostAddress m_backendAddress;
  quint16 m_backendPort;
  std::unique_ptr<ssl_ctx_st, ContextFree> m_context;
  QTcpServer m_server;
};
