#include "transport/SshStream.h"

#include <libssh/libssh.h>

#include <QCoreApplication>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <fstream>

#include "transport/Events.h"
#include "transport/NotifierSupport.h"
#include "transport/RevokedHostKeys.h"
#include "transport/TWSocket.h"

using socketerrors::kConnReset;
using socketerrors::kNotConnected;
using socketerrors::kNotSocket;
using socketerrors::kSshAuthRefused;
using socketerrors::kSshHostKeyChanged;
using socketerrors::kSshHostKeyRevoked;
using socketerrors::kSshHostKeyUnknown;
using socketerrors::kSshKnownHostsFile;
using socketerrors::kSshProtocol;
using socketerrors::kWouldBlock;

namespace {

// A host that asks again and again is answered this often, then refused.
constexpr int kMaxKbdintRounds = 4;
constexpr size_t kMaxWrite = 32768;

// "SHA256:" and base64, as OpenSSH shows a key; empty when it cannot be hashed.
std::string sha256Fingerprint(ssh_key key) {
  unsigned char* hash = nullptr;
  size_t length = 0;
  if (ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length) != 0) return {};
  char* text = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length);
  ssh_clean_pubkey_hash(&hash);
  std::string fingerprint = text != nullptr ? text : "";
  ssh_string_free_char(text);
  return fingerprint;
}

// The line of the known-hosts file that names the host with another key: one
// of the offered key's type (libssh finds the key changed), else the first.
SshKnownHostKey knownHostKey(ssh_session session, const std::string& knownName, ssh_keytypes_e type) {
  char* path = nullptr;
  if (ssh_options_get(session, SSH_OPTIONS_KNOWNHOSTS, &path) != SSH_OK) return {};
  std::ifstream file(path);
  ssh_string_free_char(path);
  SshKnownHostKey found;
  bool sameType = false;
  std::string line;
  while (!sameType && std::getline(file, line)) {
    ssh_knownhosts_entry* entry = nullptr;
    if (ssh_known_hosts_parse_line(knownName.c_str(), line.c_str(), &entry) == SSH_OK && entry != nullptr &&
        entry->publickey != nullptr) {
      sameType = ssh_key_type(entry->publickey) == type;
      if (sameType || found.line.empty()) found = {line, sha256Fingerprint(entry->publickey)};
    }
    SSH_KNOWNHOSTS_ENTRY_FREE(entry);
  }
  return found;
}

}  // namespace

void SshLogin::wipePassword() {
  password.resize(password.capacity());
  volatile auto* p = reinterpret_cast<volatile char*>(password.data());
  for (size_t i = 0; i < password.size(); ++i) p[i] = 0;
  password.clear();
}

SshStream::SshStream(QObject* owner) : TStream(owner) {}

SshStream::~SshStream() {
  m_destroying = true;
  Close();
  m_login.wipePassword();
}

std::string SshStream::KnownHostsName(const std::string& host, const std::string& port) {
  return port == "22" ? host : "[" + host + "]:" + port;
}

void SshStream::SetLogin(const SshLogin& login) {
  m_login.wipePassword();
  m_login = login;
}

void SshStream::wipePassword() { m_login.wipePassword(); }

void SshStream::Open(const std::string& host, const std::string& port) {
  if (m_state != wsClosed) throw ESocketException("Connect: Socket already in use", 0);
  m_host = host;
  m_port = port;
  m_fingerprint.clear();
  m_keyType.clear();
  m_knownKey = {};
  m_detail.clear();
  m_lastError = 0;
  m_pendingReceiveError = 0;
  m_eofSeen = false;
  m_sendBuffer.clear();
  m_step = Step::Idle;
  ++m_session;
  m_tcp = new TWSocket(this);
  m_tcp->OnSessionConnected = [this](TStream*, uint16_t code) { tcpConnected(code); };
  try {
    m_tcp->Open(host, port);
  } catch (...) {
    delete m_tcp;
    m_tcp = nullptr;
    throw;
  }
  m_state = wsConnecting;
  m_sessionClosedRaised = false;
}

void SshStream::tcpConnected(uint16_t code) {
  if (code != 0) return fail(code);
  const intptr_t fd = m_tcp->Detach();
  m_tcp->deleteLater();
  m_tcp = nullptr;

  m_ssh = ssh_new();
  const socket_t handle = static_cast<socket_t>(fd);
  const unsigned int port = static_cast<unsigned int>(std::stoul(m_port));
  bool processConfig = false;
  ssh_options_set(m_ssh, SSH_OPTIONS_FD, &handle);
  ssh_options_set(m_ssh, SSH_OPTIONS_HOST, m_host.c_str());
  ssh_options_set(m_ssh, SSH_OPTIONS_PORT, &port);
  ssh_options_set(m_ssh, SSH_OPTIONS_USER, m_login.user.c_str());
  // The host entry says where and who; the user's ssh_config must not change it.
  ssh_options_set(m_ssh, SSH_OPTIONS_PROCESS_CONFIG, &processConfig);
  if (!m_login.knownHostsFile.empty()) ssh_options_set(m_ssh, SSH_OPTIONS_KNOWNHOSTS, m_login.knownHostsFile.c_str());
  ssh_set_blocking(m_ssh, 0);
  m_agent.attach(m_ssh);

  m_readNotifier = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this);
  connect(m_readNotifier, &QSocketNotifier::activated, this,
          [this] { notifiers::guarded([this] { pump(); }, [this] { Close(); }); });
  m_writeNotifier = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Write, this);
  connect(m_writeNotifier, &QSocketNotifier::activated, this,
          [this] { notifiers::guarded([this] { pump(); }, [this] { Close(); }); });
  m_step = Step::Handshake;
  queuePump();
}

void SshStream::pump() {
  m_pumpQueued = false;
  if (m_ssh == nullptr || m_step == Step::Idle) return;
  const uint64_t session = m_session;
  QPointer<SshStream> self(this);
  if (m_step != Step::Open) {
    if (!advance() || !self || m_session != session) return;
    if (m_step != Step::Open) return watchWrites();
  }
  if (ssh_get_poll_flags(m_ssh) & SSH_WRITE_PENDING) ssh_blocking_flush(m_ssh, 0);
  flushSend();
  receiveLoop();
  if (self && m_session == session && m_ssh != nullptr) watchWrites();
}

bool SshStream::advance() {
  const uint64_t session = m_session;
  QPointer<SshStream> self(this);
  for (;;) {
    int rc = 0;
    switch (m_step) {
      case Step::Handshake:
        rc = ssh_connect(m_ssh);
        if (rc == SSH_AGAIN) return true;
        if (rc != SSH_OK) return fail(kSshProtocol), false;
        if (!checkHostKey()) return false;
        m_step = Step::AuthNone;
        break;
      case Step::AuthNone:
        rc = ssh_userauth_none(m_ssh, nullptr);
        if (rc == SSH_AUTH_AGAIN) return true;
        if (rc == SSH_AUTH_ERROR) return fail(kSshProtocol), false;
        if (rc == SSH_AUTH_SUCCESS) {
          m_step = Step::Channel;
          break;
        }
        m_authMethods = ssh_userauth_list(m_ssh, nullptr);
        m_kbdintRounds = 0;
        m_step = nextAuthMethod(Step::AuthNone);
        if (m_step == Step::Idle) return fail(kSshAuthRefused), false;
        break;
      case Step::AuthAgent:
      case Step::AuthPassword:
      case Step::AuthKbdint:
        if (m_step == Step::AuthAgent) {
          rc = m_agent.bounded(m_login.agentWaitMs, [this] { return ssh_userauth_agent(m_ssh, nullptr); });
        } else if (m_step == Step::AuthPassword) {
          rc = ssh_userauth_password(m_ssh, nullptr, m_login.password.c_str());
        } else {
          rc = ssh_userauth_kbdint(m_ssh, nullptr, nullptr);
        }
        if (rc == SSH_AUTH_AGAIN) return true;
        // An agent that cannot be reached or does not answer is no agent;
        // any other error ends the session.
        if (rc == SSH_AUTH_ERROR && m_step != Step::AuthAgent) return fail(kSshProtocol), false;
        if (rc == SSH_AUTH_SUCCESS) {
          wipePassword();
          m_step = Step::Channel;
        } else if (rc == SSH_AUTH_INFO && ++m_kbdintRounds <= kMaxKbdintRounds) {
          answerKbdint();
        } else {
          if (rc == SSH_AUTH_PARTIAL) m_authMethods = ssh_userauth_list(m_ssh, nullptr);
          m_step = nextAuthMethod(m_step);
          if (m_step == Step::Idle) return fail(kSshAuthRefused), false;
        }
        break;
      case Step::Channel:
        if (m_channel == nullptr) m_channel = ssh_channel_new(m_ssh);
        rc = ssh_channel_open_session(m_channel);
        if (rc == SSH_AGAIN) return true;
        if (rc != SSH_OK) return fail(kSshProtocol), false;
        m_step = Step::Pty;
        break;
      case Step::Pty:
        // A terminal, so that the host echoes what it is sent as over telnet.
        rc = ssh_channel_request_pty_size(m_channel, "vt100", 80, 24);
        if (rc == SSH_AGAIN) return true;
        if (rc != SSH_OK) return fail(kSshProtocol), false;
        m_step = Step::Shell;
        break;
      case Step::Shell:
        rc = ssh_channel_request_shell(m_channel);
        if (rc == SSH_AGAIN) return true;
        if (rc != SSH_OK) return fail(kSshProtocol), false;
        m_step = Step::Open;
        deliverConnected();
        return self && m_session == session;
      case Step::Idle:
      case Step::Open:
        return true;
    }
  }
}

SshStream::Step SshStream::nextAuthMethod(Step after) const {
  const bool password = !m_login.password.empty();
  const Step order[] = {Step::AuthAgent, Step::AuthPassword, Step::AuthKbdint};
  bool past = after == Step::AuthNone;
  for (Step step : order) {
    if (!past) {
      past = step == after;
      continue;
    }
    if (step == Step::AuthAgent && (m_authMethods & SSH_AUTH_METHOD_PUBLICKEY) && m_agent.attached()) return step;
    if (step == Step::AuthPassword && (m_authMethods & SSH_AUTH_METHOD_PASSWORD) && password) return step;
    if (step == Step::AuthKbdint && (m_authMethods & SSH_AUTH_METHOD_INTERACTIVE) && password) return step;
  }
  return Step::Idle;
}

void SshStream::answerKbdint() {
  // The host's questions: the one it does not echo is the password, one it
  // echoes the user.
  const int prompts = ssh_userauth_kbdint_getnprompts(m_ssh);
  for (int i = 0; i < prompts; ++i) {
    char echo = 0;
    ssh_userauth_kbdint_getprompt(m_ssh, static_cast<unsigned int>(i), &echo);
    const std::string& answer = echo ? m_login.user : m_login.password;
    ssh_userauth_kbdint_setanswer(m_ssh, static_cast<unsigned int>(i), answer.c_str());
  }
}

bool SshStream::checkHostKey() {
  ssh_key key = nullptr;
  if (ssh_get_server_publickey(m_ssh, &key) != SSH_OK) return fail(kSshProtocol), false;
  m_fingerprint = sha256Fingerprint(key);
  const ssh_keytypes_e type = ssh_key_type(key);
  m_keyType = ssh_key_type_to_char(type);
  const bool revoked = !m_fingerprint.empty() && isRevokedHostKey(m_ssh, key);
  ssh_key_free(key);
  if (m_fingerprint.empty()) return fail(kSshProtocol), false;

  // Before any other line for the host is looked at: a plain line for the
  // same key does not make it trusted again.
  if (revoked) return fail(kSshHostKeyRevoked), false;
  switch (ssh_session_is_known_server(m_ssh)) {
    case SSH_KNOWN_HOSTS_OK:
      return true;
    case SSH_KNOWN_HOSTS_CHANGED:
    case SSH_KNOWN_HOSTS_OTHER:
      m_knownKey = knownHostKey(m_ssh, KnownHostsName(m_host, m_port), type);
      return fail(kSshHostKeyChanged), false;
    case SSH_KNOWN_HOSTS_NOT_FOUND:
    case SSH_KNOWN_HOSTS_UNKNOWN: {
      const bool accepted = !m_login.acceptedHostKey.empty() && m_login.acceptedHostKey == m_fingerprint;
      if (!accepted && !m_login.acceptNewHostKey) return fail(kSshHostKeyUnknown), false;
      if (accepted && !m_login.keepAcceptedHostKey) return true;
      if (ssh_session_update_known_hosts(m_ssh) != SSH_OK) return fail(kSshKnownHostsFile), false;
      return true;
    }
    case SSH_KNOWN_HOSTS_ERROR:
      break;
  }
  return fail(kSshKnownHostsFile), false;
}

void SshStream::fail(int code) {
  if (m_ssh != nullptr) m_detail = ssh_get_error(m_ssh);
  // A handler's nested event loop must not go on with the failed steps.
  m_step = Step::Idle;
  if (m_readNotifier != nullptr) m_readNotifier->setEnabled(false);
  if (m_writeNotifier != nullptr) m_writeNotifier->setEnabled(false);
  wipePassword();
  const uint64_t session = m_session;
  m_lastError = code;
  QPointer<SshStream> self(this);
  Raise(OnSessionConnected, this, static_cast<uint16_t>(code));
  if (self && m_session == session) Close();
}

void SshStream::deliverConnected() {
  m_state = wsConnected;
  m_readNotifier->setEnabled(!m_readPaused);
  Raise(OnSessionConnected, this, static_cast<uint16_t>(0));
}

void SshStream::watchWrites() {
  if (m_writeNotifier == nullptr || m_ssh == nullptr) return;
  bool unsent = (ssh_get_poll_flags(m_ssh) & SSH_WRITE_PENDING) != 0;
  // libssh asks to hear of writability after every send, even when all of it
  // went out; a notifier switched on and off for each would wake the event
  // loop twice a command. Once open, it is watched only for bytes left over.
  if (unsent && m_step == Step::Open) unsent = ssh_blocking_flush(m_ssh, 0) == SSH_AGAIN;
  m_writeNotifier->setEnabled(unsent);
}

void SshStream::flushSend() {
  while (!m_sendBuffer.empty()) {
    const int n = ssh_channel_write(m_channel, m_sendBuffer.data(),
                                    static_cast<uint32_t>(std::min(m_sendBuffer.size(), kMaxWrite)));
    if (n == SSH_ERROR) {
      m_detail = ssh_get_error(m_ssh);
      m_lastError = kConnReset;
      endOfStream(kConnReset);
      throw ESocketException(socketerrors::message(kConnReset, "Send"), kConnReset);
    }
    // The host's window is full: the rest goes once it has read.
    if (n == 0) return;
    m_sendBuffer.erase(0, static_cast<size_t>(n));
  }
}

void SshStream::queuePump() {
  if (m_pumpQueued) return;
  m_pumpQueued = true;
  const uint64_t session = m_session;
  QTimer::singleShot(0, this, [this, session] {
    if (m_session == session) notifiers::guarded([this] { pump(); }, [this] { Close(); });
  });
}

void SshStream::receiveLoop() {
  const uint64_t session = m_session;
  QPointer<SshStream> self(this);
  m_receiving = true;
  const auto done = qScopeGuard([&] {
    if (self) m_receiving = false;
  });
  for (int reads = 0; reads < kReadsPerWakeup; ++reads) {
    if (m_readPaused || m_channel == nullptr) return;
    const int waiting = ssh_channel_poll(m_channel, 0);
    if (waiting == 0) return;
    if (waiting < 0) return endOfStream(waiting == SSH_EOF ? 0 : kConnReset);
    if (!OnDataAvailable) {
      char discard[1024];
      ssh_channel_read_nonblocking(m_channel, discard, sizeof discard, 0);
      continue;
    }
    const uint64_t before = m_receiveCalls;
    OnDataAvailable(this, 0);
    if (!self || m_session != session || m_state != wsConnected) return;
    if (m_receiveCalls == before) return;
  }
  // What libssh has read already is not seen by the socket's notifier.
  queuePump();
}

void SshStream::endOfStream(int code) {
  if (m_eofSeen) return;
  const uint64_t session = m_session;
  QPointer<SshStream> self(this);
  // The handler reads the end as from a socket: 0, or -1 with the code.
  m_eofSeen = true;
  m_pendingReceiveError = code;
  if (OnDataAvailable) OnDataAvailable(this, 0);
  if (!self || m_session != session || m_state == wsClosed) return;
  m_sessionClosedRaised = true;
  Raise(OnSessionClosed, this, static_cast<uint16_t>(code));
  if (self && m_session == session) Close();
}

int SshStream::Receive(void* buffer, int size) {
  ++m_receiveCalls;
  if (m_channel == nullptr) {
    m_lastError = kNotSocket;
    return -1;
  }
  if (m_eofSeen) {
    if (m_pendingReceiveError == 0) return 0;
    m_lastError = m_pendingReceiveError;
    m_pendingReceiveError = 0;
    return -1;
  }
  if (size <= 0) return 0;
  const int n = ssh_channel_read_nonblocking(m_channel, buffer, static_cast<uint32_t>(size), 0);
  if (n > 0) return n;
  m_lastError = n == 0 ? kWouldBlock : kConnReset;
  return -1;
}

int SshStream::Send(const void* data, int len) {
  if (len <= 0) return 0;
  if (m_state != wsConnected || m_step != Step::Open) {
    m_lastError = kNotConnected;
    throw ESocketException(socketerrors::message(kNotConnected, "Send"), kNotConnected);
  }
  m_sendBuffer.append(static_cast<const char*>(data), static_cast<size_t>(len));
  flushSend();
  watchWrites();
  // Sending lets libssh read what has arrived, where the socket's notifier no
  // longer sees it; inside the receive loop the next round takes it.
  if (!m_receiving) queuePump();
  return len;
}

void SshStream::SetReadPaused(bool paused) {
  m_readPaused = paused;
  if (m_readNotifier == nullptr || m_step != Step::Open) return;
  m_readNotifier->setEnabled(!paused);
  // Bytes libssh holds already are handed on without a wake-up of the socket.
  if (!paused) queuePump();
}

void SshStream::releaseSession() {
  notifiers::drop(m_readNotifier);
  notifiers::drop(m_writeNotifier);
  if (m_channel != nullptr) {
    ssh_channel_free(m_channel);
    m_channel = nullptr;
  }
  if (m_ssh != nullptr) {
    // Closes the sockets handed over too.
    m_agent.detach();
    ssh_disconnect(m_ssh);
    ssh_free(m_ssh);
    m_ssh = nullptr;
  }
  if (m_tcp != nullptr) {
    m_tcp->OnSessionConnected = nullptr;
    m_tcp->deleteLater();
    m_tcp->Close();
    m_tcp = nullptr;
  }
}

void SshStream::Close() {
  if (m_state == wsClosed && m_ssh == nullptr && m_tcp == nullptr) return;
  ++m_session;
  releaseSession();
  wipePassword();
  m_sendBuffer.clear();
  m_step = Step::Idle;
  m_state = wsClosed;
  m_pumpQueued = false;
  if (m_destroying || m_sessionClosedRaised) {
    m_sessionClosedRaised = true;
    return;
  }
  m_sessionClosedRaised = true;
  Raise(OnSessionClosed, this, static_cast<uint16_t>(0));
}
