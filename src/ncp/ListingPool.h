// ListingPool: the listings of one PATHMON (the object load, the refresh of
// every status) spread over connections of their own, so that they take the
// time of the longest listing rather than of all of them, and the operator's
// connection stays free for START, STOP, DELIVER and single-object status
// while they run.
//
// The operator's connection (the lead) carries exactly its usual dialogue.
// Once the host has accepted the lead's NCP logon (so that a wrong password
// is never repeated on more connections), the first load opens up to Extra
// more connections to the same host with the lead's transport settings,
// users and passwords, as far as the host's ConnectionBudget allows (the
// lead holds one of it from the pool's making). Each logs on to TACL
// ("TACL", "logon", the password, "SETPROMPT SUBVOL", "#mysystem") and to
// NCP on the lead's PATHMON, then runs listings only. Their logons are part
// of the load, as automatic work is: they raise no operator action. A load
// or refresh hands each listing, whole, to a free listing connection, and
// the handler gets the answers in the order the lead alone would have got
// them (ListingMerge): the registry and the tree end as the one-connection
// load leaves them. The passwords the listing connections hold are wiped
// when they go.
// With no listing connection (Extra 0, the budget spent, or every one
// refused, gone or not logged on within kLogonDeadlineMs before a listing
// was given to it) the lead runs the listings itself, as alone. After a
// Farewell (a loss ends with one), the next load or refresh opens listing
// connections anew, as does the next load after the lead has logged on to
// another PATHMON; refused ones are not tried again until then.
//
// The pool assigns the handler's LoadObjects. Owns its listing connections;
// the lead, the handler and the budget are the owner's and must outlive it.
// The owner ends the pool's connections with Farewell when it leaves the
// lead's. Single-threaded, on the Qt event loop.
#pragma once

#include <QTimer>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "ncp/ConnectionBudget.h"
#include "ncp/ListingMerge.h"
#include "ncp/NCPStateHandler.h"
#include "ncp/TNCPTelnet.h"

class ListingPool {
 public:
  ListingPool(TNCPTelnet& lead, NCPStateHandler& handler, ConnectionBudget& budget);
  ~ListingPool();
  ListingPool(const ListingPool&) = delete;
  ListingPool& operator=(const ListingPool&) = delete;

  // Listing connections besides the lead; 0 runs everything on the lead.
  int Extra = 0;

  // A line for the debug transcript, the connection's number first ("[2] ").
  std::function<void(const std::string&)> OnDebug;
  // A load or refresh run here has handed on all its answers.
  std::function<void()> OnListed;
  // The last listing connection has closed (after Farewell: every one has
  // said its farewell).
  std::function<void()> OnGone;
  // A listing connection ended amid its listing (or a host listed without
  // end): the answers are incomplete; the pool's connections are closed.
  std::function<void(const std::string& sentence)> OnLost;

  // The object load, from the handler on the NCP logon.
  void Load();
  // Every status anew; the lead's StatusAll when it runs alone. Not while
  // Busy(): a run replaces the one underway.
  void StatusAll();
  // The operator's refresh of every status, recorded as the lead's action
  // (PerformStatusAll) however its listings run.
  void PerformStatusAll();
  // A load or refresh spread here is still running.
  bool Busy() const { return m_merge && !m_merge->finished() && !m_stopped; }
  size_t Connections() const { return m_links.size(); }
  // A listing connection is still logging on.
  bool Opening() const;
  // EXIT and LOGOUT on every listing connection; the ones not logged on are
  // closed at once. The operator's refresh underway ends as lost.
  void Farewell();

 private:
  struct Link {
    std::unique_ptr<TNCPTelnet> session;
    int number = 0;
    bool ready = false;  // logged on to NCP
    int step = -1;       // the listing it runs, or -1
    bool leaving = false;
  };

  // Opens the listing connections, once.
  void open();
  void openLink();
  void linkState(Link& link, const std::string& text);
  void linkClosed(Link& link);
  void retire(Link& link);
  // Removes link and frees it (its session once its handlers are done).
  void remove(Link& link);
  std::vector<std::unique_ptr<Link>>::iterator find(const Link& link);
  // Some listing connection is logging on or logged on.
  bool alive() const;
  // operatorRun: the lead's refresh action is open and ends with the run.
  void run(std::span<const TNCPTelnet::ListingStep> steps, bool operatorRun);
  void finishAction(ncp::ActionOutcome outcome);
  void dispatch();
  // One turn's share of the merge's backlog; the next turn is asked for
  // while some remains.
  void handOn();
  void lose(const std::string& sentence);

  TNCPTelnet& m_lead;
  NCPStateHandler& m_handler;
  ConnectionBudget& m_budget;
  std::vector<std::unique_ptr<Link>> m_links;
  int m_opened = 0;  // numbers the connections: the lead is 1
  bool m_open = false;
  // Listing connections not logged on by then are closed: a host (or a
  // device on the way) that takes a connection and never answers it must
  // not hold the load back; the lead runs what they would have.
  static constexpr int kLogonDeadlineMs = 10000;
  QTimer m_logonDeadline;
  void logonOverdue();
  std::string m_pathmon;  // the listing connections' PATHMON

  std::span<const TNCPTelnet::ListingStep> m_steps;
  std::deque<size_t> m_pending;
  std::unique_ptr<ListingMerge> m_merge;
  // About what one read of the host's answer brings: handing on more in one
  // turn of the event loop would hold the window longer than a listing on
  // one connection does.
  static constexpr size_t kEventsPerTurn = 1000;
  QTimer m_handOnTurn;
  bool m_leadAlone = false;    // the rest of the current run is queued on the lead
  bool m_stopped = false;      // Farewell or a loss ended the current run
  bool m_operatorRun = false;  // the current run is the lead's open refresh action
};
