// Starts the host simulator (tools/nsksim) as a child process for a test and
// stops it again. The simulator listens on a free loopback port (printed as
// its first line of output) and writes a transcript of every command line and
// negotiation reply it received, so tests can assert on exactly what the
// console sent.
#pragma once

#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

class QElapsedTimer;
class QProcess;

namespace korvtest {

class NskSimProcess {
 public:
  // Starts nsksim with "--port 0 --transcript <temporary file>" plus extraArgs
  // and waits for its port line. Fails the current test (ADD_FAILURE) if the
  // simulator does not start.
  explicit NskSimProcess(const QStringList& extraArgs = {});
  ~NskSimProcess();
  NskSimProcess(const NskSimProcess&) = delete;
  NskSimProcess& operator=(const NskSimProcess&) = delete;

  bool started() const;
  uint16_t port() const;
  // With --tls-cert among the arguments: the TLS port, printed second.
  uint16_t tlsPort() const { return m_tlsPort; }
  // "127.0.0.1:<port>", as typed into the console's host field.
  std::string hostPort() const;
  // With --ssh-host-key: its SSH port (the "ssh PORT" line), else 0.
  uint16_t sshPort() const { return m_sshPort; }
  // "ssh://127.0.0.1:<ssh port>".
  std::string sshHost() const { return "ssh://127.0.0.1:" + std::to_string(m_sshPort); }

  // Every transcript line so far, in order.
  std::vector<std::string> transcript() const;
  // Only the command lines received, in order.
  std::vector<std::string> commandsReceived() const;

 private:
  // The port of the next line of the output, after its prefix; 0 (and a
  // test failure) when none comes.
  unsigned portLine(const QElapsedTimer& timer, const QString& prefix = {});

  QProcess* m_process = nullptr;
  uint16_t m_port = 0;
  uint16_t m_tlsPort = 0;
  uint16_t m_sshPort = 0;
  std::string m_transcriptPath;
};

}  // namespace korvtest
