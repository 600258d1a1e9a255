// Everything one client is sent goes through its OutputStream, in order:
// answers, telnet commands and the unsolicited flood. It applies the fault
// switches that shape the byte stream (--chunk, --chunk-delay-ms, --sprinkle),
// doubles the data byte 255, and keeps its own backlog small by generating the
// flood only as the socket drains. Owned by a ClientSession; the socket is the
// session's.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>

class QTcpSocket;

class OutputStream : public QObject {
 public:
  enum class Kind {
    Text,       // host text: 255 doubled; sprinkled with telnet commands and NULs
    TextNoNul,  // the same without NULs (echo, service menu: the console reads them up to a NUL)
    Raw,        // telnet commands, sent as they are
  };
  struct Shape {
    int chunk = 0;  // 0: as large as the socket takes
    int chunkDelayMs = 0;
    bool sprinkle = false;
    bool floodOneLine = false;  // the flood is one line that never ends
    bool telnet = true;         // false over SSH: nothing doubled, nothing sprinkled
  };

  OutputStream(QTcpSocket* socket, Shape shape, QObject* parent);

  void write(const QByteArray& data, Kind kind = Kind::Text);
  // Queues that many bytes of unsolicited text lines (or of one endless line).
  void flood(qint64 bytes);
  // Bytes queued here or in the socket, not yet on the wire.
  qint64 backlog() const;
  // Closes the connection orderly once everything queued is sent.
  void closeWhenDrained();
  // Called whenever the backlog has fallen below kLowWater.
  std::function<void()> onDrained;

  static constexpr qint64 kLowWater = 16 * 1024;

 private:
  struct Segment {
    QByteArray data;
    Kind kind;
    qint64 floodBytes;
  };
  void pump();
  void pumpOnce();
  QByteArray shape(const QByteArray& data, Kind kind);
  QByteArray floodText(qint64 bytes);

  QTcpSocket* m_socket;
  Shape m_shape;
  std::deque<Segment> m_segments;
  qint64 m_segmentBytes = 0;
  QByteArray m_wire;  // shaped bytes not yet handed to the socket
  QTimer m_chunkTimer;
  bool m_closing = false;
  bool m_pumping = false;
  bool m_pumpAgain = false;
  unsigned m_sprinkleCount = 0;
  qint64 m_floodLine = 0;
};
