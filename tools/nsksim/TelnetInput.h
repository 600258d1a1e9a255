// Parses the bytes a client sends: telnet commands (IAC sequences, option
// negotiation, SB ... IAC SE) are taken out, the remaining data is cut into
// lines at CR LF, CR NUL, a lone CR or LF. Memory is bounded: a line longer
// than kMaxLine and a sub-negotiation longer than kMaxSubnegotiation keep only
// their first bytes. Owned by one ClientSession.
#pragma once

#include <QByteArray>
#include <functional>

class TelnetInput {
 public:
  static constexpr int kMaxLine = 4096;
  static constexpr int kMaxSubnegotiation = 1024;

  // A complete line without its line end; truncated when bytes were dropped.
  std::function<void(const QByteArray& line, bool truncated)> onLine;
  // WILL, WONT, DO or DONT (251..254) and the option.
  std::function<void(int verb, int option)> onNegotiation;
  // The bytes between IAC SB and IAC SE, option byte first.
  std::function<void(const QByteArray& data)> onSubnegotiation;

  void feed(const char* data, qint64 size);

  // False over SSH: the byte 255 is data like any other.
  bool telnet = true;

 private:
  enum class State { Data, Iac, Verb, Sb, SbIac };
  void dataByte(unsigned char byte);

  State m_state = State::Data;
  int m_verb = 0;
  bool m_afterCr = false;
  QByteArray m_line;
  bool m_lineTruncated = false;
  QByteArray m_sb;
};
