#include "transport/TTnCnx.h"

#include <cstring>

#include "transport/TWSocket.h"
#include "transport/TlsStream.h"

namespace {

constexpr char kIac = '\xff';

std::string withIacDoubled(const char* data, size_t len) {
  std::string wire;
  for (size_t i = 0; i < len; ++i) {
    wire += data[i];
    if (data[i] == kIac) wire += kIac;
  }
  return wire;
}

}  // namespace

TTnCnx::TTnCnx(QObject* owner) : QObject(owner), m_socket(new TWSocket(this)) {
  m_socket->OnSessionConnected = [this](TStream*, uint16_t error) { socketSessionConnected(error); };
  m_socket->OnSessionClosed = [this](TStream*, uint16_t error) { socketSessionClosed(error); };
  m_socket->OnDataAvailable = [this](TStream*, uint16_t) { socketDataAvailable(); };
}

TTnCnx::~TTnCnx() {
  Ssh.wipePassword();
  // The socket closes itself without events: nothing is left to hear them.
  delete m_socket.data();
}

TStream* TTnCnx::Socket() const { return m_socket.data(); }

std::string TTnCnx::Protection() const { return m_socket ? m_socket->Protection() : "Unencrypted"; }

std::optional<TlsCertificate> TTnCnx::PeerCertificate() const {
  const auto* tls = dynamic_cast<const TlsStream*>(m_socket.data());
  return tls ? tls->PeerCertificate() : std::nullopt;
}

void TTnCnx::Connect() {
  if (!m_socket) return;
  if (m_socket->State() != wsClosed) m_socket->Close();
  if (!m_socket) return;
  prepareStream();
  if (auto* tls = dynamic_cast<TlsStream*>(m_socket.data())) tls->SetTrust(Tls);
  if (auto* ssh = dynamic_cast<SshStream*>(m_socket.data())) ssh->SetLogin(Ssh);
  m_parser.Reset();
  m_socket->Open(Host, Port);
}

void TTnCnx::prepareStream() {
  if (Transport == m_socketKind) return;
  TStream* stream = nullptr;
  switch (Transport) {
    case TransportKind::Telnet:
      stream = new TWSocket(this);
      break;
    case TransportKind::TelnetTls:
      stream = new TlsStream(this);
      break;
    case TransportKind::Ssh:
      stream = new SshStream(this);
      break;
  }
  const TStream::TSessionConnected connected = m_socket->OnSessionConnected;
  const TStream::TSessionClosed closed = m_socket->OnSessionClosed;
  const TStream::TDataAvailable data = m_socket->OnDataAvailable;
  delete m_socket.data();
  m_socket = stream;
  m_socketKind = Transport;
  m_socket->OnSessionConnected = connected;
  m_socket->OnSessionClosed = closed;
  m_socket->OnDataAvailable = data;
}

void TTnCnx::Close() {
  if (m_socket) m_socket->Close();
}

bool TTnCnx::IsConnected() const { return m_socket && m_socket->State() == wsConnected; }

int TTnCnx::Send(const void* data, int len) {
  if (!m_socket) return -1;
  if (len <= 0 || !m_socket->CarriesTelnet() || std::memchr(data, kIac, static_cast<size_t>(len)) == nullptr) {
    return m_socket->Send(data, len);
  }
  const std::string wire = withIacDoubled(static_cast<const char*>(data), static_cast<size_t>(len));
  m_socket->Send(wire.data(), static_cast<int>(wire.size()));
  return len;
}

int TTnCnx::SendText(const std::string& str) { return Send(str.data(), static_cast<int>(str.size())); }

void TTnCnx::Display(const std::string& str) { Raise(OnDisplay, this, str); }

void TTnCnx::socketSessionConnected(uint16_t error) {
  if (ConnectOutcome(error)) Raise(OnSessionConnected, this, error);
}

void TTnCnx::socketSessionClosed(uint16_t error) {
  if (m_socket && m_socket->State() != wsClosed) m_socket->Close();
  ConnectionClosed();
  Raise(OnSessionClosed, this, error);
}

void TTnCnx::socketDataAvailable() {
  if (!m_socket) return;
  char chunk[kChunkSize + 1];
  const int n = m_socket->Receive(chunk, kChunkSize);
  if (n == 0) {
    Display("\r\n**** Remote has closed ****\r\n");
  } else if (n < 0) {
    const int error = m_socket->LastError();
    if (error != socketerrors::kWouldBlock) Display("\r\n**** ERROR: " + std::to_string(error) + " ****\r\n");
  } else if (m_socket->CarriesTelnet()) {
    m_parser.Feed(chunk, static_cast<size_t>(n));
  } else {
    chunk[n] = '\0';
    Raise(OnDataAvailable, this, chunk, n);
  }
}

void TTnCnx::telnetData(const char* block, int len) { Raise(OnDataAvailable, this, block, len); }

void TTnCnx::telnetSend(const char* bytes, int len) {
  // A handler may have closed the connection in the middle of the chunk; the
  // answer then has nowhere to go, and the rest of the chunk is still parsed.
  if (IsConnected()) m_socket->Send(bytes, len);
}

void TTnCnx::telnetEndOfRecord() { Raise(OnEndOfRecord, this); }

std::string TTnCnx::telnetSendLocation() {
  Raise(OnSendLoc, this);
  return Location;
}

std::string TTnCnx::telnetTerminalType() {
  Raise(OnTermType, this);
  return TermType;
}

void TTnCnx::telnetLocalEcho(std::optional<bool> newLocalEcho) {
  if (newLocalEcho) LocalEcho = *newLocalEcho;
  Raise(OnLocalEcho, this);
}
