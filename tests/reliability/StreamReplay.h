// A host dialogue recorded once and played back to the console cut in chosen
// places. RecordingProxy sits between the console and a real host (the
// simulator) and keeps both directions in the order it saw them: host output
// and console sends alternate in turns. ReplayHost then plays the host's part
// on a fresh loopback port: it waits for the console's bytes of each turn
// before the host's answer, and writes that answer in pieces, each only once
// the console has read the one before, so the console receives exactly those
// cuts. A piece is only ever delayed, never sent before what caused it, so
// every replay is a timing a real network could produce.
#pragma once

#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TTnCnx;
class TStream;

namespace reltest {

struct Turn {
  bool fromHost;
  std::string bytes;
};
using Recording = std::vector<Turn>;

class RecordingProxy : public QObject {
 public:
  RecordingProxy(uint16_t targetPort);
  std::string hostPort() const;
  const Recording& recording() const { return m_recording; }

 private:
  void add(bool fromHost, const QByteArray& bytes);

  QTcpServer m_server;
  uint16_t m_targetPort;
  QTcpSocket* m_console = nullptr;
  QTcpSocket m_upstream;
  Recording m_recording;
};

class ReplayHost : public QObject {
 public:
  // Cut positions (ascending, each inside (0, length)) for the host turn
  // with the given index among the host turns.
  using Cuts = std::function<std::vector<size_t>(size_t hostTurn, size_t length)>;

  // Watches the console's socket, so that a piece goes out only after the
  // console has read the previous one.
  ReplayHost(const Recording& recording, Cuts cuts, TTnCnx& console);
  ~ReplayHost() override;
  std::string hostPort() const;

  bool finished() const { return m_turn == m_recording.size() && !m_awaitingRead; }
  // What the console sent.
  const std::string& received() const { return m_received; }
  // How many pieces the console received.
  size_t piecesWritten() const { return m_piecesWritten; }

 private:
  void advance();
  void consoleRead();

  const Recording& m_recording;
  Cuts m_cuts;
  TTnCnx& m_console;
  std::function<void(TStream*, uint16_t)> m_consoleReader;
  QTcpServer m_server;
  QTcpSocket* m_peer = nullptr;
  std::string m_received;
  size_t m_turn = 0;
  size_t m_hostTurn = 0;
  size_t m_consoleBytesDue = 0;
  std::vector<std::string> m_pieces;
  size_t m_nextPiece = 0;
  size_t m_piecesWritten = 0;
  bool m_awaitingRead = false;
};

}  // namespace reltest
