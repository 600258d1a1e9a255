// A loopback proxy between the console and the host simulator that can, when
// a test says so, flood the console with unsolicited lines of its own at a
// moment the simulator cannot choose (for example while a message box is up).
// While it floods, the host's output is held back and follows afterwards, so
// no host line is cut by a flood line. It writes only while the console's side
// has less than 256 KiB waiting, so it never buffers more than that itself.
#pragma once

#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdint>
#include <string>

namespace reltest {

class InjectingProxy : public QObject {
 public:
  explicit InjectingProxy(uint16_t hostPort);
  std::string hostPort() const;

  // Starts sending bytes of lines "UNSOLICITED EMS EVENT n ...".
  void flood(int64_t bytes);
  bool flooding() const { return m_floodLeft > 0; }
  // Flood bytes handed to the system so far.
  int64_t flooded() const { return m_flooded; }

 private:
  void pump();

  QTcpServer m_server;
  uint16_t m_hostPort;
  QTcpSocket* m_console = nullptr;
  QTcpSocket m_host;
  QByteArray m_heldBack;
  int64_t m_floodLeft = 0;
  int64_t m_flooded = 0;
  int64_t m_lineNumber = 0;
};

}  // namespace reltest
