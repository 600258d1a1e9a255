// TTnCnx: the telnet client connection.
//
// Owns one TStream (a QObject child) of the kind Transport names, opens it to
// Host:Port, strips the telnet protocol out of the received bytes with a
// TelnetParser, answers the host's option negotiation by itself and hands the
// remaining data bytes to its user through OnDataAvailable, one delivery per
// received chunk at most. Over a stream that carries no telnet (an SSH
// channel) the bytes go to the user as they are and nothing is doubled.
// It knows nothing of lines, prompts or commands; TNSKTelnet derives from it.
//
// Send and SendText send data: over telnet every byte 255 in it goes out doubled, so that
// the host reads it as that byte and never as the start of a telnet command.
// The answers to the host's negotiation go out as they are.
//
// Each Connect starts with a clean parser state, so a sequence cut off at the
// end of one session cannot corrupt the first bytes of the next. LocalEcho is
// kept across connections.
//
// Single-threaded: everything runs on the thread's Qt event loop; handlers may
// call back into the connection (SendText, Close) from inside an event.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>

#include "transport/Events.h"
#include "transport/SshStream.h"
#include "transport/TStream.h"
#include "transport/TelnetParser.h"
#include "transport/TlsCertificate.h"

class TTnCnx;

using TTnSessionConnected = std::function<void(TTnCnx* Sender, uint16_t Error)>;
using TTnSessionClosed = std::function<void(TTnCnx* Sender, uint16_t Error)>;
// Buffer holds Len data bytes followed by one zero byte; valid only during the call.
using TTnDataAvailable = std::function<void(TTnCnx* Sender, const char* Buffer, int Len)>;
// Also the type of every OnDebug event; Sender may be null.
using TTnDisplay = std::function<void(TTnCnx* Sender, const std::string& Str)>;
using TNotifyEvent = std::function<void(TTnCnx* Sender)>;

class TTnCnx : public QObject, private TelnetParserSink {
 public:
  explicit TTnCnx(QObject* owner = nullptr);
  ~TTnCnx() override;
  TTnCnx(const TTnCnx&) = delete;
  TTnCnx& operator=(const TTnCnx&) = delete;

  // The class name shown in debug lines ("TTnCnx", "TNSKTelnet", "TNCPTelnet").
  virtual const char* ClassName() const { return "TTnCnx"; }

  std::string Port = "23";
  std::string Host;
  // The stream the next Connect opens.
  TransportKind Transport = TransportKind::Telnet;
  // What a telnets:// connection trusts (see TlsStream); read by each Connect.
  TlsTrust Tls;
  // The login and host key trust of the next Connect over SSH.
  SshLogin Ssh;
  std::string Location = "TNCNX";
  std::string TermType = "VT100";
  bool LocalEcho = false;

  TTnSessionConnected OnSessionConnected;
  TTnSessionClosed OnSessionClosed;
  TTnDataAvailable OnDataAvailable;
  TTnDisplay OnDisplay;
  TNotifyEvent OnEndOfRecord;
  TNotifyEvent OnSendLoc;
  TNotifyEvent OnTermType;
  TNotifyEvent OnLocalEcho;

  void Connect();
  void Close();
  bool IsConnected() const;
  int Send(const void* data, int len);
  int SendText(const std::string& str);

  // The stream itself (null once it has been destroyed by something else).
  TStream* Socket() const;
  // What protects the connection, in the operator's words.
  std::string Protection() const;
  // The certificate a telnets:// host presented in the last handshake, also
  // in one that failed: what the operator is shown before trusting it.
  std::optional<TlsCertificate> PeerCertificate() const;

 protected:
  void Display(const std::string& str);
  // The connection has closed (by either side), just before OnSessionClosed:
  // a derived session ends what it was doing on it. Not called when the
  // connection is destroyed.
  virtual void ConnectionClosed() {}
  // The stream's connect outcome, before OnSessionConnected: a derived session
  // may report a failure as an event of its own instead (false: the owner's
  // OnSessionConnected is not raised).
  virtual bool ConnectOutcome(uint16_t) { return true; }

 private:
  void socketSessionConnected(uint16_t error);
  void socketSessionClosed(uint16_t error);
  void socketDataAvailable();

  void telnetData(const char* block, int len) override;
  void telnetSend(const char* bytes, int len) override;
  void telnetEndOfRecord() override;
  std::string telnetSendLocation() override;
  std::string telnetTerminalType() override;
  void telnetLocalEcho(std::optional<bool> newLocalEcho) override;

  // The stream of kind Transport, made anew when the kind has changed.
  void prepareStream();

  static constexpr int kChunkSize = 2048;

  QPointer<TStream> m_socket;
  TransportKind m_socketKind = TransportKind::Telnet;
  TelnetParser m_parser{*this};
};
