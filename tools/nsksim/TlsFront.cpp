#include "TlsFront.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include "TlsRelay.h"

void TlsFront::ContextFree::operator()(SSL_CTX* context) const { SSL_CTX_free(context); }

TlsFront::TlsFront(QHostAddress backendAddress, quint16 backendPort, QObject* parent)
    : QObject(parent), m_backendAddress(backendAddress), m_backendPort(backendPort) {
  connect(&m_server, &QTcpServer::newConnection, this, [this] {
    while (QTcpSocket* client = m_server.nextPendingConnection()) {
      ERR_clear_error();
      SSL* ssl = SSL_new(m_context.get());
      if (ssl == nullptr) {
        delete client;
        continue;
      }
      SSL_set_accept_state(ssl);
      new TlsRelay(client, ssl, m_backendAddress, m_backendPort, this);
    }
  });
}

TlsFront::~TlsFront() = default;

bool TlsFront::load(const QString& certFile, const QString& keyFile, QString* error) {
  ERR_clear_error();
  m_context.reset(SSL_CTX_new(TLS_server_method()));
  if (!m_context) {
    *error = "cannot make a TLS context";
    return false;
  }
  SSL_CTX_set_min_proto_version(m_context.get(), TLS1_2_VERSION);
  SSL_CTX_set_options(m_context.get(), SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION);
  if (SSL_CTX_use_certificate_chain_file(m_context.get(), certFile.toLocal8Bit().constData()) != 1) {
    *error = "cannot read the certificate " + certFile;
    return false;
  }
  if (SSL_CTX_use_PrivateKey_file(m_context.get(), keyFile.toLocal8Bit().constData(), SSL_FILETYPE_PEM) != 1 ||
      SSL_CTX_check_private_key(m_context.get()) != 1) {
    *error = "cannot use the key " + keyFile + " with the certificate";
    return false;
  }
  return true;
}

bool TlsFront::listen(const QHostAddress& address, quint16 port) { return m_server.listen(address, port); }
