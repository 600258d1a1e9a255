// The transcript file of --transcript: one line per command line received
// ("CMD <bytes>") and per negotiation reply ("NEG WILL 24", "SB 24 00 56 54"),
// appended and flushed at once so a test can read it while the simulator
// runs. Shared by every client of the server; without a path it records
// nothing.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

class Transcript {
 public:
  // Opens the file for appending; false when it cannot be opened.
  bool open(const QString& path);
  void command(const QByteArray& line);
  void negotiation(int verb, int option);
  void subnegotiation(const QByteArray& data);

 private:
  void append(const QByteArray& text);
  QFile m_file;
};
