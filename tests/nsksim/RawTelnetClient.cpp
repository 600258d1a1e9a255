#include "RawTelnetClient.h"

#include <QElapsedTimer>

RawTelnetClient::RawTelnetClient(uint16_t port, bool negotiate) : m_negotiate(negotiate) {
  m_socket.connectToHost(QHostAddress::LocalHost, port);
  m_socket.waitForConnected(5000);
}

bool RawTelnetClient::isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

void RawTelnetClient::send(const std::string& bytes) {
  m_socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
  m_socket.waitForBytesWritten(5000);
}

std::string RawTelnetClient::readUntil(const std::string& text, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  for (;;) {
    const size_t at = m_data.find(text);
    if (at != std::string::npos) {
      std::string head = m_data.substr(0, at + text.size());
      m_data.erase(0, at + text.size());
      return head;
    }
    const qint64 left = timeoutMs - timer.elapsed();
    if (left <= 0 || m_closed) return {};
    pull(static_cast<int>(left));
  }
}

std::string RawTelnetClient::readFor(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!m_closed && timer.elapsed() < ms) pull(static_cast<int>(ms - timer.elapsed()));
  std::string all;
  all.swap(m_data);
  return all;
}

bool RawTelnetClient::waitClosed(int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!m_closed && timer.elapsed() < timeoutMs) pull(static_cast<int>(timeoutMs - timer.elapsed()));
  return m_closed;
}

void RawTelnetClient::pull(int waitMs) {
  if (m_socket.bytesAvailable() == 0 && !m_socket.waitForReadyRead(std::max(waitMs, 1))) {
    if (m_socket.state() != QAbstractSocket::ConnectedState ||
        m_socket.error() == QAbstractSocket::RemoteHostClosedError ||
        m_socket.error() == QAbstractSocket::NetworkError) {
      m_closed = true;
      m_closeError = m_socket.error();
    }
    return;
  }
  const QByteArray bytes = m_socket.readAll();
  if (bytes.isEmpty()) return;
  ++m_reads;
  m_raw.append(bytes.constData(), static_cast<size_t>(bytes.size()));
  for (char c : bytes) parse(static_cast<unsigned char>(c));
}

void RawTelnetClient::parse(unsigned char b) {
  const auto answer = [this](unsigned char verb, unsigned char option) {
    if (!m_negotiate) return;
    const char reply[] = {'\xff', static_cast<char>(verb), static_cast<char>(option)};
    send(std::string(reply, 3));
  };
  switch (m_state) {
    case State::Data:
      if (b == 255) {
        m_state = State::Iac;
      } else {
        m_data += static_cast<char>(b);
      }
      return;
    case State::Iac:
      m_state = State::Data;
      if (b == 255) {
        m_data += static_cast<char>(b);
      } else if (b == 250) {
        m_sb.clear();
        m_state = State::Sb;
      } else if (b >= 251) {
        m_verb = b;
        m_state = State::Verb;
      } else {
        ++m_commands;
      }
      return;
    case State::Verb:
      m_state = State::Data;
      ++m_commands;
      if (m_verb == 253) answer(b == 24 ? 251 : 252, b);           // DO
      if (m_verb == 251) answer(b == 1 || b == 3 ? 253 : 254, b);  // WILL
      return;
    case State::Sb:
      if (b == 255) {
        m_state = State::SbIac;
      } else {
        m_sb += static_cast<char>(b);
      }
      return;
    case State::SbIac:
      if (b != 240) {
        m_sb += static_cast<char>(b);
        m_state = State::Sb;
        return;
      }
      m_state = State::Data;
      ++m_commands;
      if (m_negotiate && m_sb == std::string("\x18\x01", 2)) send(std::string("\xff\xfa\x18\x00VT100\xff\xf0", 11));
      return;
  }
}
