// ScriptedPeer: a real TCP server on loopback that the transport tests script
// byte by byte: it accepts one client, sends what the test says, records what
// it receives, and ends the connection in order or with a reset.
// Runs on the test's own event loop (korvtest::waitUntil drives it).
#pragma once

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <string>

class ScriptedPeer {
 public:
  ScriptedPeer();
  std::string portText() const;
  // A loopback port on which nothing listens.
  static std::string closedPortText();

  bool waitForClient();
  void send(const std::string& data);
  bool waitForReceived(size_t count);
  const std::string& received() const { return m_received; }
  // Ends the connection in order (FIN), or abortively (RST).
  void close();
  void reset();
  bool waitForClientGone();

 private:
  void readAll();

  QTcpServer m_server;
  QPointer<QTcpSocket> m_client;
  std::string m_received;
  bool m_gone = false;
};
