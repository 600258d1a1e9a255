#include "ui/CloseOnSignal.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace {
// The write end, for the handler; -1 while no CloseOnSignal exists.
volatile std::sig_atomic_t g_writeFd = -1;
}  // namespace

CloseOnSignal::CloseOnSignal(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal)) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, m_fds) != 0) return;
  g_writeFd = m_fds[0];
  m_notifier = new QSocketNotifier(m_fds[1], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, [this] {
    char byte = 0;
    if (::read(m_fds[1], &byte, 1) == 1 && m_onSignal) m_onSignal();
  });
  struct sigaction action {};
  action.sa_handler = &CloseOnSignal::handle;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigaction(SIGTERM, &action, &m_oldTerm);
  sigaction(SIGINT, &action, &m_oldInt);
}

CloseOnSignal::~CloseOnSignal() {
  if (m_fds[0] < 0) return;
  sigaction(SIGTERM, &m_oldTerm, nullptr);
  sigaction(SIGINT, &m_oldInt, nullptr);
  g_writeFd = -1;
  delete m_notifier;
  ::close(m_fds[0]);
  ::close(m_fds[1]);
}

void CloseOnSignal::handle(int) {
  const int fd = g_writeFd;
  if (fd < 0) return;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
}
