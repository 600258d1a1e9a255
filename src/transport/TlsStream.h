// TlsStream: telnet over TLS (telnets://), the TLS stream of TStream.
//
// Owns a TWSocket for the TCP connection and runs OpenSSL over it in memory
// (TlsChannel): ciphertext comes in through TWSocket::Receive and goes out
// through TWSocket::Send, so the socket, its events and its error codes are
// those of plain telnet. OnSessionConnected(0) is raised only once the
// handshake is done and the host's certificate accepted; until then the stream
// is not connected and nothing of the session can be sent.
//
// The certificate is accepted when it verifies against the system's trusted
// authorities, or against TlsTrust::caFile when one is given, and names the
// host (checked by name or address; the name also goes out as SNI). With a pin
// only the pinned certificate is accepted. Anything else aborts the handshake
// with one of the TLS codes of SocketErrors.h, and PeerCertificate() keeps
// what the host presented, for the operator to look at and maybe pin.
// TLS 1.2 at least, no compression, no renegotiation.
//
// Owned by its TTnCnx (QObject parent). Single-threaded; handlers may call back
// into the stream from inside an event.
#pragma once

#include <QPointer>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "transport/TStream.h"
#include "transport/TlsCertificate.h"

class TlsChannel;
class TWSocket;
struct ssl_ctx_st;
struct x509_store_ctx_st;

class TlsStream : public TStream {
 public:
  explicit TlsStream(QObject* owner = nullptr);
  ~TlsStream() override;
  TlsStream(const TlsStream&) = delete;
  TlsStream& operator=(const TlsStream&) = delete;

  // What the next Open trusts.
  void SetTrust(const TlsTrust& trust) { m_trust = trust; }

  // Throws ESocketException for a host that cannot be resolved and for a CA
  // file that cannot be read (kTlsCaFileUnreadable).
  void Open(const std::string& host, const std::string& port) override;
  void Close() override;
  TSocketState State() const override { return m_state; }
  int LastError() const override { return m_lastError; }
  int Receive(void* buffer, int size) override;
  int Send(const void* data, int len) override;
  void SetReadPaused(bool paused) override;
  // "TLS 1.3, certificate verified", or "TLS 1.3, certificate trusted by the
  // operator" for a pinned one.
  std::string Protection() const override;

  // The certificate the host presented in the last handshake, also in one
  // that failed; nullopt when none came.
  const std::optional<TlsCertificate>& PeerCertificate() const { return m_peer; }

 private:
  struct ContextFree {
    void operator()(ssl_ctx_st* context) const;
  };

  void tcpConnected(uint16_t error);
  void tcpDataAvailable();
  void tcpClosed(uint16_t error);
  void continueHandshake();
  void connectFailed(int code);
  // Raises OnDataAvailable while decrypted bytes wait and the handler reads.
  void deliver();
  void deliverLater();
  // Ends an open stream: 0 for the host's close_notify, else the error.
  void ended(int code);
  void flushOutgoing();
  void updateTcpPause();
  void raiseSessionClosed(int code);
  static int verifyCallback(x509_store_ctx_st* store, void* stream);
  int verify(x509_store_ctx_st* store);

  // Ciphertext held before the TCP reading pauses, so a handler that does not
  // read costs bounded memory.
  static constexpr size_t kMaxBacklog = 64 * 1024;
  static constexpr int kDeliveriesPerWakeup = 64;

  QPointer<TWSocket> m_tcp;
  TlsTrust m_trust;
  std::string m_host;
  std::unique_ptr<ssl_ctx_st, ContextFree> m_context;
  std::unique_ptr<TlsChannel> m_channel;
  TSocketState m_state = wsClosed;
  int m_lastError = 0;
  // Why the certificate was refused, decided while verifying.
  int m_verifyFailure = 0;
  std::optional<TlsCertificate> m_peer;
  bool m_pinned = false;
  std::string m_version;
  // The TCP stream ended without close_notify: the next Receive reports it.
  int m_endError = 0;
  // The channel failed on what the host sent; the stream ends once the
  // handler has heard so from Receive.
  bool m_channelFailed = false;
  uint64_t m_receiveCalls = 0;
  bool m_receiveBlocked = false;
  uint64_t m_session = 0;
  bool m_sessionClosedRaised = true;
  bool m_readPaused = false;
  bool m_deliveryQueued = false;
  bool m_destroying = false;
};
