// One telnet client of the simulated host, from connect to close: negotiation,
// service menu, the TACL dialogue, NCPCOM with its listings and MORE pages,
// and the per-connection fault switches. Each session keeps its own dialogue
// state; statuses live in the shared Network. Created by SimServer for each
// accepted connection; deletes itself when the connection ends.
#pragma once

#include "HostNegotiation.h"
#include "Listing.h"
#include "OutputStream.h"
#include "SimContext.h"
#include "TelnetInput.h"

#include <QObject>
#include <QTimer>
#include <deque>
#include <optional>

class QTcpSocket;

class ClientSession : public QObject {
 public:
  ClientSession(QTcpSocket* socket, SimContext context, QObject* parent);

 private:
  enum class Mode { Negotiating, Menu, Tacl, TaclPassword, Ncp, NcpPassword, Closed };
  struct InputLine {
    QByteArray text;
    bool truncated;
  };

  void readInput();
  void processLines();
  void handleLine(const QByteArray& raw, bool truncated);
  void sendMenu();
  void sendHostileNegotiation();

  void menuCommand(const QByteArray& upper);
  void taclCommand(const QByteArray& trimmed, const QList<QByteArray>& words);
  void taclPassword(const QByteArray& password);
  void ncpCommand(const QByteArray& trimmed, const QList<QByteArray>& words);
  void ncpPassword(const QByteArray& password);
  void ncpObjectCommand(const QByteArray& trimmed, const QList<QByteArray>& words);
  void deliver(const QByteArray& trimmed);

  void startListing(Listing listing);
  void pumpListing();

  void say(const QByteArray& line);
  void sayPrompt();
  QByteArray prompt() const;
  void flush();
  void logout();
  void closeOrderly();
  void resetConnection(int delayMs);
  bool matches(const QByteArray& trigger, const QByteArray& line) const;

  QTcpSocket* m_socket;
  SimContext m_ctx;
  OutputStream* m_out;
  TelnetInput m_in;
  HostNegotiation m_negotiation;
  QTimer m_negotiationTimer;
  Mode m_mode = Mode::Negotiating;
  std::deque<InputLine> m_lines;
  // The answer being put together: the echo of the line and the text after
  // it go out in one write from flush().
  QByteArray m_echo;
  QByteArray m_answer;
  bool m_busy = false;  // a line or listing is being worked on; no nested resumes

  bool m_silent = false;
  bool m_taclLoggedOn = false;
  bool m_subvolPrompt = false;
  int m_taclNumber = 1;
  QByteArray m_taclUser;  // the logged-on (or logging-on) TACL user
  int m_pathmon = -1;
  bool m_ncpLoggedOn = false;
  QByteArray m_ncpUser;

  std::optional<Listing> m_listing;
  std::optional<QByteArray> m_listingPeek;
  int m_pageCount = 0;
  bool m_waitingMore = false;
};
