// The SSH side of the simulator (--ssh-host-key): libssh's server on its own
// port. Each accepted connection gets a thread of its own that runs libssh
// blocking: the key exchange, the login (password or keyboard-interactive,
// the TACL user and password), the channel with its terminal and shell; then
// it bridges the channel onto a loopback socket that the main thread serves
// with a ClientSession starting at the TACL prompt. Owned by main().
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include "SimContext.h"

struct ssh_bind_struct;
class SimServer;

class SshServer : public QObject {
 public:
  SshServer(SimContext context, SimServer& sessions, QObject* parent = nullptr);
  ~SshServer() override;
  // False with error set when the key cannot be loaded or the port not bound.
  bool listen(const QString& hostKeyFile, const QHostAddress& address, quint16 port, QString* error);
  quint16 port() const { return m_port; }

 private:
  void acceptPending();

  SimContext m_ctx;
  SimServer& m_sessions;
  ssh_bind_struct* m_bind = nullptr;
  QSocketNotifier* m_pending = nullptr;
  quint16 m_port = 0;
};
