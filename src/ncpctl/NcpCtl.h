// NcpCtl: one run of the headless console, from the command line's options to
// an exit code.
//
// Drives the same session (TNCPTelnet) and registry (TXPNetObjList) as the
// main window, over a MemoryTree, and reaches the registry only through the
// shared state-event handler (NCPStateHandler): it adds no rule of its own to
// what an event does. What it adds is the front end's part: it chooses the
// PATHMON, runs the command once the objects are loaded, prints the result,
// says farewell to the host ("EXIT", "LOGOUT") and ends with one exit code.
// Every stage is bounded by the time-out; an overdue stage ends the run.
//
// The load and the watch's refreshes run on --connections connections at
// once (ListingPool); the first one carries the NCP logon and the command.
//
// A watch whose connection the host or the network ends, once the first
// load is done, opens it again after a wait (ReconnectBackoff), logs on with
// the passwords the session kept, loads again and prints what changed
// meanwhile; a refused logon ends the run with its exit code, as at the start.
//
// Every operator action the session raises is written to the audit trail
// given; one that cannot be written ends the run (exit code 1), so nothing
// more is sent unrecorded.
//
// Owns the session, the registry, the tree, the handler and its timers; the
// audit trail is the caller's and must outlive it.
// Single-threaded on the Qt event loop; start() once, OnFinished once.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSaveFile>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "audit/AuditTrail.h"
#include "ncp/ConnectionBudget.h"
#include "ncp/ListingPool.h"
#include "ncp/MemoryTree.h"
#include "ncp/NCPStateHandler.h"
#include "ncp/ReconnectBackoff.h"
#include "ncp/TNCPTelnet.h"
#include "ncp/TXPNetObjList.h"
#include "ncpctl/CheckWriter.h"
#include "ncpctl/CtlOptions.h"
#include "ncpctl/ExitCode.h"
#include "ncpctl/PasswordInput.h"

class NcpCtl {
 public:
  // Results go to out, error sentences, progress and the debug trace to err.
  // Sentences are Latin-1 text; they are written with their control
  // characters escaped, as every text output is (NodeWriter::appendPrintable).
  // budget: the connections to the host, shared with the other runs on it;
  // null, this run's own.
  NcpCtl(CtlOptions options, Passwords passwords, std::FILE* out = stdout, std::FILE* err = stderr,
         const AuditTrail* audit = nullptr, ConnectionBudget* budget = nullptr);
  ~NcpCtl();
  NcpCtl(const NcpCtl&) = delete;
  NcpCtl& operator=(const NcpCtl&) = delete;

  // Called once, when the run has ended, with the process's exit status:
  // an ExitCode, or for check the plugin state (PluginState), UNKNOWN for
  // every failure.
  std::function<void(int)> OnFinished;

  // For a run over several hosts or PATHMONs (EstateCtl), which prints for
  // all of them: the PATHMONs the host listed, before this run logs on to
  // its own; and, set, OnLoaded instead of the output of tree, metrics and
  // check, once the objects are loaded. The run then waits for Release.
  std::function<void(const std::vector<std::string>& pathmons)> OnPathmons;
  std::function<void()> OnLoaded;
  // Farewell to the host, then the end with code.
  void Release(ExitCode code) { farewell(code); }
  const TXPNetObjList& Registry() const { return m_registry; }
  const ncp::TreeNode* HostNode() const { return m_handler.HostNode(); }
  // The PATHMON logged on to, once chosen.
  const std::string& Pathmon() const { return m_options.pathmon; }
  double LoadSeconds() const { return static_cast<double>(m_loadClock.nsecsElapsed()) / 1e9; }

  // Connects and logs on; everything else follows from the host's answers.
  void start();
  // Ends the run at once with code and one sentence on the error stream.
  void fail(ExitCode code, const std::string& sentence);
  // The connection's outcome was an error: a certificate or host key that did
  // not verify ends with its identity and exit 7, a known-hosts file that
  // cannot be used with exit 1, anything else with exit 2.
  void connectFailed(uint16_t error);

 private:
  enum class Stage {
    TaclLogon,
    NcpLogon,
    Loading,
    Held,
    Command,
    WatchWait,
    Refreshing,
    ReconnectWait,
    Farewell,
    Finished
  };

  void wire();
  // Runs a step from an event of the run's own (a timer, a queued call): its
  // exception ends here, as failed() says.
  void guarded(void (NcpCtl::*step)());
  // The failure of such a step as the run's end with its code and sentence.
  void failed(std::exception_ptr error);
  void sessionIdle();
  void advance();
  void pathmonsListed();
  void runCommand();
  void commandDone();
  void startRefresh();
  void refreshDone();
  // The changes since the last picture, one line each.
  void reportChanges();
  void waitForRefresh();
  // A watch goes on after a loss (true), or the loss ends the run.
  bool watchGoesOn() const;
  // The next attempt to connect after the wait; sentence: what ended the last one.
  void reconnectLater(const std::string& sentence);
  void reconnect();
  void farewell(ExitCode result);
  // The run ends once the farewell has closed every connection.
  void farewellDone();
  void finish(ExitCode code);
  void armTimeout();
  void showProgress(bool done);

  std::vector<const ExtInfo*> matchingEntries() const;
  // The whole tree under the host node, which must exist.
  void printTree();
  void printNodes(const std::vector<const ExtInfo*>& entries);
  void printAnswer();
  // metrics: to standard output, or to the --textfile opened at the start.
  void printMetrics();
  // "start line L1", "signon P1": the command as the operator gave it.
  std::string commandWords() const;
  // (type, name) -> the status its nodes show.
  std::unordered_map<std::string, TXPNetStatus> statusSnapshot() const;
  // The sentence for an SSH host key that is refused.
  std::string hostKeyRefusal(uint16_t error) const;
  void write(const std::string& text);
  void error(const std::string& sentence);
  // One line of the debug trace (--debug); the session has masked its secrets.
  void trace(const std::string& line);
  void record(const ncp::OperatorAction& action);

  CtlOptions m_options;
  Passwords m_passwords;
  std::FILE* m_out;
  std::FILE* m_err;
  const AuditTrail* m_audit;
  bool m_auditFailed = false;
  // Set while this is destroyed; before the session, which records what it
  // still had open as it goes.
  bool m_ending = false;

  TNCPTelnet m_session;
  TXPNetObjList m_registry;
  ncp::MemoryTree m_tree;
  NCPStateHandler m_handler{m_session, m_registry, m_tree};
  ConnectionBudget m_ownBudget;
  // The load and the watch's refreshes, spread over --connections.
  ListingPool m_pool;

  // metrics --textfile: written in full, then put in place of the file.
  std::unique_ptr<QSaveFile> m_textfile;
  QElapsedTimer m_loadClock;
  // check: the verdict, once the objects are counted.
  std::optional<PluginState> m_pluginState;

  QObject m_context;  // owner of the deferred calls: none runs after destruction
  QTimer m_timeout;
  QTimer m_interval;
  QTimer m_farewell;
  QTimer m_progress;
  QTimer m_reconnect;
  ReconnectBackoff m_backoff;
  // From a loss until the load after the next logon is done.
  bool m_rejoining = false;
  bool m_progressShown = false;

  Stage m_stage = Stage::TaclLogon;
  ExitCode m_result = ExitCode::Done;
  bool m_pathmonsListed = false;
  bool m_advanceQueued = false;
  int m_refreshes = 0;
  std::vector<std::string> m_answer;
  std::string m_refusal;  // the host's error line to the command, if it refused it
  std::unordered_map<std::string, TXPNetStatus> m_watched;
};
