// TWSocket: the asynchronous TCP client socket under the telnet connection,
// the plain stream of TStream.
//
// A POSIX non-blocking socket whose readiness is reported by QSocketNotifier on
// the thread's Qt event loop, so every event is raised on the user-interface
// thread, from the loop, as the window messages of Windows Sockets were.
// errno and resolver codes are mapped to the Windows Sockets codes (10061
// refused, 10054 reset, 10057 not connected, ...) so messages read the same on
// every platform. Failures are thrown as ESocketException.
//
// Connect takes an IPv4 or IPv6 address or a host name; a name's addresses
// are tried in turn until one connects, and only the last failure is raised.
// An exception thrown by a handler called from a socket notifier closes the
// connection (OnSessionClosed); it does not cross the event loop.
//
// Owned by its TTnCnx (QObject parent). Single-threaded; handlers may call back
// into the socket (Send, Close) from inside an event.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "transport/SocketErrors.h"
#include "transport/SocketResolver.h"
#include "transport/TStream.h"

class QSocketNotifier;

class TWSocket : public TStream {
 public:
  explicit TWSocket(QObject* owner = nullptr);
  ~TWSocket() override;
  TWSocket(const TWSocket&) = delete;
  TWSocket& operator=(const TWSocket&) = delete;

  const std::string& Addr() const;
  void SetAddr(const std::string& value);
  const std::string& Port() const;
  void SetPort(const std::string& value);
  const std::string& Proto() const;
  void SetProto(const std::string& value);
  TSocketState State() const override;
  int LastError() const override;

  void Connect();
  // Sets the address and port of a TCP connection, then connects.
  void Open(const std::string& host, const std::string& port) override;
  void Close() override;
  // Hands the connected socket over to a stream that speaks its own protocol
  // on it (SSH): the socket is closed here without events and the caller owns
  // the returned handle.
  intptr_t Detach();
  int Receive(void* buffer, int size) override;
  int Send(const void* data, int len) override;

  // Flow control: while paused no read notification is raised, so unread bytes
  // stay in the system and TCP holds the peer back.
  void SetReadPaused(bool paused) override;

  std::string Protection() const override { return "Unencrypted"; }

 private:
  void setProperty(std::string& field, const std::string& value, const char* name);
  // Opens a socket for the next address not yet tried; false when none is
  // left (*code then holds why the last one could not be opened).
  bool openNextAddress(int* code);
  // Watches the socket just opened and starts its connect.
  void startConnect();
  // Goes on with the next address, or reports the failure when none is left.
  void connectFailed(int code);
  void deliverConnectOutcome(int code);
  void onReadable();
  void onWritable();
  // Raises OnDataAvailable while data are waiting and the handler reads, at
  // most maxReads times.
  void receiveLoop(int maxReads);
  static constexpr int kReadsPerWakeup = 32;
  void flushSendBuffer();
  void raiseSessionClosed(int code);
  void closeHandle();
  // Closes on 10054/10057 as the Windows Sockets client does, then throws.
  [[noreturn]] void socketError(const char* operation, int code);

  std::string m_addr;
  std::string m_port;
  std::string m_proto = "tcp";
  // What Connect resolved, and the next address to try.
  ResolvedProto m_resolvedProto{};
  uint16_t m_resolvedPort = 0;
  std::vector<socketplatform::Address> m_addresses;
  size_t m_nextAddress = 0;
  TSocketState m_state = wsClosed;
  int m_lastError = 0;
  intptr_t m_handle = -1;
  QSocketNotifier* m_readNotifier = nullptr;
  QSocketNotifier* m_writeNotifier = nullptr;
  // Bytes the system did not take yet, sent in order when writable again.
  std::string m_sendBuffer;
  size_t m_sendOffset = 0;
  // Counts Receive calls, so the receive loop sees whether a handler read.
  uint64_t m_receiveCalls = 0;
  // A connection error found while looking at the socket, which the system
  // reports only once: the next Receive returns it.
  int m_pendingReceiveError = 0;
  // Counts sessions, so a late connect outcome of a closed one is dropped.
  uint64_t m_session = 0;
  bool m_sessionClosedRaised = true;
  bool m_readPaused = false;
  bool m_destroying = false;
};
