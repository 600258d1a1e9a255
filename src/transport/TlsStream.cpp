#include "transport/TlsStream.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <QTimer>

#include "transport/Events.h"
#include "transport/NotifierSupport.h"
#include "transport/SocketPlatform.h"
#include "transport/TWSocket.h"
#include "transport/TlsChannel.h"

using namespace socketerrors;

namespace {

int failureOf(int verifyError) {
  switch (verifyError) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return kTlsExpired;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      return kTlsWrongHost;
    default:
      return kTlsUntrusted;
  }
}

bool isAddress(const std::string& host) {
  socketplatform::Address address{};
  return socketplatform::parseDotted(host, &address) || socketplatform::parseIpv6(host, &address);
}

}  // namespace

void TlsStream::ContextFree::operator()(SSL_CTX* context) const { SSL_CTX_free(context); }

TlsStream::TlsStream(QObject* owner) : TStream(owner), m_tcp(new TWSocket(this)) {
  m_tcp->OnSessionConnected = [this](TStream*, uint16_t error) { tcpConnected(error); };
  m_tcp->OnDataAvailable = [this](TStream*, uint16_t) { tcpDataAvailable(); };
  m_tcp->OnSessionClosed = [this](TStream*, uint16_t error) { tcpClosed(error); };
}

TlsStream::~TlsStream() {
  m_destroying = true;
  Close();
  delete m_tcp.data();
}

void TlsStream::Open(const std::string& host, const std::string& port) {
  if (m_state != wsClosed) throw ESocketException("Connect: Socket already in use", 0);
  ERR_clear_error();
  std::unique_ptr<SSL_CTX, ContextFree> context(SSL_CTX_new(TLS_client_method()));
  if (!context) throw ESocketException(message(kTlsProtocolError, "connect"), kTlsProtocolError);
  SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION);
  SSL_CTX_set_options(context.get(), SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION);
  const bool located = m_trust.caFile.empty()
                           ? SSL_CTX_set_default_verify_paths(context.get()) == 1
                           : SSL_CTX_load_verify_locations(context.get(), m_trust.caFile.c_str(), nullptr) == 1;
  if (!located) throw ESocketException(message(kTlsCaFileUnreadable, "connect"), kTlsCaFileUnreadable);
  // A refused certificate aborts the handshake, so the host's server never
  // sees it finished and no byte of the session can follow.
  SSL_CTX_set_verify(context.get(), SSL_VERIFY_PEER, nullptr);
  SSL_CTX_set_cert_verify_callback(context.get(), &TlsStream::verifyCallback, this);

  m_tcp->Open(host, port);
  m_context = std::move(context);
  m_host = host;
  m_peer.reset();
  m_pinned = false;
  m_verifyFailure = 0;
  m_endError = 0;
  m_channelFailed = false;
  m_lastError = 0;
  m_sessionClosedRaised = false;
  m_state = wsConnecting;
  ++m_session;
}

void TlsStream::tcpConnected(uint16_t error) {
  if (m_state != wsConnecting) return;
  if (error != 0) {
    connectFailed(error);
    return;
  }
  ERR_clear_error();
  SSL* ssl = SSL_new(m_context.get());
  if (ssl == nullptr) {
    connectFailed(kTlsProtocolError);
    return;
  }
  m_channel = std::make_unique<TlsChannel>(ssl);
  // A host the certificate's names cannot be checked against is refused,
  // never let through unchecked.
  const bool named =
      isAddress(m_host) ? X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), m_host.c_str()) == 1
                        : SSL_set1_host(ssl, m_host.c_str()) == 1 && SSL_set_tlsext_host_name(ssl, m_host.c_str()) == 1;
  if (!named) {
    connectFailed(kTlsWrongHost);
    return;
  }
  SSL_set_connect_state(ssl);
  continueHandshake();
}

void TlsStream::continueHandshake() {
  const TlsChannel::Status status = m_channel->handshake();
  flushOutgoing();
  if (status == TlsChannel::Status::WantMore) return;
  if (status != TlsChannel::Status::Done) {
    connectFailed(m_verifyFailure != 0 ? m_verifyFailure : kTlsHandshakeFailed);
    return;
  }
  m_version = m_channel->version();
  m_state = wsConnected;
  QPointer<TlsStream> self(this);
  const uint64_t session = m_session;
  Raise(OnSessionConnected, this, static_cast<uint16_t>(0));
  if (self && m_session == session && m_state == wsConnected) deliver();
}

void TlsStream::connectFailed(int code) {
  const uint64_t session = m_session;
  m_lastError = code;
  QPointer<TlsStream> self(this);
  Raise(OnSessionConnected, this, static_cast<uint16_t>(code));
  if (self && m_session == session) Close();
}

int TlsStream::verifyCallback(X509_STORE_CTX* store, void* stream) {
  return static_cast<TlsStream*>(stream)->verify(store);
}

int TlsStream::verify(X509_STORE_CTX* store) {
  m_peer = TlsCertificate::of(X509_STORE_CTX_get0_cert(store));
  if (!m_trust.pin.empty()) {
    // Like a known host: the pinned certificate is the trust, and any other
    // is refused, however well it verifies.
    if (m_peer->pin() == m_trust.pin) {
      m_pinned = true;
      return 1;
    }
    m_verifyFailure = kTlsCertificateChanged;
    X509_STORE_CTX_set_error(store, X509_V_ERR_APPLICATION_VERIFICATION);
    return 0;
  }
  if (X509_verify_cert(store) == 1) return 1;
  m_verifyFailure = failureOf(X509_STORE_CTX_get_error(store));
  return 0;
}

void TlsStream::tcpDataAvailable() {
  if (!m_channel) {
    char discard[1024];
    m_tcp->Receive(discard, sizeof discard);
    return;
  }
  char buffer[16 * 1024];
  const int n = m_tcp->Receive(buffer, sizeof buffer);
  if (n <= 0) return;  // the end or a failure: the socket's close event follows
  m_channel->feed(buffer, static_cast<size_t>(n));
  if (m_state == wsConnecting) {
    continueHandshake();
  } else {
    deliver();
  }
  if (m_tcp) updateTcpPause();
}

void TlsStream::deliver() {
  QPointer<TlsStream> self(this);
  const uint64_t session = m_session;
  for (int i = 0; i < kDeliveriesPerWakeup; ++i) {
    if (m_state != wsConnected || m_readPaused || !m_channel) return;
    if (!m_channel->hasPending() && m_endError == 0) return;
    if (!OnDataAvailable) {
      char discard[1024];
      Receive(discard, sizeof discard);
      if (m_channelFailed) return ended(kTlsProtocolError);
      if (m_channel->closeNotifyReceived()) return ended(0);
      continue;
    }
    const uint64_t before = m_receiveCalls;
    m_receiveBlocked = false;
    OnDataAvailable(this, 0);
    if (!self || m_session != session) return;
    // A fatal alert or a record that does not decrypt: nothing more can be
    // read, though the host may keep its socket open.
    if (m_channelFailed) return ended(kTlsProtocolError);
    if (m_channel && m_channel->closeNotifyReceived()) return ended(0);
    if (m_receiveCalls == before || m_receiveBlocked) return;
  }
  // More is waiting: the loop goes on after the events already queued.
  deliverLater();
}

void TlsStream::ended(int code) {
  // Ends the stream as the end of a TCP stream does; a host that waits for
  // our close_notify before it closes the socket gets it now.
  const uint64_t session = m_session;
  QPointer<TlsStream> self(this);
  raiseSessionClosed(code);
  if (self && m_session == session) Close();
}

void TlsStream::deliverLater() {
  if (m_deliveryQueued) return;
  m_deliveryQueued = true;
  const uint64_t session = m_session;
  QTimer::singleShot(0, this, [this, session] {
    m_deliveryQueued = false;
    if (m_session == session) notifiers::guarded([this] { deliver(); }, [this] { Close(); });
  });
}

int TlsStream::Receive(void* buffer, int size) {
  ++m_receiveCalls;
  if (m_state != wsConnected || !m_channel) {
    m_lastError = kNotSocket;
    return -1;
  }
  if (size <= 0) return 0;
  TlsChannel::Status status = TlsChannel::Status::Done;
  const int n = m_channel->read(static_cast<char*>(buffer), size, &status);
  // Reading may have answered the host (a key update): that goes out now.
  flushOutgoing();
  if (m_tcp) updateTcpPause();
  if (n > 0) return n;
  switch (status) {
    case TlsChannel::Status::Closed:
      return 0;
    case TlsChannel::Status::WantMore:
      m_receiveBlocked = true;
      if (m_endError != 0) {
        m_lastError = m_endError;
        m_endError = 0;
      } else {
        m_lastError = kWouldBlock;
      }
      return -1;
    default:
      m_receiveBlocked = true;
      m_channelFailed = true;
      m_lastError = kTlsProtocolError;
      return -1;
  }
}

int TlsStream::Send(const void* data, int len) {
  if (len <= 0) return 0;
  if (m_state != wsConnected || !m_channel) {
    m_lastError = kNotConnected;
    throw ESocketException(message(kNotConnected, "Send"), kNotConnected);
  }
  if (!m_channel->write(data, len)) {
    m_lastError = kTlsProtocolError;
    throw ESocketException(message(kTlsProtocolError, "Send"), kTlsProtocolError);
  }
  flushOutgoing();
  return len;
}

void TlsStream::flushOutgoing() {
  const std::string out = m_channel->takeOutgoing();
  if (!out.empty() && m_tcp && m_tcp->State() == wsConnected) m_tcp->Send(out.data(), static_cast<int>(out.size()));
}

void TlsStream::SetReadPaused(bool paused) {
  m_readPaused = paused;
  if (!m_tcp) return;
  updateTcpPause();
  // What was decrypted or buffered before the pause no socket event will
  // announce again.
  if (!paused && m_state == wsConnected && m_channel && m_channel->hasPending()) deliverLater();
}

void TlsStream::updateTcpPause() {
  const bool full = m_channel && m_channel->backlog() >= kMaxBacklog;
  m_tcp->SetReadPaused(m_readPaused || full);
}

void TlsStream::tcpClosed(uint16_t error) {
  if (m_state == wsClosed) return;
  if (m_state == wsConnecting) {
    connectFailed(error != 0 ? error : kTlsHandshakeFailed);
    return;
  }
  const uint64_t session = m_session;
  QPointer<TlsStream> self(this);
  int code = error;
  if (!m_channel->closeNotifyReceived()) {
    // Cut off without the peer's close_notify: what came last may be missing,
    // and the handler hears so from one more Receive, as of a reset socket.
    if (code == 0) code = kTlsTruncated;
    m_endError = code;
    deliver();
    if (!self || m_session != session || m_state == wsClosed) return;
  }
  raiseSessionClosed(code);
  if (self && m_session == session) Close();
}

void TlsStream::Close() {
  if (m_state == wsClosed && (!m_tcp || m_tcp->State() == wsClosed)) return;
  const bool wasConnected = m_state == wsConnected;
  m_state = wsClosed;
  // After a fatal error the channel has nothing more to say.
  if (wasConnected && !m_channelFailed && m_channel && m_tcp && m_tcp->State() == wsConnected) {
    m_channel->shutdown();
    try {
      flushOutgoing();
    } catch (const ESocketException&) {
      // The peer is gone already; its close_notify has nowhere to go.
    }
  }
  m_channel.reset();
  m_context.reset();
  if (m_tcp) m_tcp->Close();
  if (m_destroying) {
    m_sessionClosedRaised = true;
    return;
  }
  raiseSessionClosed(0);
}

void TlsStream::raiseSessionClosed(int code) {
  if (m_sessionClosedRaised) return;
  m_sessionClosedRaised = true;
  Raise(OnSessionClosed, this, static_cast<uint16_t>(code));
}

std::string TlsStream::Protection() const {
  if (m_state != wsConnected) return "Not connected";
  return m_version + (m_pinned ? ", certificate trusted by the operator" : ", certificate verified");
}
