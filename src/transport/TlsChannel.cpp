#include "transport/TlsChannel.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <limits>

TlsChannel::TlsChannel(SSL* ssl) : m_ssl(ssl) {
  // Memory BIOs grow as needed; a read from an empty one asks for more
  // instead of reporting the end of the stream.
  BIO* in = BIO_new(BIO_s_mem());
  BIO* out = BIO_new(BIO_s_mem());
  BIO_set_mem_eof_return(in, -1);
  BIO_set_mem_eof_return(out, -1);
  SSL_set_bio(m_ssl, in, out);
}

TlsChannel::~TlsChannel() { SSL_free(m_ssl); }

void TlsChannel::feed(const char* data, size_t len) {
  ERR_clear_error();
  while (len > 0) {
    const int piece = static_cast<int>(std::min<size_t>(len, std::numeric_limits<int>::max()));
    BIO_write(SSL_get_rbio(m_ssl), data, piece);
    data += piece;
    len -= static_cast<size_t>(piece);
  }
}

std::string TlsChannel::takeOutgoing() {
  BIO* out = SSL_get_wbio(m_ssl);
  std::string bytes(BIO_ctrl_pending(out), '\0');
  if (!bytes.empty()) {
    ERR_clear_error();
    const int n = BIO_read(out, bytes.data(), static_cast<int>(bytes.size()));
    bytes.resize(n > 0 ? static_cast<size_t>(n) : 0);
  }
  return bytes;
}

size_t TlsChannel::backlog() const { return BIO_ctrl_pending(SSL_get_rbio(m_ssl)); }

bool TlsChannel::hasPending() const { return SSL_pending(m_ssl) > 0 || SSL_has_pending(m_ssl) || backlog() > 0; }

TlsChannel::Status TlsChannel::handshake() {
  ERR_clear_error();
  const int result = SSL_do_handshake(m_ssl);
  return result == 1 ? Status::Done : statusOf(result);
}

int TlsChannel::read(char* buffer, int size, Status* status) {
  ERR_clear_error();
  const int n = SSL_read(m_ssl, buffer, size);
  if (n > 0) {
    *status = Status::Done;
    return n;
  }
  *status = statusOf(n);
  return 0;
}

bool TlsChannel::write(const void* data, int len) {
  ERR_clear_error();
  return SSL_write(m_ssl, data, len) == len;
}

void TlsChannel::shutdown() {
  ERR_clear_error();
  SSL_shutdown(m_ssl);
}

bool TlsChannel::closeNotifyReceived() const { return (SSL_get_shutdown(m_ssl) & SSL_RECEIVED_SHUTDOWN) != 0; }

std::string TlsChannel::version() const {
  std::string text = SSL_get_version(m_ssl);
  if (text.rfind("TLSv", 0) == 0) text = "TLS " + text.substr(4);
  return text;
}

TlsChannel::Status TlsChannel::statusOf(int result) const {
  switch (SSL_get_error(m_ssl, result)) {
    case SSL_ERROR_WANT_READ:
    case SSL_ERROR_WANT_WRITE:
      return Status::WantMore;
    case SSL_ERROR_ZERO_RETURN:
      return Status::Closed;
    default:
      return Status::Failed;
  }
}
