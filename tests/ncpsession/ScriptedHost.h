// ScriptedHost: a loopback TCP peer that plays the NonStop host for the
// session tests. The test writes the host's bytes (one write per call, so a
// test decides where chunks are cut) and reads back the command lines the
// session sent, with telnet negotiation bytes taken out. Each new connection
// starts a fresh record of received lines.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <string>
#include <vector>

class QTcpServer;
class QTcpSocket;

class ScriptedHost : public QObject {
 public:
  ScriptedHost();
  ~ScriptedHost() override;

  uint16_t port() const;
  std::string hostPort() const;  // "127.0.0.1:<port>"

  int connectionCount() const { return m_connections; }
  bool clientConnected() const;

  // Writes bytes to the connected client and waits until they have left.
  void send(const std::string& bytes);
  void closeClient();

  // Command lines received on the current connection (without CR LF).
  const std::vector<std::string>& lines() const { return m_lines; }
  // Waits until at least n lines have arrived on the current connection.
  bool waitForLines(size_t n, int timeoutMs = 5000) const;
  // Waits for the next line after the ones already taken and returns it
  // ("<none>" if nothing came).
  std::string nextLine(int timeoutMs = 5000);
  // Answers the next command line: echoes it with CR LF and sends reply in the
  // same write. Returns the line that was answered.
  std::string answer(const std::string& reply);
  // Waits until the session has worked through every byte written to it so
  // far, so that whatever it sent in reply has arrived: for "nothing more was
  // sent" checks. See roundTrip.
  bool caughtUp();

 private:
  void onConnection();
  void onReadyRead(QTcpSocket* socket);
  void parse(const std::string& bytes);
  // Asks DO for an option no one uses, which the session refuses with WONT
  // as soon as it reads the request, and waits for that refusal.
  bool roundTrip();

  QTcpServer* m_server;
  QPointer<QTcpSocket> m_client;
  int m_connections = 0;
  std::string m_pending;
  std::vector<std::string> m_lines;
  size_t m_taken = 0;
  // Telnet parsing state of the received stream: 0 data, 1 after IAC,
  // 2 option byte, 3 in subnegotiation, 4 IAC in subnegotiation.
  int m_telnetState = 0;
  unsigned char m_verb = 0;
  int m_probeRefusals = 0;
};
