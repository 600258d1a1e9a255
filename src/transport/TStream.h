// TStream: the byte stream under the telnet connection.
//
// TWSocket is the plain TCP stream; the secure transports (TLS over TCP, an
// SSH channel) are others. TTnCnx owns one and sees the same events from each:
// every event is raised from the thread's Qt event loop, OnSessionConnected
// once per Open with the outcome (0 or an error code), OnDataAvailable while
// bytes wait to be received, OnSessionClosed once when an open stream ends.
// Error codes are the Windows Sockets codes of SocketErrors.h, and the codes a
// secure stream adds there for its own failures.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <string>

#include "transport/SocketErrors.h"

enum TSocketState {
  wsInvalidState,
  wsOpened,
  wsBound,
  wsConnecting,
  wsSocksConnected,
  wsConnected,
  wsAccepting,
  wsListening,
  wsClosed
};

// How a host entry is reached: its scheme (telnet://, telnets://, ssh://).
enum class TransportKind { Telnet, TelnetTls, Ssh };

class TStream : public QObject {
 public:
  using TSessionConnected = std::function<void(TStream* Sender, uint16_t ErrCode)>;
  using TDataAvailable = std::function<void(TStream* Sender, uint16_t ErrCode)>;
  using TSessionClosed = std::function<void(TStream* Sender, uint16_t ErrCode)>;

  explicit TStream(QObject* owner = nullptr) : QObject(owner) {}

  // Starts opening the stream to host and port; the outcome is OnSessionConnected.
  virtual void Open(const std::string& host, const std::string& port) = 0;
  virtual void Close() = 0;
  virtual TSocketState State() const = 0;
  virtual int LastError() const = 0;
  // As recv: the bytes received, 0 once the peer has ended the stream, -1 with
  // LastError set (kWouldBlock when nothing waits).
  virtual int Receive(void* buffer, int size) = 0;
  // Takes every byte: what cannot go out now is sent in order later.
  virtual int Send(const void* data, int len) = 0;
  int SendText(const std::string& str) { return Send(str.data(), static_cast<int>(str.size())); }
  // Flow control: while paused no OnDataAvailable is raised and the peer is
  // held back.
  virtual void SetReadPaused(bool paused) = 0;

  // What protects the stream, in the operator's words ("Unencrypted").
  virtual std::string Protection() const = 0;
  // Whether the telnet protocol runs inside the stream; an SSH channel carries
  // the host's terminal bytes as they are.
  virtual bool CarriesTelnet() const { return true; }

  TSessionConnected OnSessionConnected;
  TDataAvailable OnDataAvailable;
  TSessionClosed OnSessionClosed;
};
