// TWSocket: the asynchronous TCP client socket under the telnet connection.
//
// A POSIX non-blocking socket whose readiness is reported by QSocketNotifier on
// the thread's Qt event loop, so every event is raised on the user-interface
// thread, from the loop, as the window messages of Windows Sockets were.
// errno and resolver codes are mapped to the Windows Sockets codes (10061
// refused, 10054 reset, 10057 not connected, ...) so messages read the same on
// every platform. Failures are thrown as ESocketException.
//
// Owned by its TTnCnx (QObject parent). Single-threaded; handlers may call back
// into the socket (Send, Close) from inside an event.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

class QSocketNotifier;

enum TSocketState {
  wsInvalidState, wsOpened, wsBound, wsConnecting, wsSocksConnected,
  wsConnected, wsAccepting, wsListening, wsClosed
};

class ESocketException : public std::runtime_error {
 public:
  ESocketException(const std::string& message, int errorCode)
      : std::runtime_error(message), m_errorCode(errorCode) {}
  int ErrorCode() const { return m_errorCode; }

 private:
  int m_errorCode;
};

// The Windows Sockets description of a code ("Connection refused", ...).
std::string WSocketErrorDesc(int code);

class TWSocket : public QObject {
 public:
  using TSessionConnected = std::function<void(TWSocket* Sender, uint16_t ErrCode)>;
  using TDataAvailable = std::function<void(TWSocket* Sender, uint16_t ErrCode)>;
  using TSessionClosed = std::function<void(TWSocket* Sender, uint16_t ErrCode)>;

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
  TSocketState State() const;
  int LastError() const;

  void Connect();
  void Close();
  int Receive(void* buffer, int size);
  int Send(const void* data, int len);
  int SendText(const std::string& str);

  // Flow control: while paused no read notification is raised, so unread bytes
  // stay in the system and TCP holds the peer back.
  void SetReadPaused(bool paused);

  TSessionConnected OnSessionConnected;
  TDataAvailable OnDataAvailable;
  TSessionClosed OnSessionClosed;

 private:
  // Implementation details are the socket's own.
};
