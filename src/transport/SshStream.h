// SshStream: the host's terminal over an SSH channel, the stream of ssh://.
//
// The TCP connection is made by a TWSocket (the same addresses, events and
// error codes as plain telnet), then handed to libssh, which runs without
// blocking on the thread's Qt event loop: every step (key exchange, host key,
// authentication, channel, terminal, shell) goes on when the socket is ready.
// The host key is checked against a known-hosts file in OpenSSH's format
// before anything of the user's is sent; a key the file marks @revoked is
// refused. The login tries the user's SSH agent (when SSH_AUTH_SOCK names one
// that can be reached; SshAgentLine bounds its waits), then the password,
// then keyboard-interactive answered with the password. A terminal is
// requested so the host echoes as it does over telnet.
//
// Failures of its own have their SocketErrors codes (kSshHostKeyUnknown, ...);
// after a refused host key (unknown, changed or revoked) HostKeyFingerprint() gives the
// key's SHA-256 fingerprint ("SHA256:" and base64, as OpenSSH shows it) and
// HostKeyType() its type; after kSshHostKeyChanged KnownHostKey() tells what
// the known-hosts file holds for the host instead.
//
// Owned by its TTnCnx. Single-threaded; handlers may call back into the stream.
#pragma once

#include <QPointer>
#include <cstdint>
#include <string>

#include "transport/SshAgentLine.h"
#include "transport/TStream.h"

class QSocketNotifier;
class TWSocket;
struct ssh_session_struct;
struct ssh_channel_struct;

struct SshLogin {
  std::string user;
  std::string password;
  // Empty: the user's ~/.ssh/known_hosts.
  std::string knownHostsFile;
  // As OpenSSH's accept-new: an unknown key is added to the file, a changed one refused.
  bool acceptNewHostKey = false;
  // The fingerprint of an unknown key the operator has accepted: that key is
  // added to the file, or only used for this connection when not kept.
  std::string acceptedHostKey;
  // How long the agent gets for each answer before it is passed over; the
  // program waits that long without handling any event.
  int agentWaitMs = 3000;
  bool keepAcceptedHostKey = true;

  // Overwrites the password's bytes, then empties it.
  void wipePassword();
};

// The line of the known-hosts file that names the host with another key.
struct SshKnownHostKey {
  std::string line;
  std::string fingerprint;
};

class SshStream : public TStream {
 public:
  explicit SshStream(QObject* owner = nullptr);
  ~SshStream() override;
  SshStream(const SshStream&) = delete;
  SshStream& operator=(const SshStream&) = delete;

  // The login of the next Open; the stream wipes its copy of the password
  // once authenticated or closed.
  void SetLogin(const SshLogin& login);

  void Open(const std::string& host, const std::string& port) override;
  void Close() override;
  TSocketState State() const override { return m_state; }
  int LastError() const override { return m_lastError; }
  int Receive(void* buffer, int size) override;
  int Send(const void* data, int len) override;
  void SetReadPaused(bool paused) override;
  std::string Protection() const override { return "SSH, host key verified"; }
  bool CarriesTelnet() const override { return false; }

  // The host key of the last Open, once the key exchange has shown it.
  const std::string& HostKeyFingerprint() const { return m_fingerprint; }
  // Its type as the known-hosts file writes it ("ssh-ed25519").
  const std::string& HostKeyType() const { return m_keyType; }
  const SshKnownHostKey& KnownHostKey() const { return m_knownKey; }
  // The host as OpenSSH names it in a known-hosts file: "[host]:port" for a
  // port other than 22.
  static std::string KnownHostsName(const std::string& host, const std::string& port);
  // libssh's words for the last failure, for the debug transcript.
  const std::string& FailureDetail() const { return m_detail; }

 private:
  enum class Step { Idle, Handshake, AuthNone, AuthAgent, AuthPassword, AuthKbdint, Channel, Pty, Shell, Open };

  void tcpConnected(uint16_t code);
  void pump();
  // Runs the opening steps until one waits for the host; false once failed.
  bool advance();
  // The first method after `after` the host offers and the login can use;
  // Idle when none is left.
  Step nextAuthMethod(Step after) const;
  void answerKbdint();
  bool checkHostKey();
  void fail(int code);
  void deliverConnected();
  void flushSend();
  void receiveLoop();
  // A pump from the event loop, once however often asked.
  void queuePump();
  void endOfStream(int code);
  void watchWrites();
  void wipePassword();
  void releaseSession();

  static constexpr int kReadsPerWakeup = 32;

  SshLogin m_login;
  std::string m_host;
  std::string m_port;
  TWSocket* m_tcp = nullptr;
  ssh_session_struct* m_ssh = nullptr;
  ssh_channel_struct* m_channel = nullptr;
  SshAgentLine m_agent;
  QSocketNotifier* m_readNotifier = nullptr;
  QSocketNotifier* m_writeNotifier = nullptr;
  Step m_step = Step::Idle;
  int m_authMethods = 0;
  int m_kbdintRounds = 0;
  TSocketState m_state = wsClosed;
  int m_lastError = 0;
  int m_pendingReceiveError = 0;
  bool m_eofSeen = false;
  bool m_readPaused = false;
  bool m_pumpQueued = false;
  bool m_receiving = false;
  bool m_sessionClosedRaised = true;
  bool m_destroying = false;
  // Counts sessions, so a late event of a closed one is dropped.
  uint64_t m_session = 0;
  uint64_t m_receiveCalls = 0;
  std::string m_sendBuffer;
  std::string m_fingerprint;
  std::string m_keyType;
  SshKnownHostKey m_knownKey;
  std::string m_detail;
};
