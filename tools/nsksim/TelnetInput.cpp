#include "TelnetInput.h"

namespace {
constexpr unsigned char kIac = 255, kSb = 250, kSe = 240, kWill = 251, kDont = 254;
}

void TelnetInput::feed(const char* data, qint64 size) {
  for (qint64 i = 0; i < size; ++i) {
    const auto b = static_cast<unsigned char>(data[i]);
    switch (m_state) {
      case State::Data:
        if (b == kIac && telnet) {
          m_state = State::Iac;
        } else {
          dataByte(b);
        }
        break;
      case State::Iac:
        m_state = State::Data;
        if (b == kIac) {
          dataByte(b);
        } else if (b == kSb) {
          m_sb.clear();
          m_state = State::Sb;
        } else if (b >= kWill && b <= kDont) {
          m_verb = b;
          m_state = State::Verb;
        }
        // Every other command (NOP, AYT, GA, IP, ...) carries no data.
        break;
      case State::Verb:
        m_state = State::Data;
        if (onNegotiation) onNegotiation(m_verb, b);
        break;
      case State::Sb:
        if (b == kIac) {
          m_state = State::SbIac;
        } else if (m_sb.size() < kMaxSubnegotiation) {
          m_sb.append(static_cast<char>(b));
        }
        break;
      case State::SbIac:
        if (b == kSe) {
          m_state = State::Data;
          if (onSubnegotiation) onSubnegotiation(m_sb);
          m_sb.clear();
        } else {
          // IAC IAC is an escaped 255; anything else after IAC is kept as it came.
          m_state = State::Sb;
          if (m_sb.size() < kMaxSubnegotiation) m_sb.append(static_cast<char>(b));
        }
        break;
    }
  }
}

void TelnetInput::dataByte(unsigned char byte) {
  if (m_afterCr) {
    m_afterCr = false;
    if (byte == '\n' || byte == 0) return;
  }
  if (byte == '\r' || byte == '\n') {
    m_afterCr = byte == '\r';
    const QByteArray line = m_line;
    const bool truncated = m_lineTruncated;
    m_line.clear();
    m_lineTruncated = false;
    if (onLine) onLine(line, truncated);
    return;
  }
  if (m_line.size() < kMaxLine) {
    m_line.append(static_cast<char>(byte));
  } else {
    m_lineTruncated = true;
  }
}
