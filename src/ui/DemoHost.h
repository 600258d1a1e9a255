// DemoHost: the host simulator nsksim, installed beside the program, for
// "korvanedrestolin --demo": started on a free loopback port with its demo
// network, stopped when this object goes. Should the console be killed
// instead, the system stops the simulator with it (Linux).
//
// Made by main() on the UI thread.
#pragma once

#include <QProcess>
#include <QString>

class DemoHost {
 public:
  // The simulator's demo credentials.
  static constexpr const char* kTaclUser = "OPS.OPER";
  static constexpr const char* kTaclPassword = "secret1";
  static constexpr const char* kNcpUser = "NCPOPER";
  static constexpr const char* kNcpPassword = "secret2";
  // Longest wait for the simulator's port line.
  static constexpr int kStartMs = 10000;

  DemoHost() = default;
  ~DemoHost();
  DemoHost(const DemoHost&) = delete;
  DemoHost& operator=(const DemoHost&) = delete;

  // Starts program and waits for the port it prints first. False with one
  // sentence in *error when it cannot start or prints no port.
  bool start(const QString& program, QString* error);
  // "127.0.0.1:<port>"; empty until start() succeeded.
  QString hostPort() const;

 private:
  QProcess m_process;
  quint16 m_port = 0;
};
