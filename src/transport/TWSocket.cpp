#include "transport/TWSocket.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <exception>
#include <limits>

#include "transport/Events.h"
#include "transport/NotifierSupport.h"
#include "transport/SocketPlatform.h"
#include "transport/SocketResolver.h"

namespace sp = socketplatform;
using socketerrors::kConnReset;
using socketerrors::kNotConnected;
using socketerrors::kNotSocket;
using socketerrors::kWouldBlock;

namespace {

std::string trimmed(const std::string& value) {
  size_t first = 0;
  size_t last = value.size();
  while (first < last && static_cast<unsigned char>(value[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(value[last - 1]) <= ' ') --last;
  return value.substr(first, last - first);
}

}  // namespace

TWSocket::TWSocket(QObject* owner) : TStream(owner) {}

TWSocket::~TWSocket() {
  m_destroying = true;
  Close();
}

const std::string& TWSocket::Addr() const { return m_addr; }
const std::string& TWSocket::Port() const { return m_port; }
const std::string& TWSocket::Proto() const { return m_proto; }
TSocketState TWSocket::State() const { return m_state; }
int TWSocket::LastError() const { return m_lastError; }

void TWSocket::SetAddr(const std::string& value) { setProperty(m_addr, value, "Addr"); }
void TWSocket::SetPort(const std::string& value) { setProperty(m_port, value, "Port"); }
void TWSocket::SetProto(const std::string& value) { setProperty(m_proto, value, "Proto"); }

void TWSocket::setProperty(std::string& field, const std::string& value, const char* name) {
  const std::string text = trimmed(value);
  if (text == field) return;
  if (m_state != wsClosed) {
    throw ESocketException(std::string("Cannot change ") + name + " if not closed", 0);
  }
  field = text;
}

void TWSocket::Connect() {
  if (m_state != wsClosed) throw ESocketException("Connect: Socket already in use", 0);
  if (m_port.empty()) throw ESocketException("Connect: No Port Specified", 0);
  if (m_addr.empty()) throw ESocketException("Connect: No IP Address Specified", 0);
  if (m_proto.empty()) throw ESocketException("Connect: No Protocol Specified", 0);

  ResolvedProto proto{};
  uint16_t port = 0;
  std::vector<sp::Address> addresses;
  try {
    proto = SocketResolver::proto(m_proto);
    port = SocketResolver::port(m_port, m_proto);
    addresses = SocketResolver::host(m_addr);
  } catch (const ESocketException& e) {
    throw ESocketException(std::string("connect: ") + e.what(), e.ErrorCode());
  }
  m_resolvedProto = proto;
  m_resolvedPort = port;
  m_addresses = std::move(addresses);
  m_nextAddress = 0;

  int code = 0;
  if (!openNextAddress(&code)) socketError("socket", code);
  m_lastError = 0;
  m_pendingReceiveError = 0;
  m_sendBuffer.clear();
  m_sendOffset = 0;
  m_sessionClosedRaised = false;
  m_state = wsConnecting;
  ++m_session;
  startConnect();
}

bool TWSocket::openNextAddress(int* code) {
  while (m_nextAddress < m_addresses.size()) {
    const sp::Handle handle = sp::open(m_addresses[m_nextAddress++], m_resolvedProto.type, m_resolvedProto.protocol);
    if (handle != sp::kInvalid) {
      m_handle = handle;
      return true;
    }
    *code = sp::lastError();
  }
  return false;
}

void TWSocket::startConnect() {
  m_readNotifier = new QSocketNotifier(static_cast<qintptr>(m_handle), QSocketNotifier::Read, this);
  m_readNotifier->setEnabled(false);
  connect(m_readNotifier, &QSocketNotifier::activated, this,
          [this] { notifiers::guarded([this] { onReadable(); }, [this] { Close(); }); });
  m_writeNotifier = new QSocketNotifier(static_cast<qintptr>(m_handle), QSocketNotifier::Write, this);
  connect(m_writeNotifier, &QSocketNotifier::activated, this,
          [this] { notifiers::guarded([this] { onWritable(); }, [this] { Close(); }); });

  const int code = sp::connectTo(m_handle, m_addresses[m_nextAddress - 1], m_resolvedPort);
  if (code != 0) {
    // The outcome always arrives from the event loop, never from inside Connect.
    m_writeNotifier->setEnabled(false);
    const uint64_t session = m_session;
    QTimer::singleShot(0, this, [this, session, code] {
      if (m_session == session && m_state == wsConnecting) connectFailed(code);
    });
  }
}

void TWSocket::connectFailed(int code) {
  if (m_nextAddress < m_addresses.size()) {
    notifiers::drop(m_readNotifier);
    notifiers::drop(m_writeNotifier);
    sp::close(m_handle);
    m_handle = sp::kInvalid;
    if (openNextAddress(&code)) {
      startConnect();
      return;
    }
  }
  deliverConnectOutcome(code);
}

void TWSocket::onWritable() {
  if (m_state == wsConnecting) {
    m_writeNotifier->setEnabled(false);
    const int code = sp::connectOutcome(m_handle);
    if (code == 0) {
      deliverConnectOutcome(0);
    } else {
      connectFailed(code);
    }
    return;
  }
  flushSendBuffer();
}

void TWSocket::deliverConnectOutcome(int code) {
  const uint64_t session = m_session;
  m_state = wsConnected;
  m_lastError = code;
  if (code == 0) m_readNotifier->setEnabled(!m_readPaused);
  QPointer<TWSocket> self(this);
  Raise(OnSessionConnected, this, static_cast<uint16_t>(code));
  if (self && code != 0 && m_session == session) Close();
}

void TWSocket::onReadable() {
  int code = 0;
  const int peeked = sp::peek(m_handle, &code);
  if (peeked < 0 && code == kWouldBlock) return;
  if (peeked > 0) {
    // A host that sends without pause must not keep the event loop from
    // painting, timers and the operator: the notifier fires again for what
    // is left.
    receiveLoop(kReadsPerWakeup);
    return;
  }
  // The peer has ended the stream (or broken it): the handler reads what is
  // left first, then the session ends once.
  const uint64_t session = m_session;
  const int closeCode = peeked == 0 ? 0 : code;
  m_pendingReceiveError = closeCode;
  QPointer<TWSocket> self(this);
  receiveLoop(std::numeric_limits<int>::max());
  if (!self || m_session != session || m_state == wsClosed) return;
  raiseSessionClosed(closeCode);
  if (self && m_session == session) Close();
}

void TWSocket::receiveLoop(int maxReads) {
  QPointer<TWSocket> self(this);
  const uint64_t session = m_session;
  for (int reads = 0; reads < maxReads; ++reads) {
    if (!OnDataAvailable) {
      char discard[1024];
      sp::receive(m_handle, discard, sizeof discard);
      return;
    }
    const uint64_t before = m_receiveCalls;
    OnDataAvailable(this, 0);
    if (!self || m_session != session || m_handle == sp::kInvalid || m_readPaused) return;
    if (m_receiveCalls == before || sp::pending(m_handle) == 0) return;
  }
}

int TWSocket::Receive(void* buffer, int size) {
  ++m_receiveCalls;
  if (m_handle == sp::kInvalid) {
    m_lastError = kNotSocket;
    return -1;
  }
  if (m_pendingReceiveError != 0) {
    m_lastError = m_pendingReceiveError;
    m_pendingReceiveError = 0;
    return -1;
  }
  if (size <= 0) return 0;
  const ptrdiff_t n = sp::receive(m_handle, static_cast<char*>(buffer), static_cast<size_t>(size));
  if (n < 0) {
    m_lastError = sp::lastError();
    return -1;
  }
  return static_cast<int>(n);
}

int TWSocket::Send(const void* data, int len) {
  if (len <= 0) return 0;
  if (m_state != wsConnected && m_state != wsSocksConnected) socketError("Send", kNotConnected);
  const char* bytes = static_cast<const char*>(data);
  size_t sent = 0;
  if (m_sendBuffer.empty()) {
    const ptrdiff_t n = sp::send(m_handle, bytes, static_cast<size_t>(len));
    if (n < 0) {
      const int code = sp::lastError();
      if (code != kWouldBlock) socketError("Send", code);
    } else {
      sent = static_cast<size_t>(n);
    }
  }
  if (sent < static_cast<size_t>(len)) {
    m_sendBuffer.append(bytes + sent, static_cast<size_t>(len) - sent);
    m_writeNotifier->setEnabled(true);
  }
  return len;
}

void TWSocket::Open(const std::string& host, const std::string& port) {
  SetProto("tcp");
  SetPort(port);
  SetAddr(host);
  Connect();
}

void TWSocket::flushSendBuffer() {
  while (m_sendOffset < m_sendBuffer.size()) {
    const ptrdiff_t n = sp::send(m_handle, m_sendBuffer.data() + m_sendOffset, m_sendBuffer.size() - m_sendOffset);
    if (n < 0) {
      const int code = sp::lastError();
      if (code == kWouldBlock) return;
      socketError("Send", code);
    }
    m_sendOffset += static_cast<size_t>(n);
  }
  m_sendBuffer.clear();
  m_sendOffset = 0;
  m_writeNotifier->setEnabled(false);
}

void TWSocket::SetReadPaused(bool paused) {
  m_readPaused = paused;
  if (m_readNotifier != nullptr && m_state == wsConnected) m_readNotifier->setEnabled(!paused);
}

void TWSocket::Close() {
  if (m_state == wsClosed && m_handle == sp::kInvalid) return;
  if (m_handle != sp::kInvalid) sp::shutdownSend(m_handle);
  closeHandle();
  m_state = wsClosed;
  if (m_destroying) {
    m_sessionClosedRaised = true;
    return;
  }
  raiseSessionClosed(0);
}

intptr_t TWSocket::Detach() {
  const intptr_t handle = m_handle;
  m_handle = sp::kInvalid;
  m_sessionClosedRaised = true;
  ++m_session;
  closeHandle();
  m_state = wsClosed;
  return handle;
}

void TWSocket::closeHandle() {
  notifiers::drop(m_readNotifier);
  notifiers::drop(m_writeNotifier);
  if (m_handle != sp::kInvalid) sp::close(m_handle);
  m_handle = sp::kInvalid;
  m_sendBuffer.clear();
  m_sendOffset = 0;
  // Every close puts the socket back to its first settings.
  m_addr.clear();
  m_port.clear();
  m_proto = "tcp";
}

void TWSocket::raiseSessionClosed(int code) {
  if (m_sessionClosedRaised) return;
  m_sessionClosedRaised = true;
  Raise(OnSessionClosed, this, static_cast<uint16_t>(code));
}

void TWSocket::socketError(const char* operation, int code) {
  m_lastError = code;
  if (code == kConnReset || code == kNotConnected) {
    closeHandle();
    raiseSessionClosed(code);
    m_state = wsClosed;
  }
  throw ESocketException(socketerrors::message(code, operation), code);
}
