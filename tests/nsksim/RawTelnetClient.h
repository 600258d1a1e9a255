// A bare telnet client for the simulator's own tests: a blocking QTcpSocket
// that answers the host's option negotiation the way the console does (WILL
// TERMINAL-TYPE, IS VT100, DO ECHO, DO SUPPRESS-GO-AHEAD, WONT for the rest),
// strips telnet commands from what it receives and keeps both the raw bytes
// and the data. Deliberately independent of the console's own classes.
#pragma once

#include <QTcpSocket>
#include <cstdint>
#include <string>

class RawTelnetClient {
 public:
  explicit RawTelnetClient(uint16_t port, bool negotiate = true);

  bool isConnected() const;
  void send(const std::string& bytes);
  void sendLine(const std::string& line) { send(line + "\r\n"); }

  // Data (telnet commands removed) up to and including text, taken out of
  // the buffer; empty when text does not arrive within timeoutMs.
  std::string readUntil(const std::string& text, int timeoutMs = 5000);
  // Everything that arrives within ms, taken out of the buffer.
  std::string readFor(int ms);
  // True when the host closes the connection within timeoutMs.
  bool waitClosed(int timeoutMs = 5000);
  QAbstractSocket::SocketError closeError() const { return m_closeError; }

  // Every byte received so far, telnet commands included.
  const std::string& raw() const { return m_raw; }
  // Sizes of the separate reads the data arrived in.
  int reads() const { return m_reads; }
  int telnetCommands() const { return m_commands; }

 private:
  void pull(int waitMs);
  void parse(unsigned char byte);

  QTcpSocket m_socket;
  bool m_negotiate;
  bool m_closed = false;
  QAbstractSocket::SocketError m_closeError = QAbstractSocket::UnknownSocketError;
  std::string m_raw;
  std::string m_data;
  int m_reads = 0;
  int m_commands = 0;
  enum class State { Data, Iac, Verb, Sb, SbIac } m_state = State::Data;
  int m_verb = 0;
  std::string m_sb;
};
