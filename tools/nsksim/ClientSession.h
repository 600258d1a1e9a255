// One telnet client of the simulated host, from connect to close: reading and
// cutting its input, the negotiation, the service menu, the echo, handing each
// line to its HostDialogue, streaming listings with their MORE pages, the idle
// time-out, and the per-connection fault switches. Created by SimServer for
// each accepted connection; deletes itself when the connection ends.
//
// A session logged on outside the dialogue (SSH, --stdio) carries no telnet:
// it starts at the TACL prompt of its user, and the bytes go as they are.
#pragma once

#include <QObject>
#include <QTimer>
#include <deque>
#include <optional>

#include "HostDialogue.h"
#include "HostNegotiation.h"
#include "Listing.h"
#include "OutputStream.h"
#include "SimContext.h"
#include "TelnetInput.h"

class QTcpSocket;

class ClientSession : public QObject {
 public:
  // loggedOnUser empty: a telnet client, greeted with the service menu.
  ClientSession(QTcpSocket* socket, SimContext context, QObject* parent, const QByteArray& loggedOnUser = {});

 private:
  enum class State { Negotiating, Dialogue, Closed };
  struct InputLine {
    QByteArray text;
    bool truncated;
  };

  void readInput();
  void processLines();
  void handleLine(const QByteArray& raw, bool truncated);
  void sendMenu();
  void sendHostileNegotiation();
  void mirrorRefusal(int verb, int option);

  void startListing(Listing listing);
  void pumpListing();

  void say(const QByteArray& line);
  void flush();
  void closeOrderly();
  // --idle-timeout: says why, then ends the connection.
  void closeIdle();
  void resetConnection(int delayMs);
  bool matches(const QByteArray& trigger, const QByteArray& line) const;
  // Ends the connection when --close-on or --reset-on names this moment.
  bool endsAt(const QByteArray& moment);

  QTcpSocket* m_socket;
  SimContext m_ctx;
  OutputStream* m_out;
  TelnetInput m_in;
  HostNegotiation m_negotiation;
  QTimer m_negotiationTimer;
  QTimer m_idleTimer;
  State m_state = State::Negotiating;
  HostDialogue m_dialogue;
  std::deque<InputLine> m_lines;
  // The answer being put together: the echo of the line and the text after
  // it go out in one write from flush().
  QByteArray m_echo;
  QByteArray m_answer;
  bool m_busy = false;  // a line or listing is being worked on; no nested resumes

  bool m_silent = false;
  bool m_flooded = false;
  int m_mirrored = 0;
  std::optional<Listing> m_listing;
  std::optional<QByteArray> m_listingPeek;
  int m_pageCount = 0;
  bool m_waitingMore = false;
};
