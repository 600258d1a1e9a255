#include "StdioSession.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <thread>

#include "LoopbackPair.h"
#include "SimOptions.h"
#include "SimServer.h"

namespace {

// Standard input to the session, the session to standard output, until
// either ends.
void pump(int bridgeSide) {
  pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {bridgeSide, POLLIN, 0}};
  char buffer[16384];
  for (;;) {
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[0].revents != 0) {
      const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
      if (n <= 0 || !loopback::writeAll(bridgeSide, buffer, n)) break;
    }
    if (fds[1].revents != 0) {
      const ssize_t n = ::read(bridgeSide, buffer, sizeof buffer);
      if (n <= 0 || !loopback::writeAll(STDOUT_FILENO, buffer, n)) break;
    }
  }
  ::close(bridgeSide);
}

}  // namespace

bool serveStdio(SimServer& server, const SimOptions& options) {
  if (::isatty(STDIN_FILENO)) {
    termios mode{};
    if (::tcgetattr(STDIN_FILENO, &mode) == 0) {
      ::cfmakeraw(&mode);
      ::tcsetattr(STDIN_FILENO, TCSANOW, &mode);
    }
  }
  int sessionSide = -1;
  int bridgeSide = -1;
  if (!loopback::makePair(&sessionSide, &bridgeSide)) return false;
  QObject* session = server.adopt(sessionSide, options.taclUser);
  if (session == nullptr) {
    ::close(bridgeSide);
    return false;
  }
  QObject::connect(session, &QObject::destroyed, QCoreApplication::instance(), &QCoreApplication::quit,
                   Qt::QueuedConnection);
  std::thread([bridgeSide] { pump(bridgeSide); }).detach();
  return true;
}
