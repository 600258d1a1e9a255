// TlsChannel: one TLS connection run in memory. Ciphertext from the peer is
// fed in, ciphertext for the peer is taken out, plaintext is read and written
// in between; the channel does no I/O of its own, so its owner moves the
// ciphertext over whatever socket and event loop it has (TlsStream over
// TWSocket, nsksim's TLS front over QTcpSocket).
//
// Every call clears the thread's OpenSSL error queue first, so that an error
// an earlier call left behind is never taken for its own. Owns its SSL object.
#pragma once

#include <cstddef>
#include <string>

struct ssl_st;

class TlsChannel {
 public:
  enum class Status { Done, WantMore, Closed, Failed };

  // Takes ownership of ssl, whose BIOs become the channel's memory buffers;
  // the caller has set it to the client or the server side.
  explicit TlsChannel(ssl_st* ssl);
  ~TlsChannel();
  TlsChannel(const TlsChannel&) = delete;
  TlsChannel& operator=(const TlsChannel&) = delete;

  ssl_st* ssl() const { return m_ssl; }

  void feed(const char* data, size_t len);
  // Everything the channel has to send to the peer, in order.
  std::string takeOutgoing();
  // Ciphertext fed and not yet decrypted.
  size_t backlog() const;
  // Decrypted bytes, or ciphertext not yet looked at, are waiting.
  bool hasPending() const;

  Status handshake();
  // The bytes read (> 0), or 0 with *status: WantMore (no whole record yet),
  // Closed (the peer's close_notify) or Failed.
  int read(char* buffer, int size, Status* status);
  // Encrypts all of it; false on a failure of the connection.
  bool write(const void* data, int len);
  // Queues the close_notify for the peer.
  void shutdown();
  bool closeNotifyReceived() const;
  // "TLS 1.3": the negotiated version in the operator's words.
  std::string version() const;

 private:
  Status statusOf(int result) const;

  ssl_st* m_ssl;
};
