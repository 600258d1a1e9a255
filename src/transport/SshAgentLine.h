// SshAgentLine: the connection to the user's SSH agent (SSH_AUTH_SOCK) that
// SshStream hands to libssh, with every wait for the agent bounded.
//
// libssh waits for the agent's answers without a limit, and it does so on the
// thread of the event loop: an agent that accepts and never answers would
// freeze the program. So each step that may talk to the agent runs under a
// watchdog thread that shuts the connection down once the wait is over; the
// read libssh is blocked in then ends, and the agent counts as having no key.
//
// Single-threaded apart from the watchdog, which only ever shuts the socket
// down while the step runs; libssh owns and closes the socket.
#pragma once

#include <functional>

struct ssh_session_struct;

class SshAgentLine {
 public:
  // Connects to the agent and gives the connection to session; false when
  // there is no agent to reach.
  bool attach(ssh_session_struct* session);
  bool attached() const { return m_fd >= 0; }
  // Forgets the connection, which its session has closed or will close.
  void detach() { m_fd = -1; }

  // Runs step; the agent's connection is shut down if it outlasts waitMs.
  int bounded(int waitMs, const std::function<int()>& step) const;

 private:
  int m_fd = -1;
};
