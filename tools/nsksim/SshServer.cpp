#include "SshServer.h"

#include <libssh/libssh.h>
#include <libssh/server.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "LoopbackPair.h"
#include "SimOptions.h"
#include "SimServer.h"

namespace {

// A client that keeps guessing is disconnected after this many refusals.
constexpr int kMaxAuthFailures = 6;

struct Credentials {
  QByteArray user;
  QByteArray password;
  bool matches(const char* name, const char* secret) const {
    return name != nullptr && secret != nullptr && QByteArray(name).toUpper() == user.toUpper() &&
           QByteArray(secret) == password;
  }
};

// One connection, on its own thread: the login and the channel, then the
// bridge. Ends when either side does.
class SshLink {
 public:
  SshLink(ssh_session session, Credentials credentials, std::function<void(int fd, QByteArray user)> start)
      : m_session(session), m_credentials(std::move(credentials)), m_start(std::move(start)) {}

  void run() {
    if (ssh_handle_key_exchange(m_session) == SSH_OK && openShell()) bridge();
    if (m_channel != nullptr) {
      ssh_channel_send_eof(m_channel);
      ssh_channel_close(m_channel);
      ssh_channel_free(m_channel);
    }
    ssh_disconnect(m_session);
    ssh_free(m_session);
  }

 private:
  bool openShell() {
    ssh_set_auth_methods(m_session, SSH_AUTH_METHOD_PASSWORD | SSH_AUTH_METHOD_INTERACTIVE);
    int failures = 0;
    bool shell = false;
    while (!shell && failures < kMaxAuthFailures) {
      ssh_message message = ssh_message_get(m_session);
      if (message == nullptr) return false;
      const int type = ssh_message_type(message);
      const int subtype = ssh_message_subtype(message);
      bool answered = false;
      if (type == SSH_REQUEST_AUTH) {
        answered = authenticate(message, subtype, &failures);
      } else if (type == SSH_REQUEST_CHANNEL_OPEN && subtype == SSH_CHANNEL_SESSION && !m_user.isEmpty() &&
                 m_channel == nullptr) {
        m_channel = ssh_message_channel_request_open_reply_accept(message);
        answered = m_channel != nullptr;
      } else if (type == SSH_REQUEST_CHANNEL && m_channel != nullptr &&
                 (subtype == SSH_CHANNEL_REQUEST_PTY || subtype == SSH_CHANNEL_REQUEST_SHELL)) {
        ssh_message_channel_request_reply_success(message);
        answered = true;
        shell = subtype == SSH_CHANNEL_REQUEST_SHELL;
      }
      if (!answered) ssh_message_reply_default(message);
      ssh_message_free(message);
    }
    return shell;
  }

  // True when the message has been answered here.
  bool authenticate(ssh_message message, int method, int* failures) {
    const char* user = ssh_message_auth_user(message);
    if (method == SSH_AUTH_METHOD_PASSWORD) {
      // libssh prefers its callbacks to the message loop, which keyboard-interactive needs anyway.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
      const char* password = ssh_message_auth_password(message);
#pragma GCC diagnostic pop
      if (!m_credentials.matches(user, password)) return ++*failures, false;
      return succeed(message, user);
    }
    if (method != SSH_AUTH_METHOD_INTERACTIVE) return false;
    if (!ssh_message_auth_kbdint_is_response(message)) {
      const char* prompts[] = {"Password: "};
      char echo[] = {0};
      m_kbdintUser = user != nullptr ? user : "";
      ssh_message_auth_interactive_request(message, "", "", 1, prompts, echo);
      return true;
    }
    const char* answer =
        ssh_userauth_kbdint_getnanswers(m_session) == 1 ? ssh_userauth_kbdint_getanswer(m_session, 0) : nullptr;
    if (!m_credentials.matches(m_kbdintUser.constData(), answer)) return ++*failures, false;
    return succeed(message, m_kbdintUser.constData());
  }

  bool succeed(ssh_message message, const char* user) {
    m_user = user;
    ssh_message_auth_reply_success(message, 0);
    return true;
  }

  void bridge() {
    int sessionSide = -1;
    int bridgeSide = -1;
    if (!loopback::makePair(&sessionSide, &bridgeSide)) return;
    m_start(sessionSide, m_user);
    pollfd fds[2] = {{ssh_get_fd(m_session), POLLIN, 0}, {bridgeSide, POLLIN, 0}};
    char buffer[16384];
    for (;;) {
      // What libssh has read already is not seen by poll(): drained first.
      int n = 0;
      while ((n = ssh_channel_read_nonblocking(m_channel, buffer, sizeof buffer, 0)) > 0) {
        if (!loopback::writeAll(bridgeSide, buffer, n)) break;
      }
      if (n < 0 || ssh_channel_is_eof(m_channel) || ssh_channel_is_closed(m_channel)) break;
      if (::poll(fds, 2, -1) < 0) continue;
      if (fds[1].revents != 0) {
        const ssize_t got = ::read(bridgeSide, buffer, sizeof buffer);
        // The session has ended (LOGOUT, idle, a fault switch).
        if (got <= 0) break;
        if (ssh_channel_write(m_channel, buffer, static_cast<uint32_t>(got)) != got) break;
      }
    }
    ::close(bridgeSide);
  }

  ssh_session m_session;
  Credentials m_credentials;
  std::function<void(int, QByteArray)> m_start;
  ssh_channel m_channel = nullptr;
  QByteArray m_user;
  QByteArray m_kbdintUser;
};

}  // namespace

SshServer::SshServer(SimContext context, SimServer& sessions, QObject* parent)
    : QObject(parent), m_ctx(context), m_sessions(sessions) {}

SshServer::~SshServer() {
  if (m_bind != nullptr) ssh_bind_free(m_bind);
}

bool SshServer::listen(const QString& hostKeyFile, const QHostAddress& address, quint16 port, QString* error) {
  m_bind = ssh_bind_new();
  const QByteArray key = hostKeyFile.toLocal8Bit();
  const QByteArray host = address.toString().toLatin1();
  const unsigned int portNumber = port;
  if (ssh_bind_options_set(m_bind, SSH_BIND_OPTIONS_HOSTKEY, key.constData()) != SSH_OK ||
      ssh_bind_options_set(m_bind, SSH_BIND_OPTIONS_BINDADDR, host.constData()) != SSH_OK ||
      ssh_bind_options_set(m_bind, SSH_BIND_OPTIONS_BINDPORT, &portNumber) != SSH_OK ||
      ssh_bind_listen(m_bind) != SSH_OK) {
    *error = QString::fromLocal8Bit(ssh_get_error(m_bind));
    return false;
  }
  const int fd = ssh_bind_get_fd(m_bind);
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
  m_port = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                             : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  m_pending = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(m_pending, &QSocketNotifier::activated, this, &SshServer::acceptPending);
  return true;
}

void SshServer::acceptPending() {
  ssh_session session = ssh_new();
  if (ssh_bind_accept(m_bind, session) != SSH_OK) {
    ssh_free(session);
    return;
  }
  // The server lives as long as the program; the session is made on its thread.
  auto start = [this](int fd, QByteArray user) {
    QMetaObject::invokeMethod(
        this, [this, fd, user] { m_sessions.adopt(fd, user); }, Qt::QueuedConnection);
  };
  const SimOptions& o = m_ctx.options;
  std::thread([session, credentials = Credentials{o.taclUser, o.taclPassword}, start] {
    SshLink(session, credentials, start).run();
  }).detach();
}
