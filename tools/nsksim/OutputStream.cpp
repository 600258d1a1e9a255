#include "OutputStream.h"

#include <QTcpSocket>
#include <algorithm>

namespace {
constexpr qint64 kSocketHighWater = 64 * 1024;
constexpr char kIac = '\xff';
// Sprinkled between data bytes: NOP, AYT, GA. A console drops all three.
constexpr char kSprinkled[] = {'\xf1', '\xf6', '\xf9'};
constexpr unsigned kSprinkleEvery = 7;
}  // namespace

OutputStream::OutputStream(QTcpSocket* socket, Shape shape, QObject* parent)
    : QObject(parent), m_socket(socket), m_shape(shape) {
  m_chunkTimer.setSingleShot(true);
  connect(&m_chunkTimer, &QTimer::timeout, this, [this] {
    if (m_socket->state() != QAbstractSocket::ConnectedState) return;
    const QByteArray piece = m_wire.left(m_shape.chunk);
    m_wire.remove(0, piece.size());
    m_socket->write(piece);
    m_socket->flush();
    pump();
  });
  connect(m_socket, &QTcpSocket::bytesWritten, this, [this] { pump(); });
}

void OutputStream::write(const QByteArray& data, Kind kind) {
  if (data.isEmpty()) return;
  m_segments.push_back({data, kind, 0});
  m_segmentBytes += data.size();
  pump();
}

void OutputStream::flood(qint64 bytes) {
  if (bytes <= 0) return;
  m_segments.push_back({{}, Kind::Text, bytes});
  pump();
}

qint64 OutputStream::backlog() const { return m_segmentBytes + m_wire.size() + m_socket->bytesToWrite(); }

void OutputStream::closeWhenDrained() {
  m_closing = true;
  pump();
}

void OutputStream::pump() {
  // onDrained may write again; run the loop once more instead of recursing.
  if (m_pumping) {
    m_pumpAgain = true;
    return;
  }
  m_pumping = true;
  do {
    m_pumpAgain = false;
    pumpOnce();
    if (onDrained && backlog() < kLowWater && !m_closing) onDrained();
  } while (m_pumpAgain);
  m_pumping = false;
}

void OutputStream::pumpOnce() {
  if (m_socket->state() != QAbstractSocket::ConnectedState) return;
  for (;;) {
    while (m_wire.size() < kLowWater && !m_segments.empty()) {
      Segment& s = m_segments.front();
      if (s.floodBytes > 0) {
        const qint64 n = std::min<qint64>(s.floodBytes, kLowWater);
        m_wire += shape(floodText(n), Kind::Text);
        s.floodBytes -= n;
        if (s.floodBytes == 0) m_segments.pop_front();
      } else {
        m_wire += shape(s.data, s.kind);
        m_segmentBytes -= s.data.size();
        m_segments.pop_front();
      }
    }
    if (m_wire.isEmpty() || m_socket->bytesToWrite() >= kSocketHighWater) break;
    if (m_shape.chunk <= 0) {
      m_socket->write(m_wire);
      m_wire.clear();
    } else if (m_shape.chunkDelayMs > 0) {
      if (!m_chunkTimer.isActive()) m_chunkTimer.start(m_shape.chunkDelayMs);
      break;
    } else {
      // Each piece its own send, so the client sees the stream cut up.
      const QByteArray piece = m_wire.left(m_shape.chunk);
      m_wire.remove(0, piece.size());
      m_socket->write(piece);
      m_socket->flush();
    }
  }
  if (m_closing && m_segments.empty() && m_wire.isEmpty()) m_socket->disconnectFromHost();
}

QByteArray OutputStream::shape(const QByteArray& data, Kind kind) {
  if (kind == Kind::Raw || !m_shape.telnet) return data;
  QByteArray out;
  out.reserve(data.size() + data.size() / 2);
  for (qsizetype i = 0; i < data.size(); ++i) {
    const char c = data[i];
    out += c;
    if (c == kIac) out += kIac;
    if (!m_shape.sprinkle) continue;
    if (kind == Kind::Text && c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') out += '\0';
    if (++m_sprinkleCount % kSprinkleEvery == 0) {
      out += kIac;
      out += kSprinkled[(m_sprinkleCount / kSprinkleEvery) % 3];
    }
  }
  return out;
}

QByteArray OutputStream::floodText(qint64 bytes) {
  QByteArray text;
  text.reserve(bytes);
  if (m_shape.floodOneLine) {
    // Letters and digits only: no line end, no telnet byte, nothing that looks like a prompt.
    static const QByteArray kFiller = "ENDLESSLINE0123456789";
    while (text.size() < bytes) text += kFiller.left(bytes - text.size());
    return text;
  }
  while (text.size() < bytes) {
    ++m_floodLine;
    QByteArray line = "UNSOLICITED EMS EVENT " + QByteArray::number(m_floodLine).rightJustified(9, '0') +
                      " XPNET LINE STATE CHANGE NOTIFICATION\r\n";
    const qint64 room = bytes - text.size();
    if (line.size() > room) line = room >= 2 ? line.left(room - 2) + "\r\n" : QByteArray("\n");
    text += line;
  }
  return text;
}
